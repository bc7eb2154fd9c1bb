// The samplers table of docs/MODELLING.md against the framework: it lists exactly the generator's
// samplers with their number of parameters, and the mean it documents for each (a formula over the
// documented parameter names) is the mean of 200,000 draws of the framework's sampler with a fixed
// seed, within five standard errors. A table that says "rate" where the sampler reads a mean fails.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Description.h"
#include "Random/UserDistributions.h"

namespace {

struct Row {
  std::vector<std::string> Parameters;  // the names in backticks, in order
  std::string Mean;                     // the first formula in backticks
};

std::vector<std::string> Backticked(const std::string& cell) {
  std::vector<std::string> out;
  size_t at = 0;
  while ((at = cell.find('`', at)) != std::string::npos) {
    const size_t end = cell.find('`', at + 1);
    if (end == std::string::npos) break;
    out.push_back(cell.substr(at + 1, end - at - 1));
    at = end + 1;
  }
  return out;
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line.substr(1));
  std::string cell;
  while (std::getline(in, cell, '|')) cells.push_back(cell);
  return cells;
}

// Sampler -> row, from the table whose header is "| Sampler | Parameters | Mean delay |".
std::map<std::string, Row> ReadTable(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::map<std::string, Row> rows;
  std::string line;
  bool inTable = false;
  while (std::getline(in, line)) {
    if (line.rfind("| Sampler | Parameters | Mean delay |", 0) == 0) {
      inTable = true;
      continue;
    }
    if (!inTable || line.rfind("|---", 0) == 0) continue;
    if (line.empty() || line[0] != '|') break;
    const std::vector<std::string> cells = Cells(line);
    if (cells.size() < 3) throw std::runtime_error("short row: " + line);
    const std::vector<std::string> name = Backticked(cells[0]);
    const std::vector<std::string> mean = Backticked(cells[2]);
    if (name.size() != 1 || mean.empty()) throw std::runtime_error("unreadable row: " + line);
    rows[name[0]] = Row{Backticked(cells[1]), mean[0]};
  }
  return rows;
}

// A formula of numbers, names, + - * /, parentheses and the functions exp, sqrt and tgamma.
class Formula {
 public:
  Formula(const std::string& text, const std::map<std::string, double>& names) : Text(text), Names(names) {}
  double Value() {
    const double v = Sum();
    Skip();
    if (At != Text.size()) throw std::runtime_error("unexpected text in " + Text);
    return v;
  }

 private:
  std::string Text;
  std::map<std::string, double> Names;
  size_t At = 0;
  void Skip() {
    while (At < Text.size() && Text[At] == ' ') At++;
  }
  bool Take(char c) {
    Skip();
    if (At < Text.size() && Text[At] == c) {
      At++;
      return true;
    }
    return false;
  }
  double Sum() {
    double v = Product();
    for (;;) {
      if (Take('+'))
        v += Product();
      else if (Take('-'))
        v -= Product();
      else
        return v;
    }
  }
  double Product() {
    double v = Factor();
    for (;;) {
      if (Take('*'))
        v *= Factor();
      else if (Take('/'))
        v /= Factor();
      else
        return v;
    }
  }
  double Factor() {
    Skip();
    if (Take('(')) {
      const double v = Sum();
      if (!Take(')')) throw std::runtime_error("missing ) in " + Text);
      return v;
    }
    if (Take('-')) return -Factor();
    if (At < Text.size() && (std::isdigit(static_cast<unsigned char>(Text[At])) || Text[At] == '.')) {
      size_t used = 0;
      const double v = std::stod(Text.substr(At), &used);
      At += used;
      return v;
    }
    const size_t start = At;
    while (At < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[At])) || Text[At] == '_')) At++;
    const std::string name = Text.substr(start, At - start);
    if (name.empty()) throw std::runtime_error("cannot read " + Text);
    if (name == "exp" || name == "sqrt" || name == "tgamma") {
      const double x = Factor();
      return name == "exp" ? std::exp(x) : name == "sqrt" ? std::sqrt(x) : std::tgamma(x);
    }
    auto it = Names.find(name);
    if (it == Names.end()) throw std::runtime_error("'" + name + "' in " + Text + " is no parameter");
    return it->second;
  }
};

using Sampler = std::function<double(UserDistributions&, const std::vector<double>&)>;

struct Case {
  std::vector<double> Values;
  Sampler Draw;
};

// Parameter values for each sampler, chosen so that the mean differs from what a wrong reading of any
// parameter would give (Erlang with 3 phases and mean 2: a per-phase rate of 2 would give 1.5).
const std::map<std::string, Case>& Cases() {
  using V = const std::vector<double>&;
  static const std::map<std::string, Case> cases{
      {"Exponential", {{2.0}, [](UserDistributions& d, V p) { return d.Exponential(p[0]); }}},
      {"Deterministic", {{3.0}, [](UserDistributions& d, V p) { return d.Deterministic(p[0]); }}},
      {"Geometric", {{0.25}, [](UserDistributions& d, V p) { return d.Geometric(p[0]); }}},
      {"Uniform", {{1.0, 3.0}, [](UserDistributions& d, V p) { return d.Uniform(p[0], p[1]); }}},
      {"Normal", {{5.0, 1.0}, [](UserDistributions& d, V p) { return d.Normal(p[0], p[1]); }}},
      {"Lognormal", {{0.2, 0.25}, [](UserDistributions& d, V p) { return d.Lognormal(p[0], p[1]); }}},
      {"Erlang", {{3.0, 2.0}, [](UserDistributions& d, V p) { return d.Erlang(p[0], p[1]); }}},
      {"Gamma", {{2.0, 0.5}, [](UserDistributions& d, V p) { return d.Gamma(p[0], p[1]); }}},
      {"Weibull", {{1.5, 2.0}, [](UserDistributions& d, V p) { return d.Weibull(p[0], p[1]); }}},
      {"Beta", {{2.0, 3.0}, [](UserDistributions& d, V p) { return d.Beta(p[0], p[1]); }}},
      {"Binomial", {{10.0, 0.3}, [](UserDistributions& d, V p) { return d.Binomial(p[0], p[1]); }}},
      {"NegativeBinomial",
       {{3.0, 0.4}, [](UserDistributions& d, V p) { return d.NegativeBinomial(p[0], p[1]); }}},
      {"Pareto", {{1.0, 3.0}, [](UserDistributions& d, V p) { return d.Pareto(p[0], p[1]); }}},
      {"Triangular",
       {{0.0, 4.0, 1.0}, [](UserDistributions& d, V p) { return d.Triangular(p[0], p[1], p[2]); }}},
      {"ConditionalWeibull",
       {{1.5, 2.0, 0.0}, [](UserDistributions& d, V p) { return d.ConditionalWeibull(p[0], p[1], p[2]); }}}};
  return cases;
}

TEST(SamplerTable, ListsTheGeneratorsSamplersWithTheirParameters) {
  const std::map<std::string, Row> rows = ReadTable(MODELLING_DOC);
  ASSERT_EQ(rows.size(), sangen::Samplers().size());
  for (const auto& s : sangen::Samplers()) {
    SCOPED_TRACE(s.first);
    ASSERT_TRUE(rows.count(s.first));
    EXPECT_EQ(static_cast<int>(rows.at(s.first).Parameters.size()), s.second);
    EXPECT_TRUE(Cases().count(s.first));
  }
}

TEST(SamplerTable, DocumentedMeansAreTheSamplersMeans) {
  const std::map<std::string, Row> rows = ReadTable(MODELLING_DOC);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first + ": " + row.second.Mean);
    ASSERT_TRUE(Cases().count(row.first));
    const Case& c = Cases().at(row.first);
    ASSERT_EQ(c.Values.size(), row.second.Parameters.size());
    std::map<std::string, double> names;
    for (size_t k = 0; k < c.Values.size(); k++) names[row.second.Parameters[k]] = c.Values[k];
    const double documented = Formula(row.second.Mean, names).Value();

    UserDistributions d(0, 20261209);
    const int n = 200000;
    double sum = 0, squares = 0;
    for (int k = 0; k < n; k++) {
      const double x = c.Draw(d, c.Values);
      sum += x;
      squares += x * x;
    }
    const double mean = sum / n;
    const double standardError = std::sqrt(std::max(squares / n - mean * mean, 0.0) / n);
    // A constant delay has no spread: its mean is exact.
    EXPECT_NEAR(mean, documented, std::max(5 * standardError, 1e-12));
  }
}

}  // namespace
