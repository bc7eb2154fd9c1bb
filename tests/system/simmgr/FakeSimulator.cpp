// A stand-in simulator for the manager's tests: it speaks the simulator's side of the
// link (port announcement, greeting, CPU-time and data records, replies to commands 1, 2
// and 3) and sends observations the test knows, with switches for misbehaving.
//
//   fake_simulator -w -p 0 -c ID -e EXP -s SEED -n REPORT [-V VARIABLES] [-F FLAGS] [-D DIR]
//   -V  per variable, comma-separated: a number (constant), normal:MEAN:SD, or
//       ar1:MEAN:PHI:X0 (x = MEAN + PHI (x - MEAN) + N(0, 1), from x = X0: a correlated
//       output with a transient)
//   -F  comma-separated: split, batch, badlen, cut, crash, segv, noregister, wrongpid,
//       slow=MS, reports=N (end on its own after N reports), greetlate (mark
//       DIR/linked.<client> once connected, greet only when a command arrives),
//       after=C (greet only once DIR/linked.C exists), nostart (fail as an exec
//       would: message, exit 127), nan=K / inf=K (the first value of the last
//       variable in report K is NaN / +infinity); "name@C" limits a switch to client C
//   -D  every observation sent is appended to DIR/obs.<exp>.<client> ("index value")
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinSocket.h"
#include "BaseClasses/KavrinSystem.h"
#include "support/RecordBytes.h"

namespace {

struct VarDef {
  bool normal = false;
  bool ar1 = false;
  double a = 0.0, b = 0.0;
  double state = 0.0;
};

KavrinSocket* gLink = nullptr;
bool gSplit = false;

using simmgr::recordbytes::EncodeReply;
using simmgr::recordbytes::PutDouble;
using simmgr::recordbytes::PutU16;
using simmgr::recordbytes::PutU32;

void SleepMs(long ms) { std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000)); }

bool SendAll(const std::vector<uint8_t>& bytes) {
  const char* data = reinterpret_cast<const char*>(bytes.data());
  const int n = static_cast<int>(bytes.size());
  if (gSplit) {
    for (int i = 0; i < n; ++i) {
      if (gLink->Send(data + i, 1) != 1) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }
  return n == 0 || gLink->Send(data, n) == n;
}

// Ends the link at once, without a shutdown first: as a simulator that dies would.
void Drop() {
  KavrinNet::Close(gLink->_socket);
  gLink->_socket = -1;
}

}  // namespace

int main(int argc, char** argv) {
  int client = 0, experiment = 0, report = 1000;
  unsigned long seed = 31415;
  bool wait = false;
  std::string variablesText = "4", flags, dir;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.size() < 2 || a[0] != '-') continue;
    const char letter = a[1];
    std::string value;
    if (a.size() > 2)
      value = a.substr(2);
    else if (i + 1 < argc && argv[i + 1][0] != '-')
      value = argv[++i];
    switch (letter) {
      case 'w':
        wait = true;
        std::cout << "Wait For Socket Enabled\n";
        break;
      case 'p':
        std::cout << "Port: " << value << "\n";
        break;
      case 'c':
        client = std::atoi(value.c_str());
        std::cout << "ClientID: " << value << "\n";
        break;
      case 'e':
        experiment = std::atoi(value.c_str());
        std::cout << "Experiment: " << value << "\n";
        break;
      case 's':
        seed = std::strtoul(value.c_str(), nullptr, 10);
        std::cout << "Random Number Seed: " << value << "\n";
        break;
      case 'n':
        report = std::atoi(value.c_str());
        std::cout << "ReportSize: " << value << "\n";
        break;
      case 'V':
        variablesText = value;
        break;
      case 'F':
        flags = value;
        break;
      case 'D':
        dir = value;
        break;
      default:
        break;  // other simulator options are accepted and ignored
    }
  }
  std::cout.flush();
  if (!wait || report < 1) {
    std::cerr << "fake simulator needs -w and -n >= 1\n";
    return 1;
  }

  std::vector<VarDef> defs;
  {
    std::stringstream ss(variablesText);
    std::string item;
    while (std::getline(ss, item, ',')) {
      VarDef v;
      if (item.rfind("ar1:", 0) == 0) {
        v.ar1 = true;
        std::sscanf(item.c_str() + 4, "%lf:%lf:%lf", &v.a, &v.b, &v.state);
      } else if (item.rfind("normal:", 0) == 0) {
        v.normal = true;
        std::sscanf(item.c_str() + 7, "%lf:%lf", &v.a, &v.b);
      } else {
        v.a = std::atof(item.c_str());
      }
      defs.push_back(v);
    }
  }
  // "name" applies to every client, "name@C" only to client C.
  auto has = [&](const std::string& f) {
    const std::string all = "," + flags + ",";
    return all.find("," + f + ",") != std::string::npos ||
           all.find("," + f + "@" + std::to_string(client) + ",") != std::string::npos;
  };
  auto num = [&](const std::string& key, long dflt) {
    const size_t at = ("," + flags).find("," + key + "=");
    return at == std::string::npos ? dflt : std::atol(flags.c_str() + at + key.size() + 1);
  };
  const long slowMs = num("slow", 0), maxReports = num("reports", 0), after = num("after", -1);
  const long nanReport = num("nan", 0), infReport = num("inf", 0);

  if (has("nostart")) {
    std::cerr << "cannot start the fake simulator: No such file or directory" << std::endl;
    return 127;
  }

  if (has("noregister")) {
    SleepMs(60000);
    return 0;
  }

  KavrinSocket listener(true);
  if (!listener.Bind(0, "0.0.0.0") || !listener.Listen(100)) {
    std::cerr << "bind/listen failed" << std::endl;
    return 1;
  }
  std::cout << "REGISTER:  Port: [" << listener.GetBoundPort() << "]" << std::endl;

  if (!listener.Select(60000)) return 0;
  KavrinSocket link(false);
  if (!listener.Accept(link)) return 0;
  gLink = &link;
  KavrinNet::SetNoDelay(link._socket);
  gSplit = has("split");
  const uint32_t pid = static_cast<uint32_t>(KavrinSystem::ProcessId()) + (has("wrongpid") ? 1 : 0);

  std::mt19937_64 rng(seed * 1000003ULL + static_cast<unsigned>(client));
  FILE* log = nullptr;
  if (!dir.empty()) {
    const std::string path = dir + "/obs." + std::to_string(experiment) + "." + std::to_string(client);
    log = std::fopen(path.c_str(), "w");
  }

  auto makeReport = [&](long index, std::vector<std::vector<double>>& values) {
    std::vector<uint8_t> o;
    PutU32(o, 12);
    o.push_back(0xFE);
    o.push_back(static_cast<uint8_t>(client));
    PutU16(o, static_cast<uint16_t>(experiment));
    PutDouble(o, 0.01 * static_cast<double>(index));
    values.assign(defs.size(), {});
    const uint32_t L = static_cast<uint32_t>(9 + 7 * defs.size() + 8 * defs.size() * report);
    PutU32(o, L);
    o.push_back(static_cast<uint8_t>(client));
    PutU16(o, static_cast<uint16_t>(experiment));
    PutU16(o, static_cast<uint16_t>(defs.size()));
    for (size_t v = 0; v < defs.size(); ++v) {
      PutU16(o, static_cast<uint16_t>(v));
      o.push_back(1);
      PutU32(o, static_cast<uint32_t>(report));
      std::normal_distribution<double> nd(defs[v].a, defs[v].b > 0 ? defs[v].b : 1.0);
      for (int r = 0; r < report; ++r) {
        double x = defs[v].normal ? nd(rng) : defs[v].a;
        if (defs[v].ar1) {
          std::normal_distribution<double> e(0.0, 1.0);
          x = defs[v].state = defs[v].a + defs[v].b * (defs[v].state - defs[v].a) + e(rng);
        }
        if (r == 0 && v + 1 == defs.size() && index == nanReport) x = std::nan("");
        if (r == 0 && v + 1 == defs.size() && index == infReport) x = HUGE_VAL;
        values[v].push_back(x);
        PutDouble(o, x);
      }
    }
    return o;
  };
  auto logValues = [&](const std::vector<std::vector<double>>& values) {
    if (!log) return;
    for (size_t v = 0; v < values.size(); ++v)
      for (double x : values[v]) std::fprintf(log, "%zu %.17g\n", v, x);
    std::fflush(log);
  };

  // A manager slow to read stands behind these: it has connected but not seen a greeting.
  if (has("greetlate") && !dir.empty()) {
    if (FILE* mark = std::fopen((dir + "/linked." + std::to_string(client)).c_str(), "w")) std::fclose(mark);
    if (!link.Select(30000)) return 0;
  }
  if (after >= 0 && after != client && !dir.empty()) {
    const std::string mark = dir + "/linked." + std::to_string(after);
    for (int i = 0; i < 3000 && !std::filesystem::exists(mark); ++i) SleepMs(10);
  }

  std::vector<uint8_t> first = EncodeReply(0xFF, 1, pid);
  std::vector<std::vector<double>> values;
  if (has("batch")) {
    // Greeting and three reports in one write.
    std::vector<std::vector<double>> all(defs.size());
    for (long k = 1; k <= 3; ++k) {
      std::vector<uint8_t> r = makeReport(k, values);
      first.insert(first.end(), r.begin(), r.end());
      for (size_t v = 0; v < values.size(); ++v)
        all[v].insert(all[v].end(), values[v].begin(), values[v].end());
    }
    if (!SendAll(first)) return 0;
    logValues(all);
  } else if (!SendAll(first)) {
    return 0;
  }

  bool quit = false;
  for (long k = 1;; ++k) {
    // Poll for a command between reports, as the simulator does.
    if (!quit && link.Select(0)) {
      char cmd = 0;
      const int r = link.Recv(&cmd, 1);
      if (r == 1 && cmd == 1) {
        SendAll(EncodeReply(0xFF, 1, pid));
      } else if (r == 1 && cmd == 2) {
        std::cout << "SOCKET::Quit" << std::endl;
        SendAll(EncodeReply(0xFE, 2, pid));
        quit = true;  // one more report may follow the reply
      } else if (r == 1 && cmd == 3) {
        std::string text;
        char c;
        while (text.size() < 512 && (text.size() < 2 || text.compare(text.size() - 2, 2, ";;") != 0) &&
               link.Recv(&c, 1) == 1)
          text += c;
        SendAll(EncodeReply(0xFF, 3, pid));
        Drop();
        const std::string name = text.substr(0, text.find(';'));
        FILE* f = std::fopen(name.c_str(), "w");
        if (f) {
          std::fprintf(f, "detached %s\n", text.c_str());
          std::fclose(f);
        }
        std::cout << "SIMULATOR::MAIN()-GOOD EXIT" << std::endl;
        return 0;
      }
    }
    if (has("badlen") && k == 3) {
      std::vector<uint8_t> bad;
      PutU32(bad, 11);
      for (int i = 0; i < 7; ++i) bad.push_back(0);
      SendAll(bad);
      SleepMs(1000);
      return 0;
    }
    if (has("cut") && k == 3) {
      std::vector<uint8_t> r = makeReport(k, values);
      r.resize(r.size() / 2);
      SendAll(r);
      Drop();
      return 0;
    }
    if (has("segv") && k == 3) {
      // The default action, so that the process dies by the signal even where a sanitizer's handler
      // would catch it and exit with a code instead.
      std::signal(SIGSEGV, SIG_DFL);
      std::raise(SIGSEGV);
    }
    if (has("crash") && k == 3) {
      std::cerr << "fatal: the fake simulator crashed on purpose" << std::endl;
      _exit(3);
    }
    if (!has("batch") || k > 3) {
      if (!SendAll(makeReport(k, values))) break;
      logValues(values);
    }
    if (quit || (maxReports > 0 && k >= maxReports)) break;
    if (slowMs > 0) SleepMs(slowMs);
  }
  if (log) std::fclose(log);
  Drop();
  std::cout << "SIMULATOR::MAIN()-GOOD EXIT" << std::endl;
  return 0;
}
