// Transient deletion for one simulator's output sequence: the MSER rule (marginal standard
// error rules), applied to the means of consecutive groups of observations (MSER-5 with
// groups of five). It picks the number of leading observations whose removal minimises the
// standard error of the mean of what is left, searching only the first half of the data
// (the statistic is unreliable near the end of the sequence).
#ifndef KAVRIN_SIMMGR_STATS_MSER_H
#define KAVRIN_SIMMGR_STATS_MSER_H

#include <cstddef>

namespace simmgr {
namespace stats {

struct MserTruncation {
  size_t deleted = 0;      // leading observations to drop: groups * groupSize
  double statistic = 0.0;  // the minimal MSER value, over group means
};

// With fewer than four complete groups nothing is deleted.
MserTruncation Mser(const double* x, size_t n, size_t groupSize = 5);

}  // namespace stats
}  // namespace simmgr

#endif
