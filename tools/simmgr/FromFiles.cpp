#include "FromFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "ObservationPool.h"
#include "RunKinds.h"
#include "StoppingRule.h"
#include "TextFiles.h"
#include "Wire.h"

namespace simmgr {

namespace {

const char kBinaryMagic[] = "KAVRIN_SIM_BIN_FILE,";
const char kAsciiMagic[] = "#KAVRIN_SIM_ASCII_FILE,";
const size_t kHeaderBytes = 256;
// A bound on one result file, so that a wrong path (a device) cannot read for ever.
const size_t kResultFileLimit = size_t{1} << 32;

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
  // Every file is read first, then pooled per experiment and kind, each file one simulator.
  struct File {
    ProcessResult proc;
    int experiment = 0;
    bool terminating = true;
    std::vector<std::pair<int, std::vector<double>>> blocks;  // in the order written
  };
  std::vector<File> files;
  const bool kindGiven = KindGiven(_opt);
  if (kindGiven) {
    std::vector<bool> kinds;
    std::string error;
    if (!PlanRunKinds(_opt, _pv, kinds, error)) {
      _msg << "simmgr: " << error << "\n";
      return false;
    }
  }

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
    File file;
    ProcessResult& proc = file.proc;
    proc.clientId = -1;
    proc.seed = static_cast<uint32_t>(std::strtoul(HeaderField(header, "SEED").c_str(), nullptr, 10));
    proc.commandLine = path;
    proc.host = "-";
    proc.started = true;  // a file holds what its simulator sent; only a live run can fail to start one
    int& experiment = file.experiment;
    experiment = std::atoi(HeaderField(header, "EXPERIMENTS").c_str());
    std::string batches = binary ? HeaderField(header, "BATCHES") : "";
    std::map<int, uint64_t> counts;  // values per variable from this file
    uint64_t written = 0;            // values of the variable with the most, considered or not
    uint64_t records = 0;
    std::string problem;                // the rest of the file cannot be read
    std::vector<std::string> warnings;  // read, but the file is not whole

    // Values of one variable; false when the description has no such variable.
    auto add = [&](int index, std::vector<double> values) {
      if (_pv.Known() && index >= _pv.Count()) {
        problem =
            "names variable " + std::to_string(index) + " but the model has " + std::to_string(_pv.Count());
        return false;
      }
      written = std::max(written, counts[index] += values.size());
      if (!file.blocks.empty() && file.blocks.back().first == index && !binary)
        file.blocks.back().second.insert(file.blocks.back().second.end(), values.begin(), values.end());
      else
        file.blocks.emplace_back(index, std::move(values));
      return true;
    };

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
        if (records == 0) experiment = GetU16(b + at + 5);
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
          if (kind == 1 && !add(index, std::move(values))) break;  // squared values carry nothing more
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
        if (line.rfind("#META_DATA,", 0) == 0) {
          closed = true;
          batches = HeaderField(line, "BATCHES");
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
    // The replications the simulator had completed when it last wrote the file (0 in a
    // steady-state run, which says nothing).
    const uint64_t completed = std::strtoull(batches.c_str(), nullptr, 10);
    if (problem.empty() && completed > written)
      warnings.push_back("holds " + std::to_string(written) + " observations but its " +
                         (binary ? "header" : "closing line") + " says " + std::to_string(completed) +
                         " (cut short, or its simulator was stopped before it reported them all)");

    // The kind of run the file holds: a steady-state run completes no replication, a
    // terminating one writes its terminating variables.
    bool terminatingValues = false;
    for (const auto& kv : counts)
      if (const PVDescription::Variable* v = _pv.Find(kv.first))
        terminatingValues |= v->kind == PVDescription::Terminating;
    if (kindGiven)
      file.terminating = _opt.TerminatingRun();
    else if (!batches.empty() && records > 0)
      file.terminating = std::atoll(batches.c_str()) > 0;
    else
      file.terminating = terminatingValues || counts.empty();

    for (const auto& kv : counts)
      if (_pv.Considered(kv.first, file.terminating))
        proc.observations = std::max(proc.observations, kv.second);
    proc.used = proc.observations;
    proc.outcome = "read " + std::to_string(records) + (binary ? " records" : " lines") + " from " + path +
                   " (" + KindText(file.terminating) + (kindGiven ? ", as -t says)" : ")");
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
    files.push_back(std::move(file));
  }

  run.interrupted = false;
  run.jobs = 0;
  run.kinds.clear();
  for (bool kind : {true, false})
    for (const File& f : files)
      if (f.terminating == kind) {
        run.kinds.push_back(kind);
        break;
      }
  std::set<int> experiments;
  for (const File& f : files) experiments.insert(f.experiment);
  for (int experiment : experiments) {
    ExperimentResult result;
    result.experiment = experiment;
    result.ran = true;
    for (bool terminating : run.kinds) {
      std::vector<const File*> mine;
      for (const File& f : files)
        if (f.experiment == experiment && f.terminating == terminating) mine.push_back(&f);
      if (mine.empty()) continue;
      ObservationPool pool(_opt, terminating, mine.size());
      if (_pv.Known())
        for (int i = 0; i < _pv.Count(); ++i)
          if (_pv.Considered(i, terminating)) pool.Declare(i, _pv.Name(i));
      PhaseResult phase;
      phase.terminating = terminating;
      phase.reproducible = true;
      phase.firstProcess = result.processes.size();
      phase.processCount = mine.size();
      for (size_t s = 0; s < mine.size(); ++s) {
        const File& f = *mine[s];
        std::set<int> flagged;
        for (const auto& block : f.blocks) {
          if (!_pv.Considered(block.first, terminating)) {
            result.ignoredObservations += block.second.size();
            continue;
          }
          const std::string name = _pv.Name(block.first);
          if (pool.Add(s, block.first, name, block.second) > 0 && flagged.insert(block.first).second)
            for (double v : block.second)
              if (!std::isfinite(v)) {
                _msg << "simmgr: " << f.proc.commandLine << ": variable " << name
                     << " holds a non-finite observation (" << v
                     << "); such observations are left out of its estimate, counted, and the "
                     << "variable is flagged\n";
                break;
              }
        }
        result.processes.push_back(f.proc);
      }
      // Everything the files hold: they are not a run to be stopped early.
      const std::map<int, VariableResult> vars = pool.Results();
      phase.stopReason = StopVerdict("read from files", vars, _opt);
      for (const auto& kv : vars) {
        phase.observations = std::max(phase.observations, kv.second.stats.Count());
        result.variables.push_back(kv.second);
      }
      result.phases.push_back(phase);
      run.jobs = std::max(run.jobs, static_cast<int>(mine.size()));
    }
    std::stable_sort(result.variables.begin(), result.variables.end(),
                     [](const VariableResult& a, const VariableResult& b) { return a.index < b.index; });
    if (result.phases.size() == 1) {
      result.stopReason = result.phases[0].stopReason;
    } else {
      for (const PhaseResult& p : result.phases)
        result.stopReason += (result.stopReason.empty() ? "" : "; ") + std::string(KindText(p.terminating)) +
                             ": " + p.stopReason;
    }
    run.experiments.push_back(std::move(result));
  }
  return true;
}

}  // namespace simmgr
