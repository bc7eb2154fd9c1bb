// A histogram of a sample for the eye: equal-width bins over its range, one bin per integer when
// every value is an integer and the range is small (counts of events look right only that way).
#ifndef KAVRIN_SIMMGR_STATS_HISTOGRAM_H
#define KAVRIN_SIMMGR_STATS_HISTOGRAM_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace simmgr {
namespace stats {

struct Histogram {
  std::vector<double> edges;     // bins + 1 ascending edges; bin i is [edges[i], edges[i + 1])
  std::vector<uint64_t> counts;  // the last bin also holds values equal to its upper edge
};

// `sorted`: finite values in ascending order; empty gives an empty histogram. At most `maxBins`
// bins (the Rice rule, 2 n^(1/3), below that); a sample of one value gets one bin of width 1
// around it, integers within `maxBins` of each other one bin per integer centred on it.
Histogram MakeHistogram(const std::vector<double>& sorted, size_t maxBins = 50);

}  // namespace stats
}  // namespace simmgr

#endif
