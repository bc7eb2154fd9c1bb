#include "FromFiles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>
#include <sstream>

#include "TextFiles.h"
#include "Wire.h"

namespace simmgr {

namespace {

const char kBinaryMagic[] = "KAVRIN_SIM_BIN_FILE,";
const char kAsciiMagic[] = "#KAVRIN_SIM_ASCII_FILE,";
const size_t kHeaderBytes = 256;
// A bound on one result file, so that a wrong path (a device) cannot read for ever.
const size_t kResultFileLimit = size_t{1} << 32;

struct Pool {
  ExperimentResult result;
  std::map<int, VariableResult> vars;
};

VariableResult FromFilesVariable(int index, const std::string& name, bool terminating) {
  VariableResult v;
  v.index = index;
  v.name = name;
  v.steadyState = !terminating;
  return v;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

std::string HeaderField(const std::string& header, const std::string& key) {
  const std::string needle = "," + key + "=";
  const size_t at = header.find(needle);
  if (at == std::string::npos) return "";
  const size_t from = at + needle.size();
  const size_t to = header.find_first_of(",\n", from);
  return header.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

FromFiles::FromFiles(const Options& options, const PVDescription& description, std::ostream& messages)
    : _opt(options), _pv(description), _msg(messages) {}

bool FromFiles::Read(RunResult& run) {
  const bool terminating = _opt.TerminatingRun();
  std::map<int, Pool> pools;
  auto pool = [&](int experiment) -> Pool& {
    auto it = pools.find(experiment);
    if (it != pools.end()) return it->second;
    Pool& p = pools[experiment];
    p.result.experiment = experiment;
    p.result.ran = true;
    p.result.stopReason = "read from files";
    if (_pv.Known())
      for (int i = 0; i < _pv.Count(); ++i)
        if (_pv.Considered(i, terminating)) p.vars[i] = FromFilesVariable(i, _pv.Name(i), terminating);
    return p;
  };

  for (const std::string& path : _opt.fromFiles) {
    std::string bytes, error;
    if (!ReadHead(path, kHeaderBytes, bytes, error)) {
      _msg << "simmgr: " << error << "\n";
      return false;
    }
    const bool binary = StartsWith(bytes, kBinaryMagic);
    if (!binary && !StartsWith(bytes, kAsciiMagic)) {
      _msg << "simmgr: " << path << " is not a result file of the simulator\n";
      return false;
    }
    if (!ReadFile(path, bytes, error, kResultFileLimit)) {
      _msg << "simmgr: " << error << "\n";
      return false;
    }
    const std::string header =
        bytes.substr(0, std::min(bytes.find_first_of(std::string("\n\0", 2)), kHeaderBytes));
    ProcessResult proc;
    proc.clientId = -1;
    proc.seed = static_cast<uint32_t>(std::strtoul(HeaderField(header, "SEED").c_str(), nullptr, 10));
    proc.commandLine = path;
    proc.host = "-";
    proc.started = true;  // a file holds what its simulator sent; only a live run can fail to start one
    int experiment = std::atoi(HeaderField(header, "EXPERIMENTS").c_str());
    std::map<int, uint64_t> counts;  // values per considered variable from this file
    uint64_t written = 0;            // values of the variable with the most, considered or not
    std::map<int, uint64_t> all;
    uint64_t records = 0;
    std::string problem;                // the rest of the file cannot be read
    std::vector<std::string> warnings;  // read, but the file is not whole

    // Values of one variable; false when the description has no such variable.
    auto add = [&](int index, const std::vector<double>& values) {
      if (_pv.Known() && index >= _pv.Count()) {
        problem =
            "names variable " + std::to_string(index) + " but the model has " + std::to_string(_pv.Count());
        return false;
      }
      written = std::max(written, all[index] += values.size());
      Pool& p = pool(experiment);
      if (!_pv.Considered(index, terminating)) {
        p.result.ignoredObservations += values.size();
        return true;
      }
      auto it = p.vars.find(index);
      if (it == p.vars.end())
        it = p.vars.emplace(index, FromFilesVariable(index, _pv.Name(index), terminating)).first;
      VariableResult& var = it->second;
      // Each file is one simulator's sequence, numbered by its place among the experiment's files.
      const size_t simulator = p.result.processes.size();
      for (double v : values)
        if (!AddObservation(var, simulator, v) && var.nonFinite == 1)
          _msg << "simmgr: " << path << ": variable " << var.name << " holds a non-finite observation (" << v
               << "); such observations are left out of its estimate, counted, and the "
               << "variable is flagged\n";
      counts[index] += values.size();
      return true;
    };

    // The replications the simulator had completed when it last wrote the file (0 in a
    // steady-state run, which says nothing).
    uint64_t batches = std::strtoull(HeaderField(header, "BATCHES").c_str(), nullptr, 10);
    if (binary) {
      // The header, then data records exactly as they travel to the manager.
      size_t at = kHeaderBytes;
      if (bytes.size() < kHeaderBytes) problem = "header cut short";
      const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
      while (problem.empty() && at < bytes.size()) {
        if (bytes.size() - at < 9) {
          problem = "last record cut short";
          break;
        }
        const uint32_t length = GetU32(b + at);
        if (length < 9 || length > bytes.size() - at) {
          problem = length < 9 ? "record of length " + std::to_string(length) : "last record cut short";
          break;
        }
        const size_t end = at + length;
        if (proc.clientId < 0) proc.clientId = b[at + 4];
        experiment = GetU16(b + at + 5);
        const uint16_t blocks = GetU16(b + at + 7);
        size_t q = at + 9;
        for (uint16_t k = 0; k < blocks && problem.empty(); ++k) {
          if (end - q < 7) {
            problem = "block outside its record";
            break;
          }
          const uint16_t index = GetU16(b + q);
          const uint8_t kind = b[q + 2];
          const uint32_t n = GetU32(b + q + 3);
          q += 7;
          if (n > (end - q) / 8) {
            problem = "block outside its record";
            break;
          }
          std::vector<double> values(n);
          for (uint32_t j = 0; j < n; ++j) values[j] = GetDouble(b + q + 8 * j);
          q += 8 * size_t{n};
          if (kind == 1 && !add(index, values)) break;  // squared values carry nothing more
        }
        if (problem.empty() && q != end) problem = "record length does not match its blocks";
        if (problem.empty()) ++records;
        at = end;
      }
    } else {
      // "index,value" lines; lines starting with '#' are the header and the closing metadata.
      // A file saved with CRLF line ends reads the same.
      std::istringstream text(bytes);
      std::string line;
      int lineNo = 0;
      bool closed = false;  // the closing line the simulator writes as it ends
      while (problem.empty() && std::getline(text, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("#META_DATA", 0) == 0) {
          closed = true;
          batches = std::strtoull(HeaderField(line, "BATCHES").c_str(), nullptr, 10);
        }
        if (line.empty() || line[0] == '#') continue;
        char* endIndex = nullptr;
        const long index = std::strtol(line.c_str(), &endIndex, 10);
        char* endValue = nullptr;
        const double value = *endIndex == ',' ? std::strtod(endIndex + 1, &endValue) : 0.0;
        if (*endIndex != ',' || endValue == endIndex + 1 || (*endValue != '\0' && *endValue != ',') ||
            index < 0 || index > 65535) {
          problem = "line " + std::to_string(lineNo) + " is not 'index,value'";
          break;
        }
        if (!add(static_cast<int>(index), {value})) break;
        ++records;
      }
      proc.clientId = 0;
      if (problem.empty() && !bytes.empty() && bytes.back() != '\n')
        warnings.push_back("its last line has no line end (the file was cut)");
      else if (problem.empty() && !closed)
        warnings.push_back("no closing #META_DATA line (the simulator did not finish the file)");
    }
    if (problem.empty() && batches > written)
      warnings.push_back("holds " + std::to_string(written) + " observations but its " +
                         (binary ? "header" : "closing line") + " says " + std::to_string(batches) +
                         " (cut short, or its simulator was stopped before it reported them all)");

    for (const auto& kv : counts) proc.observations = std::max(proc.observations, kv.second);
    proc.outcome = "read " + std::to_string(records) + (binary ? " records" : " lines") + " from " + path;
    if (!problem.empty()) {
      proc.fault = true;
      proc.outcome += "; " + problem + ", the rest is not read";
      _msg << "simmgr: " << path << ": " << problem << "\n";
    }
    for (const std::string& w : warnings) {
      proc.fault = true;
      proc.outcome += "; " + w;
      _msg << "simmgr: " << path << ": warning: " << w << "; the results are incomplete\n";
    }
    if (proc.clientId < 0) proc.clientId = 0;
    pool(experiment).result.processes.push_back(proc);
  }

  run.interrupted = false;
  run.jobs = 0;
  for (auto& kv : pools) {
    Pool& p = kv.second;
    for (auto& v : p.vars) {
      AnalyseVariable(v.second, _opt);  // a steady-state variable gets the same batch analysis as a live run
      p.result.variables.push_back(v.second);
    }
    run.jobs = std::max(run.jobs, static_cast<int>(p.result.processes.size()));
    run.experiments.push_back(p.result);
  }
  return true;
}

}  // namespace simmgr
