// A thin wrapper over one blocking IPv4 TCP socket: server side (bind, listen, accept), a client
// connect, a readiness poll with a time-out, and raw and blocking reads and writes.
//
// Owns its descriptor and closes it on destruction; the system calls are KavrinNet's. Failures
// never end the process: they are printed on standard error and the last one's text is kept in
// the object.
#ifndef KAVRIN_BASECLASSES_KAVRINSOCKET_H
#define KAVRIN_BASECLASSES_KAVRINSOCKET_H

#include <string>

class KavrinSocket {
 public:
  // openFD false: the object holds no descriptor until Accept gives it one.
  explicit KavrinSocket(bool openFD);
  ~KavrinSocket();
  KavrinSocket(const KavrinSocket&) = delete;
  KavrinSocket& operator=(const KavrinSocket&) = delete;

  // Starts the system's socket library once per process (nothing to start on POSIX systems).
  static bool InitializeSocketLibrary();
  static bool SocketLibraryInitialized();
  // A peer (or a reader of standard output) that goes away must not kill the process: writes to
  // it fail with an error instead. Call once at the top of main.
  static void IgnoreBrokenPipeSignal();
  // This process's id, which the manager link puts into its reply records.
  static int ProcessId();

  // Binds to the port on one local IPv4 address, given in dotted form ("0.0.0.0": every
  // interface); by default the loopback interface only. The socket may rebind a port that a
  // closed connection still holds. When the port is taken, fails quietly: see
  // LastBindWasAddressInUse. An address that is not an IPv4 address is a failure like any other.
  bool Bind(int port, const char* address = "127.0.0.1");
  bool LastBindWasAddressInUse() const { return _bindAddressInUse; }
  // The port actually bound (useful after Bind(0)), or -1.
  int GetBoundPort() const;
  // Another socket bound to the same port (allowed by the reuse option) may start listening
  // first: then this fails quietly, see LastListenWasAddressInUse.
  bool Listen(int queueSize);
  bool LastListenWasAddressInUse() const { return _listenAddressInUse; }
  // The failure, if any, is recorded on this (listening) socket, never on the connection.
  bool Accept(KavrinSocket& connection);
  // The IPv4 address of a connection's peer in dotted form; "" when it has none.
  std::string PeerAddress() const;
  bool Connect(const char* hostname, int port);
  // Waits up to the time-out (milliseconds; 0 only looks, negative waits without limit) for the
  // socket to become readable.
  bool Select(int millisec_timeout);
  int Recv(char* buffer, int buf_len);
  // Reads until desired_len bytes have arrived, the stream ends or an error occurs.
  int RecvBlock(char* buffer, int desired_len);
  // Reads until the text ends with endstr or buflen bytes have arrived (the stream's end or an
  // error also stop it); buffer must hold buflen + 1 bytes, the text is zero-terminated.
  int RecvBlock(char* buffer, int buflen, const char* endstr);
  // Sends all the bytes (retrying short writes and interruptions): strlen on success, -1 when
  // any part could not be sent.
  int Send(const char* str, int strlen);
  void Close();
  // Ends a connection without destroying what was sent: shuts down the sending side, reads and
  // discards whatever the peer still sends until it ends its stream or timeout_ms pass, then
  // closes. (Closing with unread input makes the kernel reset the link, and a reset discards
  // the bytes not yet delivered.) Sockets that are not connected are simply closed.
  void CloseGracefully(int timeout_ms);
  char* GetErrorString();
  bool HoldsDescriptor() const { return _socket >= 0; }

  int _socket;
  char* ErrorString;

 private:
  void SetError(const char* text);
  bool _bindAddressInUse;
  bool _listenAddressInUse = false;
  static bool _libraryInitialized;
};

#endif
