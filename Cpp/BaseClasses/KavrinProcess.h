// A child process: started from a program and its arguments (or, on POSIX systems, as a copy of
// this process running a function), with its standard streams on files or on pipes this process
// reads, waited for with or without a time limit, and stopped by a signal. Also the quoting of
// words for a command line, by the C runtime's rules on Windows and a POSIX shell's.
//
// KavrinProcess.cpp holds the portable parts; KavrinProcessPosix.cpp and KavrinProcessWindows.cpp
// the rest. Windows has no signals: a stop ends the process (with its job, when it has one of
// its own) and is reported with the POSIX signal's number, so that reports read the same.
#ifndef KAVRIN_BASECLASSES_KAVRINPROCESS_H
#define KAVRIN_BASECLASSES_KAVRINPROCESS_H

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class KavrinProcess {
 public:
  struct Options {
    // Changes to the child's environment: a value sets the variable, no value removes it.
    std::vector<std::pair<std::string, std::optional<std::string>>> env;
    std::string workDir;    // empty: this process's working directory
    std::string stdinFile;  // empty: the null device
    // Standard output and standard error go into these files (made or emptied). An empty name
    // puts the stream on a pipe whose reading end is OutputFd() / ErrorFd(): non-blocking, to be
    // polled with KavrinNet::Poll and read with KavrinNet::Read.
    std::string stdoutFile, stderrFile;
    bool mergeErrIntoOut = false;  // standard error goes where standard output goes
    // A process group of its own (and on Windows a job: stopping it stops what it started), so
    // that a Ctrl-C at the terminal reaches only this process.
    bool ownGroup = false;
    // What the child writes on its standard error, with a line feed, when the program cannot be
    // run (it then exits with 127, as a shell would); with the system's reason after ": ".
    std::string notRunText = "cannot run";
    bool notRunReason = false;
  };
  enum class Stop { Interrupt, Hangup, Terminate, Kill };

  KavrinProcess();
  // Closes what it holds; a child still running goes on.
  ~KavrinProcess();
  KavrinProcess(const KavrinProcess&) = delete;
  KavrinProcess& operator=(const KavrinProcess&) = delete;

  // argv[0] is a path, or a bare name looked up on PATH. False with a reason when no child could
  // be made (a program that is there but does not run gives a child that exits with 127).
  bool Start(const std::vector<std::string>& argv, const Options& options, std::string& error);
  // A child copy of this process that runs body and exits with its result (POSIX only: false
  // elsewhere). For code that ends its process.
  bool StartCopy(const std::function<int()>& body, const Options& options, std::string& error);

  int Id() const { return _id; }
  int OutputFd() const { return _outFd; }
  int ErrorFd() const { return _errFd; }
  // Takes the pipes' reading ends over (the object then no longer closes them).
  void ReleaseOutputFds() { _outFd = _errFd = -1; }

  // True once the child has ended (never waits).
  bool Poll();
  // Waits up to the time limit (negative: without one); true once the child has ended.
  bool Wait(double timeoutSeconds);
  bool Ended() const { return _ended; }
  // The exit code, -1 when a signal ended it; and the signal, 0 when it exited.
  int ExitCode() const { return _exitCode; }
  int SignalNumber() const { return _signal; }
  // To the child's group when it has one of its own; nothing once it has ended.
  void Send(Stop how);

  static std::string SignalName(int signalNumber);
  // A word as the system's command interpreter reads it back as one word, and the argv that runs
  // a command line through that interpreter.
  static std::string ShellQuote(const std::string& word);
  static std::vector<std::string> ShellCommand(const std::string& commandLine);
  // A word as a POSIX shell reads it back; only words that need it are quoted.
  static std::string QuoteForShell(const std::string& word);
  // A word as the Windows C runtime splits it back out of a command line (backslashes are
  // literal except before a quote); only words that need it are quoted, unless `always`.
  static std::string QuoteForRuntime(const std::string& word, bool always = false);
  // The command line that gives a Windows program exactly these words as its argv.
  static std::string RuntimeCommandLine(const std::vector<std::string>& argv);

 private:
  struct Handles;
  std::unique_ptr<Handles> _handles;  // the system's part
  int _id = -1;
  int _outFd = -1, _errFd = -1;
  bool _ended = false;
  int _exitCode = -1;
  int _signal = 0;
};

#endif
