// Exact solutions of small continuous-time Markov chains for the validation tests: the stationary
// distribution of a generator matrix, by Gaussian elimination with partial pivoting.
#ifndef KAVRIN_TESTS_SUPPORT_MARKOVCHAIN_H
#define KAVRIN_TESTS_SUPPORT_MARKOVCHAIN_H

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

// The distribution pi with pi Q = 0 and sum(pi) = 1, for a generator Q (rows sum to 0) of an
// irreducible chain: the transposed system with its last equation replaced by the sum.
inline std::vector<double> StationaryDistribution(const std::vector<std::vector<double>>& q) {
  const size_t n = q.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
  for (size_t i = 0; i < n; i++)
    for (size_t j = 0; j < n; j++) a[i][j] = q[j][i];
  for (size_t j = 0; j < n; j++) a[n - 1][j] = 1.0;
  a[n - 1][n] = 1.0;
  for (size_t col = 0; col < n; col++) {
    size_t pivot = col;
    for (size_t r = col + 1; r < n; r++)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    std::swap(a[col], a[pivot]);
    for (size_t r = 0; r < n; r++) {
      if (r == col) continue;
      const double m = a[r][col] / a[col][col];
      for (size_t j = col; j <= n; j++) a[r][j] -= m * a[col][j];
    }
  }
  std::vector<double> pi(n);
  for (size_t i = 0; i < n; i++) pi[i] = a[i][n] / a[i][i];
  return pi;
}

#endif
