#include "Histogram.h"

#include <algorithm>
#include <cmath>

namespace simmgr {
namespace stats {

Histogram MakeHistogram(const std::vector<double>& sorted, size_t maxBins) {
  Histogram h;
  if (sorted.empty() || maxBins == 0) return h;
  const double lo = sorted.front(), hi = sorted.back();
  const bool integers = std::all_of(sorted.begin(), sorted.end(),
                                    [](double x) { return std::abs(x) < 1e15 && x == std::floor(x); });
  size_t bins;
  double start, width;
  if (lo == hi) {
    bins = 1;
    start = lo - 0.5;
    width = 1.0;
  } else if (integers && hi - lo < static_cast<double>(maxBins)) {
    bins = static_cast<size_t>(hi - lo) + 1;
    start = lo - 0.5;
    width = 1.0;
  } else {
    const double rice = std::ceil(2.0 * std::cbrt(static_cast<double>(sorted.size())));
    bins = std::clamp<size_t>(static_cast<size_t>(rice), 1, maxBins);
    start = lo;
    width = (hi - lo) / static_cast<double>(bins);
  }
  for (size_t i = 0; i <= bins; ++i) h.edges.push_back(start + width * static_cast<double>(i));
  h.edges.back() = std::max(h.edges.back(), hi);
  h.counts.assign(bins, 0);
  for (double x : sorted) {
    size_t i = static_cast<size_t>(std::floor((x - start) / width));
    i = std::min(i, bins - 1);
    ++h.counts[i];
  }
  return h;
}

}  // namespace stats
}  // namespace simmgr
