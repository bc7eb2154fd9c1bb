#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "BaseClasses/KavrinSocket.h"
#include "support/TestProcess.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// A listener on a port the system chose, a client connected to it and the accepted connection.
struct Loopback {
  KavrinSocket listener{true};
  KavrinSocket client{true};
  KavrinSocket server{false};

  Loopback() {
    EXPECT_TRUE(listener.Bind(0));
    EXPECT_TRUE(listener.Listen(5));
    const int port = listener.GetBoundPort();
    EXPECT_GT(port, 0);
    EXPECT_TRUE(client.Connect("127.0.0.1", port));
    EXPECT_TRUE(listener.Select(5000));
    EXPECT_TRUE(listener.Accept(server));
  }
};

TEST(KavrinSocket, LibraryStartsOnceAndEmptyObjectsCloseQuietly) {
  CaptureStderr();
  {
    KavrinSocket a(false);
    KavrinSocket b(false);
    EXPECT_TRUE(KavrinSocket::SocketLibraryInitialized());
    EXPECT_FALSE(a.HoldsDescriptor());
    a.Close();
    a.Close();
  }
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(KavrinSocket, SendAndBothBlockingReads) {
  Loopback link;
  EXPECT_FALSE(link.server.Select(0));  // nothing pending: only looks
  EXPECT_EQ(link.server.GetErrorString(), nullptr);

  ASSERT_EQ(link.client.Send("\x01\x02\x03\x04", 4), 4);
  char buffer[513];
  EXPECT_TRUE(link.server.Select(5000));
  EXPECT_EQ(link.server.RecvBlock(buffer, 4), 4);
  EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x03\x04", 4), 0);

  // The terminator arrives in a second piece; the read stops right after it.
  ASSERT_EQ(link.client.Send("a;7", 3), 3);
  ASSERT_EQ(link.client.Send(";;", 2), 2);
  EXPECT_EQ(link.server.RecvBlock(buffer, 512, ";;"), 5);
  EXPECT_STREQ(buffer, "a;7;;");
}

TEST(KavrinSocket, TerminatedReadStopsAtBufferLength) {
  Loopback link;
  ASSERT_EQ(link.client.Send("abcdefgh", 8), 8);
  char buffer[5];
  EXPECT_EQ(link.server.RecvBlock(buffer, 4, ";;"), 4);
  EXPECT_STREQ(buffer, "abcd");
}

TEST(KavrinSocket, ReadsAfterThePeerClosedReturnWhatArrived) {
  Loopback link;
  ASSERT_EQ(link.client.Send("xy", 2), 2);
  link.client.Close();
  char buffer[16];
  EXPECT_TRUE(link.server.Select(5000));
  EXPECT_EQ(link.server.RecvBlock(buffer, 10), 2);
  EXPECT_EQ(link.server.RecvBlock(buffer, 1), 0);
  EXPECT_EQ(link.server.RecvBlock(buffer, 8, ";;"), 0);
  EXPECT_TRUE(link.server.Select(0));  // end of stream counts as readable
}

TEST(KavrinSocket, SendToAClosedPeerFailsWithoutKillingTheProcess) {
  Loopback link;
  link.client.Close();
  std::string block(65536, 'x');
  int result = 0;
  // The first write after a close may still be accepted by the kernel; a later one fails.
  for (int i = 0; i < 100 && result >= 0; i++)
    result = link.server.Send(block.data(), static_cast<int>(block.size()));
  EXPECT_EQ(result, -1);
  KavrinSocket never(false);
  EXPECT_EQ(never.Send("a", 1), -1);
}

TEST(KavrinSocket, BindToAPortInUseFailsQuietly) {
  KavrinSocket first(true);
  ASSERT_TRUE(first.Bind(0));
  ASSERT_TRUE(first.Listen(5));
  const int port = first.GetBoundPort();
  KavrinSocket second(true);
  CaptureStderr();
  EXPECT_FALSE(second.Bind(port));
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_TRUE(second.LastBindWasAddressInUse());
  EXPECT_EQ(second.GetErrorString(), nullptr);
}

TEST(KavrinSocket, OtherBindFailuresAreReportedWithErrnoAndPort) {
  KavrinSocket empty(false);
  CaptureStderr();
  EXPECT_FALSE(empty.Bind(12345));
  EXPECT_EQ(GetCapturedStderr(),
            "error in bind.  errno=" + std::to_string(testproc::kErrBadDescriptor) + " (Port=12345)\n");
  EXPECT_FALSE(empty.LastBindWasAddressInUse());
  EXPECT_STREQ(empty.GetErrorString(), "error in bind.  errno=");
}

TEST(KavrinSocket, FailuresAreRecordedOnTheSocketThatFailed) {
  KavrinSocket listener(true);
  KavrinSocket connection(false);
  CaptureStderr();
  EXPECT_FALSE(listener.Accept(connection));  // not listening
  EXPECT_FALSE(connection.Select(0));         // holds no descriptor
  std::string err = GetCapturedStderr();
  EXPECT_EQ(err.rfind("error in accept: \n", 0), 0u) << err;
  EXPECT_NE(err.find("error in select" + std::to_string(testproc::kErrBadDescriptor) + "\n"),
            std::string::npos)
      << err;
  EXPECT_STREQ(listener.GetErrorString(), "error in accept: ");
  EXPECT_STREQ(connection.GetErrorString(), "error in select");
}

TEST(KavrinSocket, ConnectToAnUnknownHostOrClosedPortFails) {
  KavrinSocket probe(true);
  ASSERT_TRUE(probe.Bind(0));
  const int port = probe.GetBoundPort();
  probe.Close();  // nobody listens there now
  KavrinSocket client(true);
  CaptureStderr();
  EXPECT_FALSE(client.Connect("127.0.0.1", port));
  KavrinSocket other(true);
  EXPECT_FALSE(other.Connect("no-such-host.invalid", port));
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("error in connect: errno=" + std::to_string(testproc::kErrConnRefused) + "\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("error in connect: unknown host no-such-host.invalid\n"), std::string::npos) << err;
}

}  // namespace

// Unread input at close would make the kernel reset the link and drop what is still queued; a
// graceful close ends the sending side first and discards the input, so the peer reads everything
// and then the end of the stream.
TEST(KavrinSocket, AGracefulCloseDeliversEverythingDespiteUnreadInput) {
  Loopback link;
  ASSERT_EQ(link.client.Send("unread", 6), 6);
  const std::string payload(1 << 20, 'x');  // more than the kernel buffers at once
  std::thread closer([&] {
    EXPECT_EQ(link.server.Send(payload.data(), static_cast<int>(payload.size())),
              static_cast<int>(payload.size()));
    link.server.CloseGracefully(10000);
  });
  std::string received;
  char buffer[65536];
  for (;;) {
    const int n = link.client.Recv(buffer, sizeof buffer);
    ASSERT_GE(n, 0) << "the link was reset after " << received.size() << " bytes";
    if (n == 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  link.client.Close();
  closer.join();
  EXPECT_EQ(received.size(), payload.size());
  EXPECT_FALSE(link.server.HoldsDescriptor());
}

// A peer that never ends its stream holds the close only for the time allowed.
TEST(KavrinSocket, AGracefulCloseWaitsOnlyAsLongAsAllowed) {
  Loopback link;
  const auto start = std::chrono::steady_clock::now();
  link.server.CloseGracefully(100);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(link.server.HoldsDescriptor());
  EXPECT_GE(waited, std::chrono::milliseconds(90));
  EXPECT_LT(waited, std::chrono::seconds(5));
  char byte;
  EXPECT_EQ(link.client.Recv(&byte, 1), 0);  // the end of the stream, not a reset
}
