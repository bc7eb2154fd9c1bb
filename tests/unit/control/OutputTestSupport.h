// Helpers shared by the packet, flush and link tests: a simulator assembled by hand, files that
// are read back whole, and a manager peer on a loopback connection.
#ifndef KAVRIN_TESTS_UNIT_CONTROL_OUTPUTTESTSUPPORT_H
#define KAVRIN_TESTS_UNIT_CONTROL_OUTPUTTESTSUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BaseClasses/KavrinSocket.h"
#include "Simulator/DataPacket.h"
#include "Simulator/SimulatorClass.h"

namespace outtest {

inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file name unique to the running test, removed at the end of the test.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& suffix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = std::string("output_") + info->test_suite_name() + "_" + info->name() + suffix;
    std::remove(name_.c_str());
  }
  ~ScratchFile() { std::remove(name_.c_str()); }
  const std::string& name() const { return name_; }
  char* c_name() { return &name_[0]; }

 private:
  std::string name_;
};

// A simulator with one performance variable and its current packet pair, nothing else.
inline std::unique_ptr<SimulatorClass> BareSimulator(int numPVs, int reportSize) {
  auto sim = std::make_unique<SimulatorClass>(SimulatorClass::BareTag{});
  sim->NumPVs = numPVs;
  sim->ReportSize = reportSize;
  sim->CurPacket = sim->CreateDataPacket(numPVs);
  sim->CurSqrPacket = sim->CreateDataPacket(numPVs);
  return sim;
}

// Fills the current pair with n observations of value for every variable.
inline void FillCurrent(SimulatorClass& sim, int n, double value) {
  for (int pv = 0; pv < sim.NumPVs; ++pv) {
    for (int r = 0; r < n; ++r) {
      sim.CurPacket->SetObs(pv, r, value);
      sim.CurSqrPacket->SetObs(pv, r, value * value);
    }
    sim.CurPacket->SetNumObs(pv, n);
    sim.CurSqrPacket->SetNumObs(pv, n);
  }
}

// A connected pair on loopback: `manager` is the client side, `simulatorSide` the accepted one.
struct LoopbackPair {
  KavrinSocket listener{true};
  KavrinSocket manager{true};
  KavrinSocket* simulatorSide = new KavrinSocket(false);

  LoopbackPair() {
    EXPECT_TRUE(listener.Bind(0));
    EXPECT_TRUE(listener.Listen(1));
    EXPECT_TRUE(manager.Connect("127.0.0.1", listener.GetBoundPort()));
    EXPECT_TRUE(listener.Accept(*simulatorSide));
  }
  ~LoopbackPair() { delete simulatorSide; }

  void SendToSimulator(const std::string& bytes) {
    ASSERT_EQ(manager.Send(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
  }
  // Reads exactly n bytes the simulator sent (bounded wait).
  std::vector<unsigned char> Receive(int n) {
    std::vector<unsigned char> out(static_cast<size_t>(n));
    int got = 0;
    while (got < n && manager.Select(5000)) {
      const int r = manager.Recv(reinterpret_cast<char*>(out.data()) + got, n - got);
      if (r <= 0) break;
      got += r;
    }
    out.resize(static_cast<size_t>(got));
    return out;
  }
  bool NothingPending() { return !manager.Select(100); }
};

inline std::vector<unsigned char> Reply(unsigned char marker, unsigned char code) {
  const int pid = KavrinSocket::ProcessId();
  return {0,
          0,
          0,
          10,
          marker,
          code,
          static_cast<unsigned char>(pid >> 24),
          static_cast<unsigned char>(pid >> 16),
          static_cast<unsigned char>(pid >> 8),
          static_cast<unsigned char>(pid)};
}

}  // namespace outtest

#endif
