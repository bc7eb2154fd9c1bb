#include "Mser.h"

#include <vector>

namespace simmgr {
namespace stats {

MserTruncation Mser(const double* x, size_t n, size_t groupSize) {
  MserTruncation best;
  if (groupSize == 0) groupSize = 1;
  const size_t m = n / groupSize;
  if (m < 4) return best;
  std::vector<double> z(m);
  double shift = 0.0;  // sums of deviations from a typical value keep the sums of squares exact enough
  for (size_t j = 0; j < m; ++j) {
    double s = 0.0;
    for (size_t i = 0; i < groupSize; ++i) s += x[j * groupSize + i];
    z[j] = s / static_cast<double>(groupSize);
    shift += z[j];
  }
  shift /= static_cast<double>(m);
  // Suffix sums give every candidate's statistic in one backward pass.
  std::vector<double> stat(m / 2 + 1);
  double s1 = 0.0, s2 = 0.0;
  for (size_t j = m; j-- > 0;) {
    const double v = z[j] - shift;
    s1 += v;
    s2 += v * v;
    if (j <= m / 2) {
      const double k = static_cast<double>(m - j);
      double ss = s2 - s1 * s1 / k;
      if (ss < 0.0) ss = 0.0;
      stat[j] = ss / (k * k);
    }
  }
  size_t d = 0;
  for (size_t j = 1; j < stat.size(); ++j)
    if (stat[j] < stat[d]) d = j;
  best.deleted = d * groupSize;
  best.statistic = stat[d];
  return best;
}

}  // namespace stats
}  // namespace simmgr
