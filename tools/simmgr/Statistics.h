// Running estimates of one performance variable in one experiment, pooled over every
// simulator of that experiment, and the Student-t confidence interval around the mean.
#ifndef KAVRIN_SIMMGR_STATISTICS_H
#define KAVRIN_SIMMGR_STATISTICS_H

#include <cstdint>

namespace simmgr {

// Welford's update keeps the mean and the sum of squared deviations accurate even when
// the values are large and their spread small (the naive sum of squares cancels).
class RunningStats {
 public:
  void Add(double x);
  void Merge(const RunningStats& other);
  uint64_t Count() const { return _n; }
  double Mean() const { return _mean; }
  // Sample variance (divisor n - 1); 0 with fewer than two observations.
  double Variance() const;

 private:
  uint64_t _n = 0;
  double _mean = 0.0;
  double _m2 = 0.0;
};

struct Interval {
  double mean = 0.0;
  double halfWidth = 0.0;  // +inf with fewer than two observations
  double low = 0.0;
  double high = 0.0;
  double relative = 0.0;  // halfWidth / |mean|; 0 when the width is 0, +inf when only the mean is 0
};

// Student-t quantile at (1 + confidence) / 2 with the given degrees of freedom.
double StudentQuantile(double confidence, uint64_t degreesOfFreedom);
Interval ConfidenceInterval(const RunningStats& s, double confidence);

}  // namespace simmgr

#endif
