// What a program asks of its own process and of the machine it runs on: its id, its signals and
// console events, the environment, clocks, file renaming and error texts. KavrinSystem.cpp holds
// what the standard library already makes portable, KavrinSystemPosix.cpp and
// KavrinSystemWindows.cpp the rest.
#ifndef KAVRIN_BASECLASSES_KAVRINSYSTEM_H
#define KAVRIN_BASECLASSES_KAVRINSYSTEM_H

#include <string>
#include <vector>

class KavrinSystem {
 public:
  static int ProcessId();
  // A peer (or a reader of standard output) that goes away must not kill the process: writes to
  // it fail with an error instead. Call once at the top of main.
  static void IgnoreBrokenPipe();
  // From now on an interrupt (Ctrl-C), a termination request or a hang-up (a closed terminal)
  // only counts: see InterruptCount.
  static void InstallInterruptHandler();
  static int InterruptCount();

  // The text of a C library error number (and on Windows also of a socket error code).
  static std::string ErrorText(int err);
  // The text of an error code of the system's own calls: errno on POSIX, GetLastError() on
  // Windows, whose small codes mean other things than the C library's numbers.
  static std::string SystemErrorText(unsigned long code);
  static bool StderrIsTerminal();
  static int CpuCount();
  // This machine's name, "" when it has none.
  static std::string HostName();
  // Seconds from a fixed point in the past that never go backwards.
  static double MonotonicSeconds();

  // Puts the file `from` in the place of `to` in one step (both in one folder), replacing the
  // file there; false with the reason otherwise.
  static bool RenameOver(const std::string& from, const std::string& to, std::string& reason);
  // A fresh, empty folder in the system's place for temporary files; "" when none can be made.
  static std::string MakeTempDir(const std::string& prefix);

  // This process's environment as "NAME=value" entries.
  static std::vector<std::string> Environment();
  // Whether two variable names name the same variable (Windows ignores case).
  static bool SameVariable(const std::string& a, const std::string& b);
  // Through the C library, so that programs started later inherit the change. An empty value
  // cannot be kept on Windows: it removes the variable there.
  static void SetEnv(const std::string& name, const std::string& value);
  static void UnsetEnv(const std::string& name);
};

#endif
