#include "SkewnessTest.h"

#include <cmath>

#include "VonNeumannTest.h"

namespace simmgr {
namespace stats {

NormalityTest TestSkewness(const std::vector<std::vector<double>>& sequences, double alpha) {
  NormalityTest t;
  double sum = 0.0;
  for (const std::vector<double>& s : sequences) {
    t.values += s.size();
    for (double x : s) sum += x;
  }
  if (t.values < 3) return t;
  const double n = static_cast<double>(t.values), mean = sum / n;
  double m2 = 0.0, m3 = 0.0;
  for (const std::vector<double>& s : sequences)
    for (double x : s) {
      const double e = x - mean;
      m2 += e * e;
      m3 += e * e * e;
    }
  m2 /= n;
  m3 /= n;
  if (!(m2 > 0.0)) return t;
  t.skewness = m3 / std::pow(m2, 1.5);
  t.sd = std::sqrt(6.0 * (n - 2.0) / ((n + 1.0) * (n + 3.0)));
  t.z = t.skewness / t.sd;
  t.rejected = std::fabs(t.z) > NormalQuantile(1.0 - alpha / 2.0);
  return t;
}

}  // namespace stats
}  // namespace simmgr
