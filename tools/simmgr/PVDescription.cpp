#include "PVDescription.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "TextFiles.h"

namespace simmgr {

namespace {

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n";
  const size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

bool ParseIndex(const std::string& s, int& out) {
  if (s.empty() || s.size() > 6) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

}  // namespace

PVDescription::Variable& PVDescription::At(int index) {
  if (static_cast<size_t>(index) >= _vars.size()) _vars.resize(static_cast<size_t>(index) + 1);
  return _vars[static_cast<size_t>(index)];
}

bool PVDescription::LoadTypeFile(const std::string& path, std::string& error) {
  return LoadFile(
      path, [this](const std::string& text, std::string& why) { return ParseTypeText(text, why); }, error);
}

bool PVDescription::LoadKindFile(const std::string& path, std::string& error) {
  return LoadFile(
      path, [this](const std::string& text, std::string& why) { return ParseKindText(text, why); }, error);
}

// "Version:1", "NumPV:n", then per variable "Name:", "Type:", "NumTimes:k" and k pairs
// of "Start:"/"Stop:". Rows of a variable with several time points are named after their point.
bool PVDescription::ParseTypeText(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0, numPV = -1, next = 0;
  bool sawVersion = false;
  while (std::getline(in, line)) {
    ++lineNo;
    line = Trim(line);
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
      error = "line " + std::to_string(lineNo) + ": expected 'Label:value'";
      return false;
    }
    const std::string label = line.substr(0, colon), value = line.substr(colon + 1);
    if (label == "Version") {
      if (value != "1") {
        error = "unsupported version " + value;
        return false;
      }
      sawVersion = true;
    } else if (label == "NumPV") {
      if (!ParseIndex(value, numPV)) {
        error = "line " + std::to_string(lineNo) + ": bad NumPV";
        return false;
      }
    } else if (label == "Name") {
      if (numPV >= 0 && next >= numPV) {
        error = "more variables than NumPV " + std::to_string(numPV);
        return false;
      }
      At(next++).name = value;
    } else if (next > 0 && (label == "Type" || label == "NumTimes" || label == "Start" || label == "Stop")) {
      Variable& v = At(next - 1);
      int number = 0;
      if ((label == "Type" || label == "NumTimes") && !ParseIndex(value, number)) {
        error = "line " + std::to_string(lineNo) + ": bad " + label;
        return false;
      }
      if (label == "Type") v.rewardType = number;
      if (label == "NumTimes") v.numTimes = number;
      if (label == "Start") v.starts.push_back(value);
      if (label == "Stop") v.stops.push_back(value);
    }
  }
  NameTimePoints();
  if (!sawVersion || numPV < 0) {
    error = "not a reward-model description (no Version or NumPV line)";
    return false;
  }
  if (next != numPV) {
    error = "NumPV is " + std::to_string(numPV) + " but " + std::to_string(next) + " names follow";
    return false;
  }
  return true;
}

bool PVDescription::ParseKindText(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string indexText, name, kind, extra;
    int index = 0;
    if (!(fields >> indexText >> name >> kind) || (fields >> extra) || !ParseIndex(indexText, index)) {
      error = "line " + std::to_string(lineNo) + ": expected 'index name terminating|steady_state'";
      return false;
    }
    Variable& v = At(index);
    if (kind == "terminating")
      v.kind = Terminating;
    else if (kind == "steady_state")
      v.kind = SteadyState;
    else {
      error = "line " + std::to_string(lineNo) + ": unknown kind '" + kind + "'";
      return false;
    }
    if (v.name.empty()) v.name = name;
  }
  return true;
}

// A variable with k time points comes as k consecutive rows of one name, each listing all k
// points; the j-th row observes the j-th point, and is named after it so that rows differ.
void PVDescription::NameTimePoints() {
  int position = 0;
  std::string previous;
  for (Variable& v : _vars) {
    position = (v.name == previous) ? position + 1 : 0;
    previous = v.name;
    const size_t k = std::min(v.starts.size(), v.stops.size());
    if (k == 0) continue;
    const size_t j = static_cast<size_t>(position) % k;
    v.start = v.starts[j];
    v.stop = v.stops[j];
    if (v.numTimes <= 1) continue;
    if (v.rewardType == 0 || v.start == v.stop)
      v.name += "@" + v.stop;
    else
      v.name += "@" + v.start + "-" + v.stop;
  }
}

const PVDescription::Variable* PVDescription::Find(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= _vars.size()) return nullptr;
  return &_vars[static_cast<size_t>(index)];
}

const char* PVDescription::KindName(Kind k) {
  return k == Terminating ? "terminating" : k == SteadyState ? "steady_state" : "unknown";
}

std::string PVDescription::Name(int index) const {
  if (index >= 0 && static_cast<size_t>(index) < _vars.size() && !_vars[index].name.empty())
    return _vars[static_cast<size_t>(index)].name;
  return "pv" + std::to_string(index);
}

bool PVDescription::Considered(int index, bool terminatingRun) const {
  if (index < 0 || static_cast<size_t>(index) >= _vars.size()) return true;
  const Kind k = _vars[static_cast<size_t>(index)].kind;
  if (k == Unknown) return true;
  return terminatingRun ? k == Terminating : k == SteadyState;
}

}  // namespace simmgr
