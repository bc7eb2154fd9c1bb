// The simulator's side of the manager link: waiting for the manager, its one-byte commands and the
// reply records. Commands are read only during reports, on the simulating thread.
#include "Simulator/SimMgrLink.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BaseClasses/KavrinSocket.h"
#include "BaseClasses/debug.h"
#include "Simulator/ResultRecords.h"
#include "Simulator/SimulatorClass.h"

namespace SimMgrLink {

int CommandTextTimeoutMs = 10000;
int CloseDrainMs = 2000;

int ConnectionWaitMs(int standardMs) {
  const char* text = std::getenv(ConnectionWaitVariable);
  if (!text || !*text) return standardMs;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < INT_MIN || value > INT_MAX) return standardMs;
  return static_cast<int>(value);
}

const char* ListenAddress() {
  const char* text = std::getenv(ListenAddressVariable);
  return text && *text ? text : DefaultListenAddress;
}

const char* ManagerAddress() {
  const char* text = std::getenv(ManagerAddressVariable);
  return text && *text ? text : nullptr;
}

bool IsDottedIPv4(const char* text) {
  int parts = 0;
  for (const char* p = text;; ++p) {
    int value = 0, digits = 0;
    for (; *p >= '0' && *p <= '9' && digits < 4; ++p, ++digits) value = value * 10 + (*p - '0');
    if (digits == 0 || digits > 3 || value > 255) return false;
    if (++parts == 4) return *p == '\0';
    if (*p != '.') return false;
  }
}

}  // namespace SimMgrLink

namespace {

constexpr unsigned char kReplyMarker = 0xFF;
constexpr unsigned char kQuitReplyMarker = 0xFE;

void SendReply(SimulatorClass& sim, KavrinSocket* s, unsigned char marker, unsigned char code) {
  unsigned char record[ResultRecords::kReplyRecordSize];
  ResultRecords::EncodeReplyRecord(record, marker, code, KavrinSocket::ProcessId());
  if (s->Send(reinterpret_cast<const char*>(record), static_cast<int>(sizeof record)) !=
      static_cast<int>(sizeof record))
    sim.RaiseSimControl(STOPHARD);
}

// Polls the listening socket until a manager connects and has been greeted, the time runs out
// (timeout_ms < 0: no limit) or the run is stopped.
KavrinSocket* AcceptManager(SimulatorClass& sim, int timeout_ms) {
  auto* connection = new KavrinSocket(false);
  const bool unlimited = timeout_ms < 0;
  int remaining = timeout_ms;
  bool connected = false;
  while (sim.SimControl == GO && !connected && (unlimited || remaining > 0)) {
    const int wait = unlimited || remaining > sim.AcceptSelectDelay ? sim.AcceptSelectDelay : remaining;
    if (sim.ConnectionSocket->Select(wait) && sim.ConnectionSocket->Accept(*connection)) {
      const char* manager = SimMgrLink::ManagerAddress();
      const std::string peer = manager ? connection->PeerAddress() : "";
      if (manager && peer != manager) {
        // Not the manager: it gets nothing, not even the greeting, and the wait goes on.
        std::cerr << "!! Connection from " << (peer.empty() ? "an unknown address" : peer)
                  << " closed unanswered: the simulation manager connects from " << manager << std::endl;
        connection->Close();
      } else {
        SendReply(sim, connection, kReplyMarker, 1);
        connected = true;
      }
    }
    if (!unlimited) remaining -= wait;
  }
  if (!connected) {
    delete connection;
    return nullptr;
  }
  return connection;
}

// atoi's reading of a number, clamped to the int range rather than wrapped.
int ReadLimit(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Reads the detach text up to and including its ";;", one byte at a time so nothing after it is
// consumed. False when it does not arrive whole within the capacity and the time allowed.
bool ReadCommandText(KavrinSocket* s, std::string& text) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(SimMgrLink::CommandTextTimeoutMs);
  char buffer[SimMgrLink::kCommandTextCapacity + 1];
  int count = 0;
  while (count < SimMgrLink::kCommandTextCapacity) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || !s->Select(static_cast<int>(left))) return false;
    if (s->Recv(buffer + count, 1) != 1) return false;
    ++count;
    if (count >= 2 && buffer[count - 2] == ';' && buffer[count - 1] == ';') {
      text.assign(buffer, static_cast<size_t>(count));
      return true;
    }
  }
  return false;
}

void Detach(SimulatorClass& sim, KavrinSocket* s) {
  std::string text;
  if (!ReadCommandText(s, text)) {
    std::cerr << "!! Detach command ignored: its text did not end with \";;\" within "
              << SimMgrLink::kCommandTextCapacity << " bytes and " << SimMgrLink::CommandTextTimeoutMs / 1000
              << " seconds" << std::endl;
    return;
  }
  // The name runs to the first ';', the limit from there to the next one.
  const size_t split = text.find(';');
  const std::string name = text.substr(0, split);
  const int limit = ReadLimit(text.c_str() + split + 1);

  SendReply(sim, s, kReplyMarker, 3);
  if (!sim.BinFilename) {
    if (name.empty()) {
      std::cerr << "!! Detach command without a file name: results go only to the files already "
                   "open, the batch limit is unchanged"
                << std::endl;
    } else {
      // One of the run's own files would get binary records mixed into it: handled like a name
      // that cannot be opened.
      const OutputFiles::Output* own = nullptr;
      const std::vector<OutputFiles::Output> outputs = sim.RunOutputs();
      for (const OutputFiles::Output& output : outputs)
        if (!own && OutputFiles::SameFile(name, output.name)) own = &output;
      sim.MaxNumOfBatches = limit;
      sim.BinFilename = new char[name.size() + 1];
      std::memcpy(sim.BinFilename, name.c_str(), name.size() + 1);
      if (own)
        std::cerr << "ERROR: Unable to open binary result file '" << name << "': it is this run's "
                  << own->kind << " file '" << own->name << "'" << std::endl;
      else
        sim.FileBin = sim.CreateBinFile(sim.BinFilename);
    }
  }
  if (sim.SimMgrSocket == s) sim.SimMgrSocket = nullptr;
  s->CloseGracefully(SimMgrLink::CloseDrainMs);
  delete s;
}

}  // namespace

KavrinSocket* SimulatorClass::WaitForSimMgrConnection(int timeout_ms) {
  ConnectionSocket = new KavrinSocket(true);
  if (!ConnectionSocket->HoldsDescriptor()) {
    std::cerr << "ERROR: unable to create the socket for the simulation manager" << std::endl;
    std::exit(1);
  }
  const int firstPort = static_cast<uint16_t>(SocketPort);
  int port = firstPort;
  // A port is taken when binding it fails, or when another simulator bound it too (the reuse
  // option allows that) and started listening first: either way, step to the next one. Listen
  // before announcing: a manager that connects as soon as it reads the port must find us.
  int systemChosenTries = 0;
  const char* address = SimMgrLink::ListenAddress();
  const char* manager = SimMgrLink::ManagerAddress();
  if (manager && !SimMgrLink::IsDottedIPv4(manager)) {
    std::cerr << "ERROR: " << SimMgrLink::ManagerAddressVariable << " is not an IPv4 address: " << manager
              << std::endl;
    std::exit(1);
  }
  for (;;) {
    if (ConnectionSocket->Bind(port, address)) {
      if (ConnectionSocket->Listen(100)) break;
      if (!ConnectionSocket->LastListenWasAddressInUse()) {
        std::cerr << "ERROR: unable to listen on port " << port << " for the simulation manager" << std::endl;
        std::exit(1);
      }
      // A socket that is bound stays bound: start over with a new one.
      delete ConnectionSocket;
      ConnectionSocket = new KavrinSocket(true);
      if (!ConnectionSocket->HoldsDescriptor()) {
        std::cerr << "ERROR: unable to create the socket for the simulation manager" << std::endl;
        std::exit(1);
      }
    } else if (!ConnectionSocket->LastBindWasAddressInUse()) {
      std::cerr << "ERROR: unable to bind port " << port << " on " << address << " for the simulation manager"
                << std::endl;
      std::exit(1);
    }
    // Port 0 lets the system choose: ask it again rather than stepping to port 1.
    if (port == 0 && ++systemChosenTries < 100) continue;
    if (port == 0 || port >= 65535) {
      std::cerr << "ERROR: no free port for the simulation manager from " << firstPort << " to 65535"
                << std::endl;
      std::exit(1);
    }
    ++port;
  }
  const int bound = ConnectionSocket->GetBoundPort();
  if (bound >= 0) port = bound;
  SocketPort = static_cast<short>(port);
  std::cout << "REGISTER:  Port: [" << port << "]" << std::endl;
  return AcceptManager(*this, timeout_ms);
}

void SimulatorClass::ListenToSimMgr(KavrinSocket* s) {
  if (!s->Select(ReadSelectDelay)) {
    if (s->GetErrorString()) {
      std::cout << "Error reading socket 'select'... Exiting." << std::endl;
      RaiseSimControl(STOPHARD);
    }
    return;
  }
  char command = 0;
  if (s->RecvBlock(&command, 1) != 1) {
    if (s->GetErrorString()) {
      std::cout << "Error reading socket 'read'... Exiting." << std::endl;
      RaiseSimControl(STOPHARD);
      return;
    }
    // Readable with nothing to read: the manager sends no more commands, but it may still be
    // reading. The run goes on and keeps sending; a send that fails ends it. The socket would
    // stay readable for ever, so it is not polled again.
    SimMgrInputEnded = true;
    return;
  }
  switch (command) {
    case 1:
      SendReply(*this, s, kReplyMarker, 1);
      break;
    case 2:
      std::cout << "SOCKET::Quit" << std::endl;
      KAVRIN_DEBUG(0, "LISTEN:  Quit Signal Received");
      SendReply(*this, s, kQuitReplyMarker, 2);
      RaiseSimControl(STOPHARD);
      break;
    case 3:
      Detach(*this, s);
      break;
    default:
      std::cerr << "!! Invalid Response Received by Client " << std::endl;
      std::cerr << "!! Simulation" << std::endl;
      break;
  }
}

void SimulatorClass::ListenToSimMgrLoop(KavrinSocket* s) {
  // A detach deletes the connection: stop listening to it then.
  while (SimControl == GO && SimMgrSocket == s && !SimMgrInputEnded) ListenToSimMgr(s);
}
