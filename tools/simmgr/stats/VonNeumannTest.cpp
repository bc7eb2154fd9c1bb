#include "VonNeumannTest.h"

#include <boost/math/distributions/normal.hpp>
#include <cmath>

namespace simmgr {
namespace stats {

double NormalQuantile(double p) { return boost::math::quantile(boost::math::normal(), p); }

IndependenceTest TestIndependence(const std::vector<std::vector<double>>& sequences, double alpha) {
  IndependenceTest t;
  double sum = 0.0;
  size_t n = 0, pairs = 0, varTerms = 0;
  for (const std::vector<double>& s : sequences) {
    n += s.size();
    for (double x : s) sum += x;
    if (s.size() >= 2) {
      pairs += s.size() - 1;
      varTerms += 3 * s.size() - 4;
    }
  }
  t.batches = n;
  if (n < 3 || pairs == 0) return t;
  const double mean = sum / static_cast<double>(n);
  double q = 0.0, d = 0.0, c = 0.0;
  for (const std::vector<double>& s : sequences)
    for (size_t i = 0; i < s.size(); ++i) {
      const double e = s[i] - mean;
      q += e * e;
      if (i + 1 < s.size()) {
        const double diff = s[i + 1] - s[i];
        d += diff * diff;
        c += e * (s[i + 1] - mean);
      }
    }
  if (!(q > 0.0)) {
    t.constant = true;
    return t;
  }
  const double N = static_cast<double>(n), M = static_cast<double>(pairs);
  t.ratio = d / q;
  t.lag1 = c / q;
  t.expected = 2.0 * M / (N - 1.0);
  const double second = 4.0 * (static_cast<double>(varTerms) + M * M) / ((N - 1.0) * (N + 1.0));
  const double var = second - t.expected * t.expected;
  t.sd = var > 0.0 ? std::sqrt(var) : 0.0;
  t.z = t.sd > 0.0 ? (t.ratio - t.expected) / t.sd : 0.0;
  t.rejected = t.z < NormalQuantile(alpha);
  return t;
}

}  // namespace stats
}  // namespace simmgr
