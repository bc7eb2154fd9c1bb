// One simulator of an experiment, from launch to exit: it starts the process, reads the port
// announcement, connects, checks the greeting and every record, sends the stop command, and
// tells in words how the simulator ended. Owns the child's pipes and the socket; borrows the
// options, the variable description and the listener that pools what the simulator sends.
#ifndef KAVRIN_SIMMGR_SIMULATORSESSION_H
#define KAVRIN_SIMMGR_SIMULATORSESSION_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Options.h"
#include "Os.h"
#include "PVDescription.h"
#include "Wire.h"

namespace simmgr {

struct ProcessResult {
  int clientId = 0;
  uint32_t seed = 0;
  std::string host;
  std::string commandLine;
  int childPid = -1;          // the process the manager started (simulator or launcher)
  uint32_t simulatorPid = 0;  // from the greeting
  uint64_t observations = 0;  // replications or batches it reported (one value per variable each)
  uint64_t used = 0;          // of which the results hold
  double cpuSeconds = 0.0;    // last CPU time the simulator reported
  std::string outcome;        // how it ended, in words
  bool fault = false;
  bool started = false;  // it came up and announced its port
  std::string stderrTail;
};

class SimulatorSession {
 public:
  // Where the session is. The process's own end (its exit status) is a separate fact, as a
  // simulator can end before its link closes or long after.
  enum class Phase {
    NotStarted,      // the process could not be started
    Announcing,      // waiting for the port announcement on its standard output
    Connecting,      // connecting to the announced port
    Greeting,        // connected, waiting for the greeting
    Running,         // linked: its observations arrive
    Unlinked,        // before the stop: its link failed or closed, or will never come
    StopConnecting,  // asked to stop while connecting: the command goes out once connected
    StopGreeting,    // asked to stop before its greeting: it reads commands only after greeting
    Stopping,        // asked to quit or detach; what it still sends counts
    Answered,        // answered the quit; what it still sends counts
    Detached,        // answered the detach: it finishes on its own and is not waited for
    Stopped,         // stopped with no link, or its link closed without an answer
  };

  // What the session hands on to the experiment.
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void Say(const SimulatorSession& s, const std::string& text) = 0;
    // A data record whose client, experiment and variable indices are checked; returns the
    // observations it brings (one value of every variable each).
    virtual uint64_t Data(const SimulatorSession& s, const DataRecord& record) = 0;
    virtual void StandardError(const SimulatorSession& s, const char* bytes, size_t n) = 0;
  };

  struct Context {
    const Options& options;
    const PVDescription& pv;
    int experiment;
    Listener& listener;
  };

  SimulatorSession(const Context& context, int clientId, uint32_t seed);
  SimulatorSession(const SimulatorSession&) = delete;
  SimulatorSession& operator=(const SimulatorSession&) = delete;

  void Launch();
  // Queues the stop command (quit, or detach with its text) for a simulator with a link or one
  // on its way; one without has sent nothing and is terminated, unless it closed its link on
  // its own and is ending. True when the command is queued.
  bool AskToStop(const std::vector<uint8_t>& command);
  // The start-up phases' time-outs.
  void CheckDeadlines(double now);

  // Polling: the session's open descriptors, tagged, and what became of them.
  enum class Stream { Socket, Stdout, Stderr };
  void AddPollItems(std::vector<os::PollItem>& items, std::vector<Stream>& tags) const;
  void OnPoll(const os::PollItem& item, Stream tag);
  // Takes the process's exit status once it has ended.
  void Reap();

  // The orderly stop took too long: signals the process (Terminate, with a message), then
  // kills it and closes everything (Kill).
  void Terminate();
  void Kill();
  // The run is over: closes everything, reads what its standard error still holds, and
  // returns its result with the outcome in words.
  ProcessResult Conclude();

  Phase phase() const { return _phase; }
  int ClientId() const { return _result.clientId; }
  uint32_t SimulatorPid() const { return _result.simulatorPid; }
  bool ProcessPending() const;  // a process to wait for: started, not ended, not detached
  bool Linked() const;          // the link stands and the greeting is read
  bool Linking() const;         // on its way to a link
  // Nothing left to wait for: no link, no process, and its output read to the end (a detached
  // simulator's output is not waited for).
  bool Settled() const;

 private:
  void CloseLink();
  void LinkFailure(const std::string& why);
  void Signal(os::Stop how);
  void ReadSocket();
  bool HandleRecord(const Record& r);
  // Whether a record names this simulator's client and experiment (the link fails if not).
  bool Addressed(const char* kind, uint8_t clientId, uint16_t experiment);
  void ReadStdout();
  void ReadStderr();
  bool StopAsked() const;
  bool Fault() const;
  std::string Outcome() const;

  Context _ctx;
  ProcessResult _result;
  std::string _address;         // the IPv4 address the manager connects to
  std::string _managerAddress;  // the one it connects from, when the simulator is elsewhere
  Phase _phase = Phase::Announcing;
  std::string _spawnError;
  os::Child _child;
  struct Exit {
    int code = 0;  // -1 when a signal ended it
    int signal = 0;
  };
  std::optional<Exit> _ended;    // once the process has ended
  bool _signalled = false;       // the manager signalled it: its end is no fault of its own
  bool _closedOnItsOwn = false;  // it closed its link unasked, as at the end of its run
  int _sock = -1;
  int _port = 0;
  double _deadline = 0.0;
  std::string _stdoutLine;  // partial line while looking for the port announcement
  std::vector<uint8_t> _outgoing;
  RecordReader _reader;
  std::string _linkProblem;  // first link failure, reported with the outcome
};

}  // namespace simmgr

#endif
