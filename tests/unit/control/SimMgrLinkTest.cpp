#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "OutputTestSupport.h"
#include "Simulator/SimMgrLink.h"
#include "support/TestProcess.h"

namespace {

using outtest::BareSimulator;
using outtest::LoopbackPair;
using outtest::ReadFile;
using outtest::Reply;
using outtest::ScratchFile;

class SimMgrLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = BareSimulator(1, 1);
    sim->SimMgrSocket = link.simulatorSide;
    link.simulatorSide = nullptr;  // the simulator owns it now
  }
  void TearDown() override {
    delete sim->SimMgrSocket;
    sim->SimMgrSocket = nullptr;
    if (sim->FileBin) {
      sim->CloseBinFile(*sim->FileBin);
      delete sim->FileBin;
      sim->FileBin = nullptr;
    }
    delete[] sim->BinFilename;
    sim->BinFilename = nullptr;
    SimMgrLink::CommandTextTimeoutMs = 10000;
  }
  void Poll() { sim->ListenToSimMgr(sim->SimMgrSocket); }

  LoopbackPair link;
  std::unique_ptr<SimulatorClass> sim;
};

TEST_F(SimMgrLinkTest, NoCommandPendingChangesNothing) {
  Poll();
  EXPECT_EQ(sim->SimControl, GO);
  EXPECT_TRUE(link.NothingPending());
}

TEST_F(SimMgrLinkTest, AreYouThereIsAnsweredWithTheProcessId) {
  link.SendToSimulator("\x01");
  Poll();
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 1));
  EXPECT_EQ(sim->SimControl, GO);
}

TEST_F(SimMgrLinkTest, QuitIsAnsweredAndStopsHard) {
  link.SendToSimulator("\x02");
  testing::internal::CaptureStdout();
  Poll();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "SOCKET::Quit\n");
  EXPECT_EQ(link.Receive(10), Reply(0xFE, 2));
  EXPECT_EQ(sim->SimControl, STOPHARD);
}

TEST_F(SimMgrLinkTest, DetachOpensTheNamedFileSetsTheLimitAndDropsTheLink) {
  ScratchFile bin(".bin");
  sim->BatchRuns = 7;
  link.SendToSimulator("\x03" + bin.name() + ";50;;");
  Poll();
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 3));
  EXPECT_EQ(sim->SimMgrSocket, nullptr);
  EXPECT_EQ(sim->MaxNumOfBatches, 50);
  ASSERT_NE(sim->BinFilename, nullptr);
  EXPECT_EQ(std::string(sim->BinFilename), bin.name());
  ASSERT_NE(sim->FileBin, nullptr);
  const std::string header = ReadFile(bin.name());
  EXPECT_EQ(header.size(), 256u);
  EXPECT_NE(header.find(",BATCHES=7,,"), std::string::npos);
  EXPECT_EQ(link.Receive(1).size(), 0u);  // the simulator closed its end
  EXPECT_EQ(sim->SimControl, GO);
}

TEST_F(SimMgrLinkTest, DetachKeepsAFileAlreadyNamedOnTheCommandLine) {
  const char given[] = "given.bin";
  sim->BinFilename = new char[sizeof given];
  std::copy(given, given + sizeof given, sim->BinFilename);
  sim->MaxNumOfBatches = 9;
  link.SendToSimulator(std::string("\x03") + "other.bin;50;;");
  Poll();
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 3));
  EXPECT_EQ(std::string(sim->BinFilename), "given.bin");
  EXPECT_EQ(sim->MaxNumOfBatches, 9);
  EXPECT_EQ(sim->FileBin, nullptr);
  EXPECT_EQ(sim->SimMgrSocket, nullptr);
}

TEST_F(SimMgrLinkTest, DetachWithoutANameWarnsAndStillDetaches) {
  link.SendToSimulator("\x03;50;;");
  testing::internal::CaptureStderr();
  Poll();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("without a file name"), std::string::npos);
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 3));
  EXPECT_EQ(sim->BinFilename, nullptr);
  EXPECT_EQ(sim->MaxNumOfBatches, 0);
  EXPECT_EQ(sim->SimMgrSocket, nullptr);
}

TEST_F(SimMgrLinkTest, DetachIntoAnUnopenableFileIsAnsweredAndTheRunGoesOn) {
  link.SendToSimulator("\x03no_such_directory_for_results/x.bin;5;;");
  testing::internal::CaptureStderr();
  Poll();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no_such_directory_for_results/x.bin"),
            std::string::npos);
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 3));
  EXPECT_EQ(sim->FileBin, nullptr);
  EXPECT_EQ(sim->SimMgrSocket, nullptr);
  EXPECT_EQ(sim->SimControl, GO);
}

TEST_F(SimMgrLinkTest, DetachTextThatNeverEndsIsIgnored) {
  SimMgrLink::CommandTextTimeoutMs = 200;
  link.SendToSimulator("\x03out.bin;50;");  // one ';' short
  testing::internal::CaptureStderr();
  Poll();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Detach command ignored"), std::string::npos);
  EXPECT_TRUE(link.NothingPending());
  EXPECT_NE(sim->SimMgrSocket, nullptr);
  EXPECT_EQ(sim->BinFilename, nullptr);

  // 512 bytes without ";;" are refused without waiting; the link keeps working. The text is read
  // a byte at a time, which under an emulator can take longer than the short limit above: the
  // limit goes back up so that all 512 bytes are read before it.
  SimMgrLink::CommandTextTimeoutMs = 10000;
  link.SendToSimulator("\x03" + std::string(512, 'a'));
  testing::internal::CaptureStderr();
  Poll();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Detach command ignored"), std::string::npos);
  link.SendToSimulator("\x01");
  Poll();
  EXPECT_EQ(link.Receive(10), Reply(0xFF, 1));
}

TEST_F(SimMgrLinkTest, UnknownBytesAreReportedAndIgnored) {
  link.SendToSimulator("\x07");
  testing::internal::CaptureStderr();
  Poll();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "!! Invalid Response Received by Client \n!! Simulation\n");
  EXPECT_EQ(sim->SimControl, GO);
  EXPECT_TRUE(link.NothingPending());
}

// The end of the manager's stream only ends the command polls; the run stops once a send fails.
TEST_F(SimMgrLinkTest, AManagerThatHangsUpStopsTheRunAtTheNextFailedSend) {
  link.manager.Close();
  testing::internal::CaptureStdout();
  Poll();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(sim->SimControl, GO);
  EXPECT_TRUE(sim->SimMgrInputEnded);
  // The first send may still be taken by the kernel; the peer's reset fails a later one.
  for (int i = 0; i < 100 && sim->SimControl == GO; ++i) {
    sim->OutputCPUTime(sim->SimMgrSocket, 0.0);
    if (sim->SimControl == GO) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(sim->SimControl, STOPHARD);
}

TEST(SimMgrLinkWait, ConnectionWaitCanBeShortenedFromTheEnvironment) {
  {
    testproc::ScopedEnv unset(SimMgrLink::ConnectionWaitVariable, std::nullopt);
    EXPECT_EQ(SimMgrLink::ConnectionWaitMs(60000), 60000);
  }
  {
    testproc::ScopedEnv shorter(SimMgrLink::ConnectionWaitVariable, "300");
    EXPECT_EQ(SimMgrLink::ConnectionWaitMs(60000), 300);
  }
  {
    testproc::ScopedEnv notANumber(SimMgrLink::ConnectionWaitVariable, "soon");
    EXPECT_EQ(SimMgrLink::ConnectionWaitMs(60000), 60000);
  }
}

TEST(SimMgrLinkWait, NobodyConnectingEndsTheWaitWithoutAConnection) {
  auto sim = BareSimulator(1, 1);
  sim->SocketPort = 0;
  sim->AcceptSelectDelay = 50;
  testing::internal::CaptureStdout();
  KavrinSocket* connection = sim->WaitForSimMgrConnection(120);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(connection, nullptr);
  ASSERT_NE(sim->ConnectionSocket, nullptr);
  const int port = sim->ConnectionSocket->GetBoundPort();
  EXPECT_GT(port, 0);
  EXPECT_EQ(out, "REGISTER:  Port: [" + std::to_string(port) + "]\n");
  EXPECT_EQ(static_cast<uint16_t>(sim->SocketPort), port);
  delete sim->ConnectionSocket;
  sim->ConnectionSocket = nullptr;
}

TEST(SimMgrLinkWait, ATakenPortIsSteppedOver) {
  KavrinSocket taken(true);
  ASSERT_TRUE(taken.Bind(0));
  ASSERT_TRUE(taken.Listen(1));
  const int first = taken.GetBoundPort();
  if (first >= 65535) GTEST_SKIP() << "no port above the taken one";
  auto sim = BareSimulator(1, 1);
  sim->SocketPort = static_cast<short>(first);
  sim->AcceptSelectDelay = 10;
  testing::internal::CaptureStdout();
  sim->WaitForSimMgrConnection(10);
  const std::string out = testing::internal::GetCapturedStdout();
  const int bound = sim->ConnectionSocket->GetBoundPort();
  EXPECT_GT(bound, first);  // the next free one, usually first + 1
  EXPECT_EQ(out, "REGISTER:  Port: [" + std::to_string(bound) + "]\n");
  delete sim->ConnectionSocket;
  sim->ConnectionSocket = nullptr;
}

// Told its manager's address, the simulator answers nobody else: a peer from another address
// reads the end of the stream without a single byte, and the manager connecting afterwards is
// greeted. 127.0.0.2 stands in for the manager's host, 127.0.0.1 for a stranger.
TEST(SimMgrLinkWait, OnlyTheManagersAddressIsAnswered) {
  testproc::ScopedEnv manager(SimMgrLink::ManagerAddressVariable, "127.0.0.2");
  int port = 0;
  {
    KavrinSocket probe(true);
    ASSERT_TRUE(probe.Bind(0));
    port = probe.GetBoundPort();
  }
  auto sim = BareSimulator(1, 1);
  sim->SocketPort = static_cast<short>(port);
  sim->AcceptSelectDelay = 10;
  std::string strangerRead = "not run", managerRead;
  std::thread peers([&] {
    auto connectFrom = [&](const char* from, std::string& got) {
      for (int attempt = 0; attempt < 500; ++attempt) {
        KavrinSocket s(true);
        if (!s.Bind(0, from)) return;
        if (s.Connect("127.0.0.1", port)) {
          char buffer[16];
          const int n = s.RecvBlock(buffer, 10);
          got.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    };
    connectFrom("127.0.0.1", strangerRead);
    connectFrom("127.0.0.2", managerRead);
  });
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  KavrinSocket* connection = sim->WaitForSimMgrConnection(10000);
  testing::internal::GetCapturedStdout();
  std::string err = testing::internal::GetCapturedStderr();
  peers.join();
  // The peers' own connects may come before the simulator listens and report it; only the
  // simulator's lines are checked.
  for (size_t at; (at = err.find("error in connect: ")) != std::string::npos;)
    err.erase(at, err.find('\n', at) + 1 - at);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(strangerRead, "");
  ASSERT_EQ(managerRead.size(), 10u);
  EXPECT_EQ(static_cast<unsigned char>(managerRead[4]), 0xFF);
  EXPECT_EQ(managerRead[5], 1);
  EXPECT_EQ(
      err,
      "!! Connection from 127.0.0.1 closed unanswered: the simulation manager connects from 127.0.0.2\n");
  delete connection;
  delete sim->ConnectionSocket;
  sim->ConnectionSocket = nullptr;
}

TEST(SimMgrLinkWait, AManagerAddressMustBeAnIPv4Address) {
  for (const char* good : {"192.0.2.1", "0.0.0.0", "255.255.255.255"})
    EXPECT_TRUE(SimMgrLink::IsDottedIPv4(good)) << good;
  for (const char* bad :
       {"", "nowhere", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "1..2.3", "1.2.3.0004", "-1.2.3.4"})
    EXPECT_FALSE(SimMgrLink::IsDottedIPv4(bad)) << bad;
}

}  // namespace
