#include "BatchMeansAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Mser.h"
#include "SkewnessTest.h"
#include "StudentInterval.h"
#include "VonNeumannTest.h"

namespace simmgr {
namespace stats {

std::vector<double> MergeBatches(const std::vector<double>& x, size_t first, size_t k) {
  std::vector<double> out;
  if (k == 0 || first >= x.size()) return out;
  const size_t groups = (x.size() - first) / k;
  out.reserve(groups);
  for (size_t g = 0; g < groups; ++g) {
    double s = 0.0;
    for (size_t i = 0; i < k; ++i) s += x[first + g * k + i];
    out.push_back(s / static_cast<double>(k));
  }
  return out;
}

BatchMeansResult AnalyseBatchMeans(const std::vector<std::vector<double>>& perSimulator,
                                   const BatchMeansSettings& settings) {
  BatchMeansResult r;
  // Every simulator starts from the same state, so they share one transient; its end is
  // found on their average, batch by batch, over the length all of them have reached.
  // On one simulator's own sequence of a heavily loaded queue, MSER mistakes a large
  // excursion early in the run for a transient and deletes it, biasing the mean low.
  size_t common = 0;
  bool any = false;
  for (const std::vector<double>& x : perSimulator)
    if (!x.empty()) {
      common = any ? std::min(common, x.size()) : x.size();
      any = true;
    }
  std::vector<double> average(common, 0.0);
  size_t contributing = 0;
  for (const std::vector<double>& x : perSimulator) {
    if (x.empty()) continue;
    ++contributing;
    for (size_t j = 0; j < common; ++j) average[j] += x[j];
  }
  for (double& a : average) a /= static_cast<double>(contributing ? contributing : 1);
  const size_t cut = Mser(average.data(), average.size(), settings.mserGroup).deleted;
  std::vector<size_t> first(perSimulator.size(), 0);
  size_t kept = 0;
  for (size_t i = 0; i < perSimulator.size(); ++i) {
    const std::vector<double>& x = perSimulator[i];
    r.observations += x.size();
    first[i] = std::min(cut, x.size());
    r.deleted += first[i];
    kept += x.size() - first[i];
  }
  const size_t minBatches = settings.minBatches < 2 ? 2 : settings.minBatches;

  // Merge until the test passes; never below the minimum once it has been reached.
  std::vector<std::vector<double>> merged, chosen;
  IndependenceTest chosenTest;
  NormalityTest chosenShape;
  for (size_t k = 1;; k *= 2) {
    merged.clear();
    size_t b = 0;
    for (size_t i = 0; i < perSimulator.size(); ++i) {
      merged.push_back(MergeBatches(perSimulator[i], first[i], k));
      b += merged.back().size();
    }
    if (k > 1 && b < minBatches) break;  // keep the last k that had enough
    r.mergeFactor = k;
    chosen.swap(merged);
    chosenTest = TestIndependence(chosen, settings.testLevel);
    chosenShape = TestSkewness(chosen, settings.testLevel);
    r.batches = b;
    if (b < minBatches || (!chosenTest.rejected && !chosenShape.rejected)) break;
    if (kept / (2 * k) < minBatches) break;  // the next factor cannot have enough batches
  }
  r.enoughBatches = r.batches >= minBatches;
  r.lag1 = chosenTest.lag1;
  r.testZ = chosenTest.z;
  r.independent = !chosenTest.rejected && (chosenTest.constant || chosenTest.sd > 0.0);
  r.skewness = chosenShape.skewness;
  r.normal = !chosenShape.rejected && chosenShape.values >= 3;

  double sum = 0.0;
  for (const std::vector<double>& s : chosen)
    for (double y : s) sum += y;
  const double inf = std::numeric_limits<double>::infinity();
  if (r.batches == 0) {
    r.halfWidth = r.relative = inf;
    return r;
  }
  const double n = static_cast<double>(r.batches);
  r.mean = sum / n;
  double ss = 0.0;
  for (const std::vector<double>& s : chosen)
    for (double y : s) ss += (y - r.mean) * (y - r.mean);
  r.variance = r.batches > 1 ? ss / (n - 1.0) : 0.0;
  const HalfWidth h = StudentHalfWidth(r.mean, r.variance, r.batches, settings.confidence);
  r.halfWidth = h.halfWidth;
  r.relative = h.relative;
  return r;
}

}  // namespace stats
}  // namespace simmgr
