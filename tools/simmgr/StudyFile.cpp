#include "StudyFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "TextFiles.h"

namespace simmgr {

namespace {

bool IsIndex(const std::string& s) {
  return !s.empty() && s.size() <= 5 && s.find_first_not_of("0123456789") == std::string::npos &&
         std::stol(s) <= 65535;
}

// Tokens of an override text are separated by runs of ':'.
std::vector<std::string> ColonTokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::string current;
  for (char c : text) {
    if (c != ':') {
      current += c;
    } else if (!current.empty()) {
      tokens.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

// An integer as "%i" reads it (decimal, 0x hexadecimal, 0 octal), clamped to [lo, hi].
bool ReadInteger(const std::string& text, long lo, long hi, long& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 0);
  if (end == text.c_str()) return false;
  value = std::clamp(parsed, lo, hi);
  return true;
}

// The shortest text that reads back as the same number, as the study file writes it.
std::string ShortestText(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

const char* TypeOfLetter(char letter) {
  switch (letter) {
    case 'b':
      return "bool";
    case 'c':
      return "char";
    case 'd':
      return "double";
    case 'f':
      return "float";
    case 'i':
      return "int";
    case 'l':
      return "long";
    case 's':
      return "short";
  }
  return nullptr;
}

// The value an override gives, written as the study file writes a value of that type; false
// when the simulator would skip the triple.
bool OverrideValue(char letter, const std::string& text, std::string& value) {
  long n = 0;
  switch (letter) {
    case 'b':
      if (!ReadInteger(text, SHRT_MIN, SHRT_MAX, n)) return false;
      value = n != 0 ? "1" : "0";
      return true;
    case 'c':
      value = std::to_string(static_cast<int>(text[0]));
      return true;
    case 'd': {
      double d = 0.0;
      if (std::sscanf(text.c_str(), "%lf", &d) != 1) return false;
      value = ShortestText(d);
      return true;
    }
    case 'f': {
      float f = 0.0f;
      if (std::sscanf(text.c_str(), "%f", &f) != 1) return false;
      value = ShortestText(static_cast<double>(f));
      return true;
    }
    case 'i':
      if (!ReadInteger(text, INT_MIN, INT_MAX, n)) return false;
      value = std::to_string(n);
      return true;
    case 'l':
      if (!ReadInteger(text, INT32_MIN, INT32_MAX, n)) return false;
      value = std::to_string(n);
      return true;
    case 's':
      if (!ReadInteger(text, SHRT_MIN, SHRT_MAX, n)) return false;
      value = std::to_string(n);
      return true;
  }
  return false;
}

}  // namespace

bool StudyFile::ParseText(const std::string& text, std::string& error) {
  _loaded = true;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = SplitFields(line, '\t');
    const std::string where = "line " + std::to_string(lineNo) + ": ";
    if (f[0] == "global") {
      if (f.size() != 4) {
        error = where + "expected 'global<TAB>NAME<TAB>TYPE<TAB>LETTER'";
        return false;
      }
      _globals.push_back(Global{f[1], f[2], f[3]});
    } else if (f[0] == "experiment") {
      if (f.size() < 3 || !IsIndex(f[1])) {
        error = where + "expected 'experiment<TAB>INDEX<TAB>NAME<TAB>VARIABLE=VALUE...'";
        return false;
      }
      Experiment e;
      e.index = std::stoi(f[1]);
      e.name = f[2];
      for (size_t i = 3; i < f.size(); ++i) {
        const size_t eq = f[i].find('=');
        if (eq == std::string::npos) {
          error = where + "expected VARIABLE=VALUE, not '" + f[i] + "'";
          return false;
        }
        e.values.emplace_back(f[i].substr(0, eq), f[i].substr(eq + 1));
      }
      _experiments.push_back(e);
    } else if (f[0] == "description_sha256" && f.size() == 2) {
      _hash = f[1];
    } else if (f[0] == "reward") {
      const bool count = f.size() == 6 && !f[5].empty() && f[5].size() <= 9 &&
                         f[5].find_first_not_of("0123456789") == std::string::npos;
      if (!count || !IsIndex(f[1]) || (f[4] != "sum" && f[4] != "average" && f[4] != "instance")) {
        error = where + "expected 'reward<TAB>INDEX<TAB>ROW<TAB>OVER<TAB>sum|average|instance<TAB>COUNT'";
        return false;
      }
      _scopes.push_back(Scope{std::stoi(f[1]), f[2], f[3], f[4], std::stoi(f[5])});
    }
  }
  return true;
}

bool StudyFile::Load(const std::string& path, std::string& error) {
  return LoadFile(
      path, [this](const std::string& text, std::string& why) { return ParseText(text, why); }, error);
}

const StudyFile::Scope* StudyFile::ScopeOf(int index) const {
  for (const Scope& s : _scopes)
    if (s.index == index) return &s;
  return nullptr;
}

const StudyFile::Experiment* StudyFile::Find(int index) const {
  for (const Experiment& e : _experiments)
    if (e.index == index) return &e;
  return nullptr;
}

std::string StudyFile::NameOf(int index) const {
  if (const Experiment* e = Find(index)) return e->name;
  return "Experiment " + std::to_string(index + 1);
}

void StudyFile::ApplyOverrides(const std::string& overrides) {
  const std::vector<std::string> tokens = ColonTokens(overrides);
  for (size_t next = 0; next + 3 <= tokens.size(); next += 3) {
    const char letter = tokens[next][0];
    const std::string& name = tokens[next + 1];
    const auto global =
        std::find_if(_globals.begin(), _globals.end(), [&](const Global& g) { return g.name == name; });
    const char* type = TypeOfLetter(letter);
    if (global != _globals.end() && type != nullptr && global->type != type) continue;
    std::string value;
    if (!OverrideValue(letter, tokens[next + 2], value)) continue;
    for (Experiment& e : _experiments)
      for (auto& kv : e.values)
        if (kv.first == name) kv.second = value;
  }
}

bool StudyFile::Select(const std::string& list, std::vector<int>& out, std::string& error) const {
  out.clear();
  error.clear();
  const std::vector<std::string> items = SplitFields(list, ',');
  auto byName = [&](const std::string& name) -> const Experiment* {
    for (const Experiment& e : _experiments)
      if (e.name == name) return &e;
    return nullptr;
  };
  auto add = [&](int index) {
    if (std::find(out.begin(), out.end(), index) != out.end()) {
      error = "experiment " + std::to_string(index) + " is given twice";
      return false;
    }
    if (!_experiments.empty() && !Find(index)) {  // a study that lists none checks nothing
      error = "the study has no experiment " + std::to_string(index);
      return false;
    }
    out.push_back(index);
    return true;
  };
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    const size_t dash = item.find('-');
    if (IsIndex(item)) {
      if (!add(std::stoi(item))) break;
    } else if (dash != std::string::npos && IsIndex(item.substr(0, dash)) && IsIndex(item.substr(dash + 1))) {
      const int a = std::stoi(item.substr(0, dash)), b = std::stoi(item.substr(dash + 1));
      if (b < a) {
        error = "the range " + item + " runs backwards";
        break;
      }
      bool ok = true;
      for (int e = a; e <= b && ok; ++e) ok = add(e);
      if (!ok) break;
    } else if (_loaded && byName(item)) {
      if (!add(byName(item)->index)) break;
    } else if (_loaded && item == "all") {
      bool ok = true;
      for (const Experiment& e : _experiments)
        if (ok) ok = add(e.index);
      if (!ok) break;
    } else {
      // A name may itself hold commas: the longest run of items that names an experiment.
      size_t last = items.size();
      std::string joined;
      while (_loaded && last > i + 1) {
        joined = items[i];
        for (size_t k = i + 1; k < last; ++k) joined += "," + items[k];
        if (byName(joined)) break;
        --last;
      }
      if (last > i + 1) {
        if (!add(byName(joined)->index)) break;
        i = last - 1;
        continue;
      }
      error = _loaded ? "the study has no experiment '" + item + "'"
                      : "'" + item + "' is not an experiment index or range (names need the study file)";
      break;
    }
  }
  if (error.empty() && out.empty()) error = "no experiment given";
  if (error.empty()) return true;
  if (_loaded) {
    error += "; it has ";
    const size_t shown = std::min<size_t>(_experiments.size(), 20);
    for (size_t k = 0; k < shown; ++k)
      error += (k ? ", " : "") + std::to_string(_experiments[k].index) + " (" + _experiments[k].name + ")";
    if (_experiments.empty()) error += "none";
    if (shown < _experiments.size()) error += ", ... " + std::to_string(_experiments.size()) + " in all";
  }
  return false;
}

}  // namespace simmgr
