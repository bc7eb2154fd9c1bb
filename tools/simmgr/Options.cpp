#include "Options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <sstream>
#include <utility>

#include "Statistics.h"
#include "TextFiles.h"

namespace simmgr {

namespace {

bool ToInt64(const std::string& s, int64_t lo, int64_t hi, int64_t& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ToDouble(const std::string& s, double lo, double hi, double& out) {
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (errno != 0 || *end != '\0' || !(v >= lo && v <= hi)) return false;
  out = v;
  return true;
}

}  // namespace

bool ParseExperimentList(const std::string& text, std::vector<int>& out) {
  out.clear();
  for (const std::string& item : SplitFields(text, ',')) {
    const size_t dash = item.find('-');
    int64_t a = 0, b = 0;
    if (dash == std::string::npos) {
      if (!ToInt64(item, 0, 65535, a)) return false;
      b = a;
    } else if (!ToInt64(item.substr(0, dash), 0, 65535, a) || !ToInt64(item.substr(dash + 1), 0, 65535, b) ||
               b < a) {
      return false;
    }
    for (int64_t e = a; e <= b; ++e) {
      for (int seen : out)
        if (seen == e) return false;
      out.push_back(static_cast<int>(e));
    }
  }
  return !out.empty();
}

bool FindSimulatorOption(const std::vector<std::string>& args, char letter, std::string& value) {
  bool found = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-' || a[1] != letter) continue;
    found = true;  // the last occurrence wins, as in the simulator
    if (a.size() > 2)
      value = a.substr(2);
    else if (i + 1 < args.size() && (args[i + 1].empty() || args[i + 1][0] != '-'))
      value = args[++i];
    else
      value.clear();
  }
  return found;
}

std::vector<std::string> RenameSimulatorFiles(const std::vector<std::string>& args,
                                              const std::function<std::string(const std::string&)>& rename) {
  std::vector<std::string> out = args;
  for (size_t i = 0; i < out.size(); ++i) {
    const std::string& a = out[i];
    if (a.size() < 2 || a[0] != '-') continue;
    const bool names = a[1] == 'a' || a[1] == 'b' || a[1] == 'f';
    if (a.size() > 2) {
      if (names) out[i] = a.substr(0, 2) + rename(a.substr(2));
    } else if (i + 1 < out.size() && (out[i + 1].empty() || out[i + 1][0] != '-')) {
      ++i;
      if (names) out[i] = rename(out[i]);
    }
  }
  return out;
}

bool Options::TerminatingRun() const {
  std::string v;
  if (!FindSimulatorOption(simulatorArgs, 't', v)) return true;
  return std::atoi(v.c_str()) != 0;
}

int Options::GeneratorChoice() const {
  std::string v;
  if (!FindSimulatorOption(simulatorArgs, 'r', v)) return 0;
  return std::atoi(v.c_str());
}

std::string UsageText() {
  return "Usage: simmgr [options] -- SIMULATOR [simulator options]\n"
         "Starts simulators, collects their observations and prints the estimates.\n"
         "  --jobs N              simulators at once per experiment, 1 to " +
         std::to_string(kMaxJobs) +
         " (default: number of cores)\n"
         "  --seed S              base seed; each simulator gets its own seed from it (default 31415)\n"
         "  --experiments LIST    experiments to run by index, range or name, or all,\n"
         "                        e.g. 0,2,4-6 or lambda=0.5 (default 0)\n"
         "  --report-size N       observations per report, the simulator's -n (default 100)\n"
         "  --confidence C        confidence level of the intervals (default 0.95)\n"
         "  --precision P         wanted relative half-width (default 0.1)\n"
         "  --min-obs N           observations needed before precision counts (default 30)\n"
         "  --max-obs N           stop once every variable has N observations (default: no limit)\n"
         "  --time-limit S        stop an experiment after S seconds (default: no limit)\n"
         "  --min-batches N       steady state: merged batches an interval needs (default 60)\n"
         "  --batch-test-level A  steady state: level of the batch independence test (default 0.1)\n"
         "  --pv-file FILE        reward-model description (default: SIMULATOR.pv if present)\n"
         "  --csv FILE            write the results as CSV\n"
         "  --json FILE           write the results and the run context as JSON\n"
         "  --detach FILE         at the end, detach the simulators into binary files named after FILE\n"
         "  --detach-batches N    batch limit handed over with --detach (default 1000)\n"
         "  --launch TEMPLATE     run each simulator through a launcher; {cmd} is the simulator's\n"
         "                        command line, {host} its host, {remote_cmd} the command line\n"
         "                        quoted for a remote shell (e.g. 'ssh -T {host} {remote_cmd}')\n"
         "  --hosts LIST          comma-separated hosts the jobs are spread over (default 127.0.0.1);\n"
         "                        slurm: the nodes of the Slurm allocation, through srun by default\n"
         "  --register-timeout S  time a simulator has to announce its port (default 30)\n"
         "  --quit-timeout S      time a simulator has to exit after quit (default 30)\n"
         "  --progress-interval S seconds between progress lines when not on a terminal (default 5)\n"
         "  --quiet               no progress line\n"
         "  --from-files FILE...  compute the results from binary (or ASCII) result files the\n"
         "                        simulator wrote, instead of running simulators\n"
         "  --list                print the study's variables and experiments, run nothing\n"
         "  --version             the manager's version\n"
         "  --help                this text\n"
         "The manager passes -w, -p 0, -c, -e, -s and -n to every simulator; do not give them.\n"
         "With more than one simulator, the files of -a, -b and -f get .e<experiment>.c<client>\n"
         "before their extension (or {exp} and {client} replaced), as with --detach.\n";
}

namespace {

// Sets one option from its value; false for a value out of its range.
using Setter = std::function<bool(const std::string& value, Options& o)>;

template <typename T>
Setter Whole(T Options::*field, int64_t lo, int64_t hi) {
  return [=](const std::string& v, Options& o) {
    int64_t n = 0;
    if (!ToInt64(v, lo, hi, n)) return false;
    o.*field = static_cast<T>(n);
    return true;
  };
}

// A number in [lo, hi]; an open end refuses the end itself.
Setter Real(double Options::*field, double lo, double hi, bool openLow = false, bool openHigh = false) {
  return [=](const std::string& v, Options& o) {
    double x = 0.0;
    if (!ToDouble(v, lo, hi, x) || (openLow && x == lo) || (openHigh && x == hi)) return false;
    o.*field = x;
    return true;
  };
}

Setter Text(std::string Options::*field, bool (*ok)(const std::string&) = nullptr) {
  return [=](const std::string& v, Options& o) {
    if (ok && !ok(v)) return false;
    o.*field = v;
    return true;
  };
}

struct ValueOption {
  ValueOption(const char* n, Setter s, std::string h = "") : name(n), set(std::move(s)), hint(std::move(h)) {}
  const char* name;
  Setter set;
  std::string hint;  // appended to the message about a bad value
};

const std::vector<ValueOption>& ValueOptions() {
  static const std::vector<ValueOption> options{
      {"--jobs", Whole(&Options::jobs, 1, kMaxJobs), ": give 1 to " + std::to_string(kMaxJobs)},
      {"--seed", Whole(&Options::seed, 0, 4294967295LL)},
      // Names need the study file; they are checked once it is read.
      {"--experiments",
       [](const std::string& v, Options& o) {
         o.experimentList = v;
         if (!ParseExperimentList(v, o.experiments)) o.experiments.clear();
         return !v.empty();
       }},
      {"--report-size", Whole(&Options::reportSize, 1, 1000000)},
      {"--confidence",
       [](const std::string& v, Options& o) {
         // A level so close to 1 that the quantile of the widest interval (one degree of
         // freedom) is not a finite number gives no interval at all.
         if (!Real(&Options::confidence, 0.0, 1.0, true, true)(v, o)) return false;
         try {
           return std::isfinite(StudentQuantile(o.confidence, 1));
         } catch (const std::exception&) {
           return false;
         }
       },
       ": give a level above 0 and below 1 whose Student-t quantile is finite"},
      {"--precision", Real(&Options::precision, 0.0, 1e300)},
      {"--min-obs", Whole(&Options::minObs, 1, INT64_MAX)},
      {"--max-obs", Whole(&Options::maxObs, 0, INT64_MAX)},
      {"--time-limit", Real(&Options::timeLimit, 0.0, 1e9)},
      {"--min-batches", Whole(&Options::minBatches, 3, 1000000)},
      {"--batch-test-level", Real(&Options::batchTestLevel, 0.0, 0.5, true)},
      {"--pv-file", Text(&Options::pvFile)},
      {"--csv", Text(&Options::csvFile)},
      {"--json", Text(&Options::jsonFile)},
      // The name travels in the detach command, whose fields end at ';'.
      {"--detach", Text(&Options::detachFile,
                        [](const std::string& v) {
                          return !v.empty() && v.find(';') == std::string::npos && v.size() <= 400;
                        })},
      {"--detach-batches", Whole(&Options::detachBatches, 1, 2147483647)},
      {"--launch", Text(&Options::launchTemplate, [](const std::string& v) { return !v.empty(); })},
      {"--hosts",
       [](const std::string& v, Options& o) {
         o.hosts = SplitFields(v, ',');
         for (const std::string& h : o.hosts)
           if (h.empty()) return false;
         return !o.hosts.empty();
       }},
      {"--register-timeout", Real(&Options::registerTimeout, 0.001, 1e6)},
      {"--quit-timeout", Real(&Options::quitTimeout, 0.001, 1e6)},
      {"--progress-interval", Real(&Options::progressInterval, 0.01, 1e6)},
  };
  return options;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& out, std::string& error) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.rfind("--", 0) != 0) break;  // first plain word starts the simulator
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const bool hasValue = eq != std::string::npos;
    if (name == "--help") {
      out.help = true;
      return true;
    } else if (name == "--version") {
      out.version = true;
      return true;
    } else if (name == "--list") {
      out.list = true;
    } else if (name == "--quiet") {
      out.quiet = true;
    } else if (name == "--from-files") {
      // Every following word up to the next option or "--" is a file.
      if (hasValue) out.fromFiles.push_back(arg.substr(eq + 1));
      while (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) out.fromFiles.push_back(argv[++i]);
      if (out.fromFiles.empty()) {
        error = "option --from-files needs at least one file";
        return false;
      }
    } else {
      const std::vector<ValueOption>& table = ValueOptions();
      const auto option =
          std::find_if(table.begin(), table.end(), [&](const ValueOption& v) { return name == v.name; });
      if (option == table.end()) {
        error = "unknown option " + name;
        return false;
      }
      if (!hasValue && i + 1 >= argc) {
        error = "option " + name + " needs a value";
        return false;
      }
      const std::string value = hasValue ? arg.substr(eq + 1) : argv[++i];
      if (!option->set(value, out)) {
        error = "bad value '" + value + "' for " + name + option->hint;
        return false;
      }
    }
  }
  if (i >= argc) {
    error = "no simulator given";
    return false;
  }
  out.simulator = argv[i++];
  for (; i < argc; ++i) out.simulatorArgs.push_back(argv[i]);

  // These belong to the manager: each simulator gets its own.
  for (char letter : {'w', 'p', 'c', 'e', 's', 'n'}) {
    std::string v;
    if (FindSimulatorOption(out.simulatorArgs, letter, v)) {
      error = std::string("simulator option -") + letter + " is set by the manager";
      return false;
    }
  }
  if (out.maxObs != 0 && out.maxObs < out.minObs) out.minObs = out.maxObs;
  return true;
}

}  // namespace simmgr
