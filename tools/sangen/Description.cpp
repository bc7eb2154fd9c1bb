#include "Description.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace sangen {

const std::map<std::string, int>& Samplers() {
  static const std::map<std::string, int> samplers{{"Exponential", 1},
                                                   {"Deterministic", 1},
                                                   {"Geometric", 1},
                                                   {"Weibull", 2},
                                                   {"Normal", 2},
                                                   {"Lognormal", 2},
                                                   {"Erlang", 2},
                                                   {"Triangular", 3},
                                                   {"Gamma", 2},
                                                   {"Beta", 2},
                                                   {"Uniform", 2},
                                                   {"Binomial", 2},
                                                   {"NegativeBinomial", 2},
                                                   {"Pareto", 2},
                                                   {"ConditionalWeibull", 3}};
  return samplers;
}

// Past the comment or the character or string literal that starts at code[i]; i itself when
// none starts there. The scans of snippets below skip them alike.
static size_t SkipCommentOrLiteral(const std::string& code, size_t i) {
  const size_t n = code.size();
  const char c = code[i];
  if (c == '/' && i + 1 < n && code[i + 1] == '/') {
    while (i < n && code[i] != '\n') i++;
    return i;
  }
  if (c == '/' && i + 1 < n && code[i + 1] == '*') {
    const size_t end = code.find("*/", i + 2);
    return end == std::string::npos ? n : end + 2;
  }
  if (c == '"' || c == '\'') {
    i++;
    while (i < n && code[i] != c) i += code[i] == '\\' ? 2 : 1;
    return i + 1;
  }
  return i;
}

std::vector<std::string> Identifiers(const std::string& code) {
  std::vector<std::string> out;
  size_t i = 0;
  const size_t n = code.size();
  while (i < n) {
    char c = code[i];
    const size_t past = SkipCommentOrLiteral(code, i);
    if (past != i) {
      i = past;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = i;
      while (i < n && (std::isalnum(static_cast<unsigned char>(code[i])) || code[i] == '_')) i++;
      // A member after . or -> is not a name of the model.
      size_t k = start;
      while (k > 0 && std::isspace(static_cast<unsigned char>(code[k - 1]))) k--;
      bool member = (k > 0 && code[k - 1] == '.') || (k > 1 && code[k - 1] == '>' && code[k - 2] == '-') ||
                    (k > 1 && code[k - 1] == ':' && code[k - 2] == ':');
      if (!member) out.push_back(code.substr(start, i - start));
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      while (i < n && (std::isalnum(static_cast<unsigned char>(code[i])) || code[i] == '.')) i++;
    } else {
      i++;
    }
  }
  return out;
}

size_t UnpairedBracket(const std::string& code) {
  std::vector<size_t> open;
  size_t i = 0;
  const size_t n = code.size();
  while (i < n) {
    const char c = code[i];
    const size_t past = SkipCommentOrLiteral(code, i);
    if (past != i) {
      i = past;
    } else {
      if (c == '(' || c == '[' || c == '{') {
        open.push_back(i);
      } else if (c == ')' || c == ']' || c == '}') {
        const char want = c == ')' ? '(' : c == ']' ? '[' : '{';
        if (open.empty() || code[open.back()] != want) return i;
        open.pop_back();
      }
      i++;
    }
  }
  return open.empty() ? std::string::npos : open.front();
}

const PlaceDef* Description::FindPlace(const std::string& name) const {
  for (const PlaceDef& p : Places)
    if (p.Name == name) return &p;
  return nullptr;
}

const Description* Description::FindSubmodel(const std::string& name) const {
  for (const Description& d : Submodels)
    if (d.ModelName == name) return &d;
  return nullptr;
}

const GlobalDef* Description::FindGlobal(const std::string& name) const {
  for (const GlobalDef& g : Globals)
    if (g.Name == name) return &g;
  return nullptr;
}

std::vector<std::string> Description::ActionNames() const {
  std::vector<std::string> names;
  for (const ActivityDef& a : Activities) {
    if (a.Cases.empty()) {
      names.push_back(a.Name);
    } else {
      for (size_t k = 0; k < a.Cases.size(); k++) names.push_back(a.Name + "_case" + std::to_string(k + 1));
    }
  }
  return names;
}

}  // namespace sangen
