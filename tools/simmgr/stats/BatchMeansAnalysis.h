// The steady-state estimate of one variable from the batch means that several independent
// simulators of the same experiment report, each in its own order:
//   1. the simulators' leading transient is found by MSER on their average sequence (they
//      all start from the same state) and that many batch means are deleted from each;
//   2. the rest of every sequence is cut into merged batches of k consecutive batch means
//      (the same k for every simulator; an incomplete last batch waits for more data), with
//      k = 1, 2, 4, ... until the pooled von Neumann test no longer rejects independence and
//      the skewness test no longer rejects normality, while at least the minimum number of
//      merged batches remains;
//   3. the merged batch means of all simulators, independent and identically distributed
//      once the tests pass, give mean +- t(B - 1) * s / sqrt(B) over B merged batches.
#ifndef KAVRIN_SIMMGR_STATS_BATCHMEANSANALYSIS_H
#define KAVRIN_SIMMGR_STATS_BATCHMEANSANALYSIS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace simmgr {
namespace stats {

struct BatchMeansSettings {
  double confidence = 0.95;
  size_t minBatches = 60;  // merged batches, over all simulators, an interval needs
  double testLevel = 0.1;  // level of the independence test (one-sided) and of the skewness test
  size_t mserGroup = 5;
};

struct BatchMeansResult {
  uint64_t observations = 0;  // batch means received, over all simulators
  uint64_t deleted = 0;       // of which MSER deleted as transient
  uint64_t mergeFactor = 1;
  uint64_t batches = 0;  // merged batches the interval is built from
  double mean = 0.0;
  double variance = 0.0;   // of the merged batch means
  double halfWidth = 0.0;  // +inf with fewer than two merged batches
  double relative = 0.0;   // halfWidth / |mean|; 0 when the width is 0, +inf when only the mean is 0
  double lag1 = 0.0;       // of the merged batch means
  double testZ = 0.0;
  double skewness = 0.0;       // of the merged batch means
  bool independent = false;    // the independence test did not reject (and could be run)
  bool normal = false;         // the skewness test did not reject
  bool enoughBatches = false;  // batches >= minBatches
};

BatchMeansResult AnalyseBatchMeans(const std::vector<std::vector<double>>& perSimulator,
                                   const BatchMeansSettings& settings);

// Means of consecutive groups of k values of x from `first` on; an incomplete last group is left out.
std::vector<double> MergeBatches(const std::vector<double>& x, size_t first, size_t k);

}  // namespace stats
}  // namespace simmgr

#endif
