// Child processes and command-line quoting of the platform layer. The children are this test
// program itself, told by an environment variable what to do, so the same tests run on every
// system.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinProcess.h"
#include "BaseClasses/KavrinSystem.h"
#include "support/TestProcess.h"

namespace {

// What the child copy of this program does, by KAVRIN_PLATFORM_CHILD.
TEST(ProcessChild, Act) {
  const char* act = std::getenv("KAVRIN_PLATFORM_CHILD");
  if (act == nullptr) GTEST_SKIP() << "only run as a child of the process tests";
  const std::string what = act;
  if (what == "sleep") std::this_thread::sleep_for(std::chrono::seconds(60));
  if (what == "print") {
    const char* word = std::getenv("KAVRIN_PLATFORM_WORD");
    std::cout << "word=" << (word ? word : "(none)") << std::endl;
    std::cerr << "on the error stream" << std::endl;
    std::exit(7);
  }
}

std::vector<std::string> Child() { return {SELF_PROGRAM, "--gtest_filter=ProcessChild.Act"}; }

// Splits a command line's arguments (those after the program name) back into words, by the rules
// the Windows C runtime documents: white space outside quotes separates words; 2n backslashes
// before a quote are n backslashes and the quote opens or closes a quoted part; 2n+1 backslashes
// before a quote are n backslashes and a quote; other backslashes are themselves.
std::vector<std::string> SplitLikeTheRuntime(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == '\\') {
      size_t n = 0;
      while (i < line.size() && line[i] == '\\') ++n, ++i;
      if (i < line.size() && line[i] == '"') {
        word.append(n / 2, '\\');
        if (n % 2 == 1) {
          word.push_back('"');
          ++i;
        }
      } else {
        word.append(n, '\\');
      }
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
      ++i;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      ++i;
    } else {
      word.push_back(c);
      inWord = true;
      ++i;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

TEST(KavrinProcess, RuntimeQuotingByHand) {
  using P = KavrinProcess;
  EXPECT_EQ(P::QuoteForRuntime("plain"), "plain");
  EXPECT_EQ(P::QuoteForRuntime("a b"), "\"a b\"");
  EXPECT_EQ(P::QuoteForRuntime(""), "\"\"");
  // Backslashes not before a quote stay as they are, quoted or not ...
  EXPECT_EQ(P::QuoteForRuntime("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(P::QuoteForRuntime("\\\\server\\share"), "\\\\server\\share");
  // ... but the one before the closing quote is doubled, or it would escape it.
  EXPECT_EQ(P::QuoteForRuntime("C:\\my dir\\"), "\"C:\\my dir\\\\\"");
  // A quote gets a backslash; a backslash before a quote becomes two, plus the quote's own: three.
  EXPECT_EQ(P::QuoteForRuntime("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(P::QuoteForRuntime("a\\\"b"), "\"a\\\\\\\"b\"");
  EXPECT_EQ(P::QuoteForRuntime("x", true), "\"x\"");
  EXPECT_EQ(P::RuntimeCommandLine({"sim", "-O", "a b", ""}), "sim -O \"a b\" \"\"");
}

TEST(KavrinProcess, RuntimeQuotingRoundTrips) {
  const std::vector<std::string> words = {"",     " ",        "a b",          "\t",         "\"",
                                          "\\",   "\\\\",     "\\\"",         "a\\\\\"b\\", "end\\ ",
                                          "\"\"", "x\"y z\"", "C:\\p q\\r\\", "line\nfeed", "-O a=1;b=2"};
  const std::string line = KavrinProcess::RuntimeCommandLine(words);
  EXPECT_EQ(SplitLikeTheRuntime(line), words) << line;
  for (const std::string& w : words) {
    const std::vector<std::string> back = SplitLikeTheRuntime(KavrinProcess::QuoteForRuntime(w, true));
    EXPECT_EQ(back, std::vector<std::string>{w}) << w;
  }
}

// A child ended by the parent reports the signal (on Windows, the POSIX number of the stop it
// was given), not an exit code.
TEST(KavrinProcess, AStoppedChildReportsTheSignal) {
  for (const auto& stop :
       {std::make_pair(KavrinProcess::Stop::Kill, 9), std::make_pair(KavrinProcess::Stop::Terminate, 15)}) {
    KavrinProcess child;
    KavrinProcess::Options how;
    how.env = {{"KAVRIN_PLATFORM_CHILD", "sleep"}};
    how.ownGroup = true;
    std::string error;
    ASSERT_TRUE(child.Start(Child(), how, error)) << error;
    EXPECT_FALSE(child.Poll());
    child.Send(stop.first);
    ASSERT_TRUE(child.Wait(30));
    EXPECT_EQ(child.SignalNumber(), stop.second);
    EXPECT_EQ(child.ExitCode(), -1);
  }
  EXPECT_EQ(KavrinProcess::SignalName(9), "Killed");
  EXPECT_EQ(KavrinProcess::SignalName(15), "Terminated");
}

// Both output streams arrive apart on their pipes, the environment change reaches the child
// only, and the exit code comes back.
TEST(KavrinProcess, PipesCarryBothStreamsAndTheExitCodeComesBack) {
  KavrinProcess child;
  KavrinProcess::Options how;
  how.env = {{"KAVRIN_PLATFORM_CHILD", "print"}, {"KAVRIN_PLATFORM_WORD", "two words"}};
  std::string error;
  ASSERT_TRUE(child.Start(Child(), how, error)) << error;
  std::string out, err;
  std::vector<KavrinNet::PollItem> items(2);
  items[0].fd = child.OutputFd();
  items[1].fd = child.ErrorFd();
  std::string* texts[2] = {&out, &err};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((items[0].fd >= 0 || items[1].fd >= 0) && std::chrono::steady_clock::now() < deadline) {
    for (auto& it : items) it.wantRead = it.fd >= 0;
    KavrinNet::Poll(items, 100);
    for (int i = 0; i < 2; ++i) {
      if (!items[i].readable) continue;
      char buf[512];
      const long n = KavrinNet::Read(items[i].fd, buf, sizeof buf);
      if (n > 0)
        texts[i]->append(buf, static_cast<size_t>(n));
      else if (n == 0 || !KavrinNet::WouldBlock(KavrinNet::LastError()))
        items[i].fd = -1;  // closed by the object
    }
  }
  ASSERT_TRUE(child.Wait(30));
  EXPECT_EQ(child.ExitCode(), 7);
  EXPECT_EQ(child.SignalNumber(), 0);
  EXPECT_NE(out.find("word=two words\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("on the error stream"), std::string::npos) << out;
  EXPECT_NE(err.find("on the error stream\n"), std::string::npos) << err;
  EXPECT_EQ(std::getenv("KAVRIN_PLATFORM_WORD"), nullptr);
}

// A program that is not there: no child at all (Windows), or one that says so and exits with
// 127 as a shell would (POSIX, where the program is looked for after the fork).
TEST(KavrinProcess, AProgramThatIsNotThereIsReported) {
  testproc::ScratchDir dir;
  KavrinProcess child;
  KavrinProcess::Options how;
  how.stdoutFile = dir / "out";
  how.stderrFile = dir / "err";
  how.notRunText = "cannot start it";
  how.notRunReason = true;
  std::string error;
  if (!child.Start({dir / "no-such-program"}, how, error)) {
    EXPECT_NE(error.find("no-such-program"), std::string::npos) << error;
    return;
  }
  ASSERT_TRUE(child.Wait(30));
  EXPECT_EQ(child.ExitCode(), 127);
  const std::string err = testproc::ReadFile(dir / "err");
  EXPECT_EQ(err.rfind("cannot start it: ", 0), 0u) << err;
  EXPECT_EQ(err.back(), '\n');
}

// A failed system call's code is read as the system's own: on Windows GetLastError's small codes
// mean other things than the C library's numbers (5 is "access denied" there, EIO here).
TEST(KavrinSystem, SystemErrorCodesAreReadAsTheSystemsOwn) {
#ifdef _WIN32
  EXPECT_NE(KavrinSystem::SystemErrorText(5), std::strerror(5));
  EXPECT_FALSE(KavrinSystem::SystemErrorText(5).empty());
#else
  EXPECT_EQ(KavrinSystem::SystemErrorText(ENOENT), std::strerror(ENOENT));
#endif
}

// The manager's way to connect: non-blocking, then asked how it went. A port nobody listens on
// must come back as refused, not as connected or still pending.
TEST(KavrinNet, ANonBlockingConnectToAClosedPortIsRefused) {
  const int probe = KavrinNet::Open();
  ASSERT_GE(probe, 0);
  ASSERT_EQ(KavrinNet::Bind(probe, "127.0.0.1", 0), 0);
  const int port = KavrinNet::BoundPort(probe);
  KavrinNet::Close(probe);  // bound but never listening: nobody accepts there
  const int fd = KavrinNet::Open();
  ASSERT_GE(fd, 0);
  KavrinNet::SetNonBlocking(fd);
  const int started = KavrinNet::Connect(fd, "127.0.0.1", port);
  int err = started;
  if (started != 0 && KavrinNet::WouldBlock(started)) {
    std::vector<KavrinNet::PollItem> items(1);
    items[0].fd = fd;
    items[0].wantWrite = true;
    int state = 1;
    for (int i = 0; i < 100 && state == 1; ++i) {
      KavrinNet::Poll(items, 100);
      state = KavrinNet::ConnectResult(fd, err);
    }
    EXPECT_EQ(state, -1);
  }
  EXPECT_EQ(err, KavrinNet::kConnectionRefused) << KavrinNet::ErrorText(err);
  KavrinNet::Close(fd);
}

TEST(KavrinNet, AddressesResolveAndPrintDotted) {
  unsigned char bytes[4];
  ASSERT_TRUE(KavrinNet::ParseIPv4("10.1.2.250", bytes));
  EXPECT_EQ(KavrinNet::DottedIPv4(bytes), "10.1.2.250");
  EXPECT_FALSE(KavrinNet::ParseIPv4("10.1.2.300", bytes));
  EXPECT_FALSE(KavrinNet::ParseIPv4("node1", bytes));
  std::string dotted, reason;
  ASSERT_TRUE(KavrinNet::Resolve("127.0.0.1", dotted, reason)) << reason;
  EXPECT_EQ(dotted, "127.0.0.1");
  EXPECT_FALSE(KavrinNet::Resolve("no-such-host.invalid", dotted, reason));
  EXPECT_FALSE(reason.empty());
  std::string local;
  ASSERT_TRUE(KavrinNet::LocalAddressTo("127.0.0.1", local, reason)) << reason;
  EXPECT_EQ(local, "127.0.0.1");
}

}  // namespace
