// One simulator session against a stand-in: a shell, started through the launcher template, that
// announces a port this test listens on and then sleeps; the test's end of the link sends what
// a simulator sends. The session is driven the way the manager's poll loop drives it.
#include <gtest/gtest.h>

#include <functional>

#include "BaseClasses/KavrinNet.h"
#include "SimulatorSession.h"
#include "support/RecordBytes.h"

using namespace simmgr;
using namespace simmgr::recordbytes;
using Phase = SimulatorSession::Phase;

namespace {

class Recorder : public SimulatorSession::Listener {
 public:
  void Say(const SimulatorSession&, const std::string& text) override { said.push_back(text); }
  uint64_t Data(const SimulatorSession&, const DataRecord& r) override {
    uint64_t n = 0;
    for (const DataBlock& b : r.blocks) n = std::max<uint64_t>(n, b.values.size());
    values += n;
    return n;
  }
  void StandardError(const SimulatorSession&, const char*, size_t) override {}
  std::vector<std::string> said;
  uint64_t values = 0;
};

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    _listen = KavrinNet::Open();
    ASSERT_GE(_listen, 0);
    ASSERT_EQ(KavrinNet::Bind(_listen, "127.0.0.1", 0), 0);
    ASSERT_EQ(KavrinNet::Listen(_listen, 1), 0);
    const int port = KavrinNet::BoundPort(_listen);
    ASSERT_GT(port, 0);
    _opt.simulator = "sim";
    _opt.registerTimeout = 5;
    // The launcher line stands in for the simulator; its own command line is a comment.
    _opt.launchTemplate = "echo 'REGISTER:  Port: [" + std::to_string(port) + "]'; exec sleep 0.5 #{cmd}";
  }
  void TearDown() override {
    if (_peer >= 0) KavrinNet::Close(_peer);
    KavrinNet::Close(_listen);
  }

  // Runs the session's side until `done` holds (or five seconds pass), accepting its connection.
  bool Drive(SimulatorSession& s, const std::function<bool()>& done) {
    for (int round = 0; round < 500 && !done(); ++round) {
      s.CheckDeadlines(os::Now());
      std::vector<os::PollItem> items;
      std::vector<SimulatorSession::Stream> tags;
      s.AddPollItems(items, tags);
      os::Poll(items, 10);
      for (size_t i = 0; i < items.size(); ++i) s.OnPoll(items[i], tags[i]);
      s.Reap();
      if (_peer < 0 && Ready(_listen)) KavrinNet::Accept(_listen, _peer);
    }
    return done();
  }
  // Whether a read of fd would not wait.
  static bool Ready(int fd) {
    std::vector<KavrinNet::PollItem> items(1);
    items[0].fd = fd;
    items[0].wantRead = true;
    KavrinNet::Poll(items, 0);
    return items[0].readable;
  }
  void Send(const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(KavrinNet::Write(_peer, bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
  }
  void HangUp() {
    KavrinNet::Close(_peer);
    _peer = -2;  // closed, not to be accepted again
  }
  // Greets, then sends one report of two values of variable 0.
  void GreetAndReport(SimulatorSession& s) {
    ASSERT_TRUE(Drive(s, [&] { return _peer >= 0 && s.phase() == Phase::Greeting; }));
    Send(EncodeReply(0xFF, 1, 4242));
    Send(EncodeData(DataRecord{0, 3, {DataBlock{0, 1, {1.0, 2.0}}}}));
    ASSERT_TRUE(Drive(s, [&] { return _listener.values == 2; }));
    EXPECT_EQ(s.phase(), Phase::Running);
    EXPECT_EQ(s.SimulatorPid(), 4242u);
  }

  Options _opt;
  PVDescription _pv;
  Recorder _listener;
  SimulatorSession::Context _ctx{_opt, _pv, 3, _listener};
  int _listen = -1;
  int _peer = -1;
};

}  // namespace

TEST_F(Session, AnsweredQuitFromAnnouncementToExit) {
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  EXPECT_EQ(s.phase(), Phase::Announcing);
  GreetAndReport(s);
  EXPECT_TRUE(s.AskToStop({CmdQuit}));
  EXPECT_EQ(s.phase(), Phase::Stopping);
  ASSERT_TRUE(Drive(s, [&] { return Ready(_peer); }));
  uint8_t command = 0;
  ASSERT_EQ(KavrinNet::Read(_peer, &command, 1), 1);
  EXPECT_EQ(command, CmdQuit);
  Send(EncodeReply(0xFE, 2, 4242));
  Send(EncodeData(DataRecord{0, 3, {DataBlock{0, 1, {3.0}}}}));  // after the answer: still counted
  HangUp();
  ASSERT_TRUE(Drive(s, [&] { return s.Settled(); }));
  EXPECT_EQ(s.phase(), Phase::Answered);
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "quit, exited with code 0");
  EXPECT_EQ(r.observations, 3u);
  EXPECT_TRUE(r.started);
  EXPECT_FALSE(r.fault);
  EXPECT_TRUE(_listener.said.empty());
}

TEST_F(Session, OneThatClosedItsLinkOnItsOwnIsWaitedForNotTerminated) {
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  GreetAndReport(s);
  HangUp();
  ASSERT_TRUE(Drive(s, [&] { return s.phase() == Phase::Unlinked; }));
  ASSERT_TRUE(s.ProcessPending());  // still in its half-second sleep
  EXPECT_FALSE(s.AskToStop({CmdQuit}));
  EXPECT_EQ(s.phase(), Phase::Stopped);
  ASSERT_TRUE(Drive(s, [&] { return !s.ProcessPending(); }));
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "exited with code 0");
  EXPECT_FALSE(r.fault);
  EXPECT_TRUE(_listener.said.empty());
}

TEST_F(Session, ABrokenLinkIsAFaultAndItsProcessIsTerminatedAtTheStop) {
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  ASSERT_TRUE(Drive(s, [&] { return _peer >= 0 && s.phase() == Phase::Greeting; }));
  Send(EncodeCpuTime(0, 3, 0.5));
  ASSERT_TRUE(Drive(s, [&] { return s.phase() == Phase::Unlinked; }));
  ASSERT_EQ(_listener.said,
            (std::vector<std::string>{"the first record is not a greeting; connection closed"}));
  EXPECT_FALSE(s.AskToStop({CmdQuit}));
  ASSERT_TRUE(Drive(s, [&] { return !s.ProcessPending(); }));
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "the first record is not a greeting; ended by " + os::SignalName(15));
  EXPECT_TRUE(r.fault);
  EXPECT_TRUE(r.started);
}

TEST_F(Session, NoAnnouncementInTimeIsAFaultBeforeItStarted) {
  _opt.registerTimeout = 0.1;
  _opt.launchTemplate = "exec sleep 5 #{cmd}";
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  ASSERT_TRUE(Drive(s, [&] { return !s.ProcessPending(); }));
  EXPECT_EQ(_listener.said, (std::vector<std::string>{"no port announcement within 0.1 s"}));
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "no port announcement within 0.1 s; ended by " + os::SignalName(15));
  EXPECT_TRUE(r.fault);
  EXPECT_FALSE(r.started);
}

// A simulator ends its run by closing its link and exiting. One that closed its link and then
// did not exit (its node died under srun, which has not noticed) is a fault once it has to be
// terminated, not a quiet end.
TEST_F(Session, OneThatClosedItsLinkButNeverExitedIsAFault) {
  _opt.launchTemplate = _opt.launchTemplate.replace(_opt.launchTemplate.find("sleep 0.5"), 9, "sleep 30");
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  GreetAndReport(s);
  HangUp();
  ASSERT_TRUE(Drive(s, [&] { return s.phase() == Phase::Unlinked; }));
  EXPECT_FALSE(s.AskToStop({CmdQuit}));
  s.Terminate();
  ASSERT_TRUE(Drive(s, [&] { return !s.ProcessPending(); }));
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "closed its link but did not exit; ended by " + os::SignalName(15));
  EXPECT_TRUE(r.fault);
}

// srun, ssh and shells report a task that a signal ended as exit status 128 + its number: it is
// reported as the signal, as for a simulator the manager started itself.
TEST_F(Session, ALaunchersSignalStatusIsReportedAsTheSignal) {
  _opt.launchTemplate =
      _opt.launchTemplate.replace(_opt.launchTemplate.find("exec sleep 0.5"), 14, "sleep 0.3; exit 137");
  SimulatorSession s(_ctx, 0, 7);
  s.Launch();
  GreetAndReport(s);
  HangUp();
  ASSERT_TRUE(Drive(s, [&] { return !s.ProcessPending(); }));
  const ProcessResult r = s.Conclude();
  EXPECT_EQ(r.outcome, "ended by " + os::SignalName(9));
  EXPECT_TRUE(r.fault);
  EXPECT_EQ(_listener.said,
            (std::vector<std::string>{"was ended by " + os::SignalName(9) + " before it was asked to stop"}));
}
