#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "Histogram.h"
#include "KavrinVersion.h"
#include "Launch.h"
#include "PercentileInterval.h"
#include "RunKinds.h"
#include "StoppingRule.h"

namespace simmgr {

namespace {

std::string Num(double v, int digits = 8) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  std::ostringstream s;
  s << std::setprecision(digits) << v;
  return s.str();
}

std::string Exact(double v) { return Num(v, 17); }

nlohmann::json JsonNumber(double v) {
  if (std::isfinite(v)) return v;
  return nullptr;
}

std::string CommandTemplate(const Options& o) {
  std::string s = ShellQuote(o.simulator) + " -w -p 0 -c <client> -e <experiment> -s <seed> -n " +
                  std::to_string(o.reportSize);
  if (!o.simulatorArgs.empty()) s += " " + ShellJoin(o.simulatorArgs);
  return s;
}

std::string Limit(uint64_t v) { return v ? std::to_string(v) : "none"; }

// One word or phrase a reader cannot miss: "reached", "imprecise", or why the interval is not
// to be trusted.
std::string Verdict(const VariableResult& v, const Options& o) {
  const std::string why = ShortOfPrecision(v, o);
  if (why.empty()) return "reached";
  if (why == "interval too wide") return "imprecise";
  if (why == "non-finite observations") return "flagged: " + why;
  return "unreliable: " + why;
}

// A CSV field, quoted when it holds a separator, a quote, a line break or '#' (which readers
// told to skip comment lines would cut at), or starts or ends with a space.
std::string CsvField(const std::string& text) {
  const bool quote = text.find_first_of(",\"\r\n#") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string VersionText() { return KAVRIN_VERSION; }

// The hosts the run's simulators ran on, each once, in the order first used.
std::vector<std::string> RunHosts(const RunResult& run) {
  std::vector<std::string> hosts;
  for (const ExperimentResult& e : run.experiments)
    for (const ProcessResult& p : e.processes)
      if (p.host != "-" && std::find(hosts.begin(), hosts.end(), p.host) == hosts.end())
        hosts.push_back(p.host);
  return hosts;
}

// The value an experiment gives a global variable, "" when the study does not say.
std::string GlobalValue(const StudyFile& study, int experiment, const std::string& global) {
  if (const StudyFile::Experiment* e = study.Find(experiment))
    for (const auto& kv : e->values)
      if (kv.first == global) return kv.second;
  return "";
}

// A value of the study file as a JSON number when it reads as one, else as its text.
nlohmann::json JsonValue(const std::string& text) {
  if (text.empty()) return nullptr;
  char* end = nullptr;
  const long long whole = std::strtoll(text.c_str(), &end, 10);
  if (*end == '\0' && text.find_first_not_of("-0123456789") == std::string::npos) return whole;
  const double d = std::strtod(text.c_str(), &end);
  if (*end == '\0' && std::isfinite(d)) return d;
  return text;
}

// The lines under an experiment's heading in the table: its name and its global variables.
void WriteExperimentIdentity(std::ostream& out, const RunContext& c, int experiment) {
  out << "  name:        " << c.study.NameOf(experiment) << "\n";
  const StudyFile::Experiment* e = c.study.Find(experiment);
  if (!e || e->values.empty()) return;
  out << "  globals:    ";
  for (const auto& kv : e->values) out << " " << kv.first << "=" << kv.second;
  out << "\n";
}

// The run's provenance lines at the top of the table.
void WriteProvenanceLines(std::ostream& out, const RunContext& c) {
  out << "  version:     simmgr " << VersionText() << "\n";
  out << "  started:     " << c.startTime;
  if (!c.managerHost.empty()) out << " on " << c.managerHost;
  out << "\n";
  if (!c.study.DescriptionHash().empty())
    out << "  description: sha256 " << c.study.DescriptionHash() << "\n";
}

// CSV columns after the figures: the experiment's name, one column per global variable, and
// the provenance of the run (the same on every line).
std::vector<std::string> CsvContextHeader(const RunContext& c) {
  static const std::vector<std::string> fixed{"experiment",
                                              "index",
                                              "variable",
                                              "kind",
                                              "observations",
                                              "mean",
                                              "variance",
                                              "half_width",
                                              "low",
                                              "high",
                                              "relative_half_width",
                                              "confidence",
                                              "reached",
                                              "stop_reason",
                                              "deleted_batches",
                                              "merge_factor",
                                              "effective_batches",
                                              "lag1_autocorrelation",
                                              "independence_passed",
                                              "skewness",
                                              "normality_passed",
                                              "non_finite",
                                              "note",
                                              "experiment_name",
                                              "simmgr_version",
                                              "description_sha256",
                                              "start_time",
                                              "command",
                                              "hosts"};
  std::vector<std::string> names{"experiment_name"};
  for (const StudyFile::Global& g : c.study.Globals())
    names.push_back(std::find(fixed.begin(), fixed.end(), g.name) != fixed.end() ? "global_" + g.name
                                                                                 : g.name);
  for (const char* n : {"simmgr_version", "description_sha256", "start_time", "command", "hosts"})
    names.push_back(n);
  return names;
}

std::vector<std::string> CsvContextFields(const RunContext& c, const RunResult& run, int experiment) {
  std::vector<std::string> fields{c.study.NameOf(experiment)};
  for (const StudyFile::Global& g : c.study.Globals())
    fields.push_back(GlobalValue(c.study, experiment, g.name));
  std::string hosts;
  for (const std::string& h : RunHosts(run)) hosts += (hosts.empty() ? "" : " ") + h;
  fields.insert(fields.end(),
                {VersionText(), c.study.DescriptionHash(), c.startTime, ShellJoin(c.command), hosts});
  return fields;
}

nlohmann::json JsonProvenance(const Options& o, const RunResult& run, const RunContext& c) {
  return {
      {"simmgr_version", VersionText()},
      {"description_sha256", c.study.DescriptionHash().empty() ? nlohmann::json(nullptr)
                                                               : nlohmann::json(c.study.DescriptionHash())},
      {"command", c.command},
      {"start_time", c.startTime},
      {"manager_host", c.managerHost},
      {"hosts", RunHosts(run)},
      {"seed", o.seed}};
}

void AddJsonExperimentIdentity(nlohmann::json& je, const RunContext& c, int experiment) {
  je["name"] = c.study.NameOf(experiment);
  nlohmann::json globals = nlohmann::json::object();
  if (const StudyFile::Experiment* e = c.study.Find(experiment))
    for (const auto& kv : e->values) globals[kv.first] = JsonValue(kv.second);
  je["globals"] = globals;
}

// A terminating variable's per-replication values: the 5th, 50th and 95th percentiles with their
// order-statistic intervals at the run's confidence, and a histogram; null for a steady-state
// variable (its observations are batch means, not replications) or one without values.
nlohmann::json JsonDistribution(const VariableResult& v, const Options& o) {
  using nlohmann::json;
  if (v.steadyState || v.sorted.empty()) return nullptr;
  json percentiles = json::array();
  for (double p : {0.05, 0.5, 0.95}) {
    const stats::PercentileInterval q = stats::EstimatePercentile(v.sorted, p, o.confidence);
    percentiles.push_back({{"p", p},
                           {"value", JsonNumber(q.value)},
                           {"low", JsonNumber(q.low)},
                           {"high", JsonNumber(q.high)},
                           {"low_rank", q.lowRank},
                           {"high_rank", q.highRank},
                           {"coverage", JsonNumber(q.coverage)}});
  }
  const stats::Histogram h = stats::MakeHistogram(v.sorted);
  json edges = json::array();
  for (double e : h.edges) edges.push_back(JsonNumber(e));
  return {{"method", "order statistics (binomial)"},
          {"confidence", o.confidence},
          {"observations", v.sorted.size()},
          {"min", v.sorted.front()},
          {"max", v.sorted.back()},
          {"percentiles", percentiles},
          {"histogram", {{"edges", edges}, {"counts", h.counts}}}};
}

bool HasKind(const RunResult& run, bool terminating) {
  return std::find(run.kinds.begin(), run.kinds.end(), terminating) != run.kinds.end();
}

std::string RunKindText(const RunResult& run) {
  if (run.kinds.size() > 1)
    return "terminating, then steady state (each experiment runs both kinds, one after the other)";
  return KindText(run.kinds.empty() || run.kinds[0]);
}

std::string RunKindKey(const RunResult& run) {
  if (run.kinds.size() > 1) return "mixed";
  return KindKey(run.kinds.empty() || run.kinds[0]);
}

// The phase a variable or a process of the experiment belongs to.
const PhaseResult* PhaseOfVariable(const ExperimentResult& e, const VariableResult& v) {
  for (const PhaseResult& p : e.phases)
    if (p.terminating == !v.steadyState) return &p;
  return nullptr;
}

const PhaseResult* PhaseOfProcess(const ExperimentResult& e, size_t process) {
  for (const PhaseResult& p : e.phases)
    if (process >= p.firstProcess && process < p.firstProcess + p.processCount) return &p;
  return nullptr;
}

std::string RowStopReason(const ExperimentResult& e, const VariableResult& v) {
  if (e.phases.size() < 2) return e.stopReason;
  const PhaseResult* p = PhaseOfVariable(e, v);
  return p ? p->stopReason : e.stopReason;
}

// The simulators' command line as the run gave it: -t 0 is added for a steady-state phase the
// options did not ask for.
std::string RunCommandTemplate(const Options& o, const RunResult& run) {
  const std::string plain = CommandTemplate(o);
  if (KindGiven(o) || !HasKind(run, false)) return plain;
  return HasKind(run, true) ? plain + "  (with -t 0 in the steady-state phase)" : plain + " -t 0";
}

bool Reproducible(const ExperimentResult& e) {
  if (e.phases.empty()) return false;
  for (const PhaseResult& p : e.phases)
    if (!p.reproducible) return false;
  return true;
}

}  // namespace

int ExitStatus(const Options& o, const RunResult& run) {
  if (run.interrupted) return 130;
  for (const ExperimentResult& e : run.experiments) {
    if (e.Observations() == 0) return 2;
    for (const PhaseResult& p : e.phases)
      if (p.observations == 0) return 2;
  }
  for (const ExperimentResult& e : run.experiments) {
    if (e.NotStarted() > 0) return 3;
    for (const ProcessResult& p : e.processes)
      if (p.fault) return 3;
    for (const VariableResult& v : e.variables)
      if (Untrusted(v, o)) return 3;
  }
  return 0;
}

void WriteTable(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context) {
  out << "Simulation results\n";
  out << "  command:     " << ShellJoin(context.command) << "\n";
  WriteProvenanceLines(out, context);
  if (o.fromFiles.empty()) {
    out << "  simulator:   " << RunCommandTemplate(o, run) << "\n";
    if (!o.launchTemplate.empty()) out << "  launcher:    " << o.launchTemplate << "\n";
  } else {
    out << "  read from:   " << ShellJoin(o.fromFiles) << " (no simulator was run)\n";
  }
  out << "  run kind:    " << RunKindText(run) << "\n";
  if (o.fromFiles.empty()) {
    out << "  generator:   " << GeneratorName(o.GeneratorChoice()) << "\n";
    out << "  seed:        " << o.seed << " with " << run.jobs << " jobs per experiment\n";
  }
  out << "  obs:         observations: one per replication (terminating) or batch (steady state),\n"
         "               each giving one value of every variable\n";
  out << "  confidence:  " << o.confidence << ", precision " << o.precision << ", min-obs " << o.minObs
      << ", max-obs " << Limit(o.maxObs) << ", time limit "
      << (o.timeLimit > 0 ? Num(o.timeLimit) + " s" : std::string("none")) << "\n";
  if (HasKind(run, false))
    out << "  batch means: MSER-5 deletion per simulator, merged until the lag-1 and skewness tests at level "
        << o.batchTestLevel << " pass, at least " << o.minBatches << " batches\n";
  if (run.interrupted) out << "  interrupted: the figures hold what was collected\n";

  for (const ExperimentResult& e : run.experiments) {
    out << "\nExperiment " << e.experiment << ": " << e.stopReason;
    if (e.ran && o.fromFiles.empty())
      out << " after " << std::fixed << std::setprecision(1) << e.seconds << " s" << std::defaultfloat;
    out << "\n";
    WriteExperimentIdentity(out, context, e.experiment);
    if (!e.ran) continue;
    if (e.variables.empty()) {
      out << "  no observations\n";
    } else {
      out << "  " << std::left << std::setw(20) << "variable" << std::right << std::setw(10) << "obs"
          << std::setw(14) << "kind" << std::setw(16) << "mean" << std::setw(14) << "variance"
          << std::setw(14) << "half-width"
          << "  " << std::left << std::setw(30) << "interval" << std::right << std::setw(10) << "rel.hw";
      if (HasKind(run, false))
        out << std::setw(9) << "deleted" << std::setw(7) << "merge" << std::setw(9) << "batches"
            << std::setw(8) << "lag-1"
            << "  indep." << std::setw(7) << "skew"
            << "  normal";
      out << "  reached\n";
      for (const VariableResult& v : e.variables) {
        const Interval iv = VariableInterval(v, o);
        const std::string interval = "[" + Num(iv.low) + ", " + Num(iv.high) + "]";
        out << "  " << std::left << std::setw(20) << v.name << std::right << std::setw(10) << v.stats.Count()
            << std::setw(14) << KindText(!v.steadyState) << std::setw(16) << Num(iv.mean) << std::setw(14)
            << Num(v.stats.Variance(), 6) << std::setw(14) << Num(iv.halfWidth, 6) << "  " << std::left
            << std::setw(30) << interval << std::right << std::setw(10) << Num(iv.relative, 4);
        if (v.steadyState)
          out << std::setw(9) << v.batch.deleted << std::setw(7) << v.batch.mergeFactor << std::setw(9)
              << v.batch.batches << std::setw(8) << Num(v.batch.lag1, 3) << "  " << std::left << std::setw(6)
              << (v.batch.independent ? "yes" : "no") << std::right << std::setw(7)
              << Num(v.batch.skewness, 2) << "  " << std::left << std::setw(6)
              << (v.batch.normal ? "yes" : "no") << std::right;
        else if (HasKind(run, false))
          out << std::string(9 + 7 + 9 + 8 + 8 + 7 + 8, ' ');
        const std::string verdict = Verdict(v, o);
        out << "  " << (verdict == "reached" ? "yes" : "no")
            << (verdict.rfind("unreliable", 0) == 0 ? ", " + verdict : "") << "\n";
      }
    }
    // A steady-state interval whose batches are too few or still correlated is likely too
    // narrow: say so in words, not only in a column.
    for (const VariableResult& v : e.variables) {
      if (!v.steadyState || v.nonFinite > 0) continue;
      const std::string verdict = Verdict(v, o);
      if (verdict.rfind("unreliable", 0) != 0) continue;
      out << "  warning: " << v.name << " is UNRELIABLE: ";
      if (!v.batch.enoughBatches)
        out << "only " << v.batch.batches << " batches (" << o.minBatches << " needed)";
      else if (v.batch.independent)
        out << "its batch means are still skewed (skewness " << Num(v.batch.skewness, 3) << " over "
            << v.batch.batches << " batches of " << v.batch.mergeFactor << ")";
      else
        out << "its batch means still fail the independence test (lag-1 autocorrelation "
            << Num(v.batch.lag1, 3) << " over " << v.batch.batches << " batches of " << v.batch.mergeFactor
            << ")";
      out << " when the run stopped (" << RowStopReason(e, v).substr(0, RowStopReason(e, v).find(';'))
          << "); the interval is likely too narrow\n";
    }
    for (const VariableResult& v : e.variables)
      if (v.nonFinite > 0)
        out << "  warning: " << v.name << " received " << v.nonFinite
            << " non-finite observations (nan or inf); they are left out of its estimate and it cannot"
               " reach its precision\n";
    if (e.NotStarted() > 0)
      out << "  warning: " << e.processes.size() - static_cast<size_t>(e.NotStarted()) << " of "
          << e.processes.size() << " simulators started; these figures hold what they sent\n";
    if (e.NotUsed())
      out << "  (" << e.NotUsed() << " observations that arrived after the stopping point are not used)\n";
    if (e.ignoredObservations)
      out << "  (" << e.ignoredObservations
          << " observations of variables this kind of run does not consider were ignored)\n";
    if (e.phases.size() < 2) out << "  processes:\n";
    for (size_t i = 0; i < e.processes.size(); ++i) {
      const ProcessResult& p = e.processes[i];
      for (const PhaseResult& ph : e.phases)
        if (e.phases.size() > 1 && ph.firstProcess == i && ph.processCount > 0)
          out << "  processes (" << KindText(ph.terminating) << "):\n";
      out << "    client " << p.clientId << "  seed " << p.seed << "  host " << p.host;
      if (p.simulatorPid) out << "  pid " << p.simulatorPid;
      out << "  " << p.observations << " obs";
      if (p.used != p.observations && o.fromFiles.empty()) out << " (" << p.used << " used)";
      out << "  cpu " << Num(p.cpuSeconds, 4) << " s  " << p.outcome << "\n";
      if (p.fault && !p.stderrTail.empty()) {
        std::istringstream lines(p.stderrTail);
        std::string line;
        while (std::getline(lines, line)) out << "      | " << line << "\n";
      }
    }
    if (!e.messages.Lines().empty()) {
      out << "  simulator messages (standard error, each distinct line once):\n";
      for (const SimulatorMessages::Line& m : e.messages.Lines())
        out << "    " << SimulatorMessages::ClientsText(m.clients) << ": " << m.text << "\n";
      if (e.messages.Dropped()) out << "    (" << e.messages.Dropped() << " more lines not kept)\n";
    }
  }
  out.flush();
}

void WriteCsv(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context) {
  out << "experiment,index,variable,kind,observations,mean,variance,half_width,low,high,"
         "relative_half_width,confidence,reached,stop_reason,deleted_batches,merge_factor,effective_batches,"
         "lag1_autocorrelation,independence_passed,skewness,normality_passed,non_finite,note";
  for (const std::string& name : CsvContextHeader(context)) out << "," << CsvField(name);
  out << "\n";
  for (const ExperimentResult& e : run.experiments) {
    const std::vector<std::string> contextFields = CsvContextFields(context, run, e.experiment);
    for (const VariableResult& v : e.variables) {
      const Interval iv = VariableInterval(v, o);
      out << e.experiment << "," << v.index << "," << CsvField(v.name) << "," << KindKey(!v.steadyState)
          << "," << v.stats.Count() << "," << Exact(iv.mean) << "," << Exact(v.stats.Variance()) << ","
          << Exact(iv.halfWidth) << "," << Exact(iv.low) << "," << Exact(iv.high) << "," << Exact(iv.relative)
          << "," << o.confidence << "," << (PrecisionReached(v, o) ? "yes" : "no") << ","
          << CsvField(RowStopReason(e, v)) << ",";
      if (v.steadyState)
        out << v.batch.deleted << "," << v.batch.mergeFactor << "," << v.batch.batches << ","
            << Exact(v.batch.lag1) << "," << (v.batch.independent ? "yes" : "no") << ","
            << Exact(v.batch.skewness) << "," << (v.batch.normal ? "yes" : "no");
      else
        out << ",,,,,,";
      out << "," << v.nonFinite << "," << CsvField(Verdict(v, o));
      for (const std::string& f : contextFields) out << "," << CsvField(f);
      out << "\n";
    }
  }
  out.flush();
}

void WriteJson(std::ostream& out, const Options& o, const RunResult& run, const RunContext& context) {
  using nlohmann::json;
  json doc;
  doc["context"] = {{"command", context.command},
                    {"simulator", o.simulator},
                    {"simulator_args", o.simulatorArgs},
                    {"simulator_command", RunCommandTemplate(o, run)},
                    {"launcher", o.launchTemplate},
                    {"hosts", o.hosts},
                    {"run_kind", RunKindKey(run)},
                    {"generator", GeneratorName(o.GeneratorChoice())},
                    {"seed", o.seed},
                    {"jobs", run.jobs},
                    {"report_size", o.reportSize},
                    {"confidence", o.confidence},
                    {"precision", o.precision},
                    {"min_obs", o.minObs},
                    {"max_obs", o.maxObs},
                    {"time_limit", o.timeLimit},
                    {"min_batches", o.minBatches},
                    {"batch_test_level", o.batchTestLevel}};
  json kinds = json::array();
  for (bool k : run.kinds) kinds.push_back(KindKey(k));
  doc["context"]["run_kinds"] = kinds;
  if (!o.fromFiles.empty()) doc["context"]["from_files"] = o.fromFiles;
  doc["provenance"] = JsonProvenance(o, run, context);
  doc["interrupted"] = run.interrupted;
  json exps = json::array();
  for (const ExperimentResult& e : run.experiments) {
    json je = {{"experiment", e.experiment},
               {"ran", e.ran},
               {"stop_reason", e.stopReason},
               {"seconds", e.seconds},
               {"observations", e.Observations()},
               {"simulators_started", static_cast<int>(e.processes.size()) - e.NotStarted()},
               {"simulators_not_started", e.NotStarted()},
               {"ignored_observations", e.ignoredObservations},
               {"observations_not_used", e.NotUsed()},
               {"reproducible", Reproducible(e)},
               {"detached_files", e.detachedFiles}};
    AddJsonExperimentIdentity(je, context, e.experiment);
    json vars = json::array();
    for (const VariableResult& v : e.variables) {
      const Interval iv = VariableInterval(v, o);
      json batch = nullptr;
      if (v.steadyState)
        batch = {{"observations", v.batch.observations},
                 {"deleted_batches", v.batch.deleted},
                 {"merge_factor", v.batch.mergeFactor},
                 {"effective_batches", v.batch.batches},
                 {"batch_variance", JsonNumber(v.batch.variance)},
                 {"lag1_autocorrelation", JsonNumber(v.batch.lag1)},
                 {"test_z", JsonNumber(v.batch.testZ)},
                 {"independence_passed", v.batch.independent},
                 {"skewness", JsonNumber(v.batch.skewness)},
                 {"normality_passed", v.batch.normal},
                 {"enough_batches", v.batch.enoughBatches}};
      vars.push_back({{"index", v.index},
                      {"name", v.name},
                      {"kind", KindKey(!v.steadyState)},
                      {"observations", v.stats.Count()},
                      {"mean", JsonNumber(iv.mean)},
                      {"variance", JsonNumber(v.stats.Variance())},
                      {"half_width", JsonNumber(iv.halfWidth)},
                      {"low", JsonNumber(iv.low)},
                      {"high", JsonNumber(iv.high)},
                      {"relative_half_width", JsonNumber(iv.relative)},
                      {"reached", PrecisionReached(v, o)},
                      {"non_finite", v.nonFinite},
                      {"note", Verdict(v, o)},
                      {"batch_means", batch},
                      {"distribution", JsonDistribution(v, o)}});
    }
    je["variables"] = vars;
    json phases = json::array();
    for (const PhaseResult& p : e.phases)
      phases.push_back({{"kind", KindKey(p.terminating)},
                        {"stop_reason", p.stopReason},
                        {"seconds", p.seconds},
                        {"observations", p.observations},
                        {"reproducible", p.reproducible},
                        {"prefix", p.prefix ? json(p.prefix) : json(nullptr)},
                        {"observations_not_used", p.notUsed}});
    je["phases"] = phases;
    json procs = json::array();
    for (size_t i = 0; i < e.processes.size(); ++i) {
      const ProcessResult& p = e.processes[i];
      const PhaseResult* ph = PhaseOfProcess(e, i);
      procs.push_back({{"client", p.clientId},
                       {"kind", KindKey(ph ? ph->terminating : true)},
                       {"seed", p.seed},
                       {"host", p.host},
                       {"command", p.commandLine},
                       {"simulator_pid", p.simulatorPid},
                       {"observations", p.observations},
                       {"observations_used", p.used},
                       {"cpu_seconds", JsonNumber(p.cpuSeconds)},
                       {"outcome", p.outcome},
                       {"fault", p.fault},
                       {"started", p.started},
                       {"stderr_tail", p.stderrTail}});
    }
    je["processes"] = procs;
    json messages = json::array();
    for (const SimulatorMessages::Line& m : e.messages.Lines())
      messages.push_back({{"clients", m.clients}, {"text", m.text}});
    je["messages"] = messages;
    je["messages_not_kept"] = e.messages.Dropped();
    exps.push_back(je);
  }
  doc["experiments"] = exps;
  out << doc.dump(2) << "\n";
  out.flush();
}

}  // namespace simmgr
