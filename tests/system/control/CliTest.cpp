// The simulator's command line, seen from outside: echo lines, messages, usage text, exit codes.
// Command lines that should fail end with a bad option where needed, so that only the parse runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KavrinVersion.h"
#include "support/TestProcess.h"

namespace {

const char* const kUsage =
    "Valid Options\n"
    "-a <name>: write ASCII output to file <name>\n"
    "-b <name>: write binary output to file <name>\n"
    "-c <num>: Client identification number (default=0)\n"
    "-e <num>: Experiment to run, 'Experiment 1' is num=0 (default = 0)\n"
    "-f <name>: Trace file name (default=<stdout>)\n"
    "-m: Enable Kavrin trace \n"
    "-l <num>: Trace Level (1, 2,3,4 [default=1])\n"
    "-x: Enable XML trace \n"
    "-n <num>: Num observations sent in 1 update to SimMgr. (default=1000)\n"
    "-N <num>: Maximum number of batches to run (default=infinite)\n"
    "-p <num>: Communication port of network server (default=10000)\n"
    "-r <num>: Random Number Generator (0 = Lagged Fibonacci[default], 1 = Tausworthe, 2 = Mersenne Twister\n"
    "-s <num>: Random Number Seed (31415[default])\n"
    "-t <num>: Simulation Type (1 = Terminating[default] 0 = Steady State)\n"
    "-w: Simulator will wait to send output until socket connection is established.\n"
    "\n";

const char* const kParseError = "ERROR: Parsing command line options\n";
const char* const kGoodExit = "SIMULATOR::MAIN()-GOOD EXIT\n";

using testproc::ProcessResult;

// Runs the simulator with the arguments in a fresh scratch directory.
ProcessResult RunSimulator(const std::vector<std::string>& args) {
  testproc::ScratchDir dir("kavrin_cli");
  testproc::ProcessOptions how;
  how.workDir = dir.path();
  return testproc::Run(SIMULATOR_EXE, args, how);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// A refused command line: nothing on standard output, the message, usage and the parse error.
void ExpectRefused(const std::vector<std::string>& args, const std::string& message,
                   const std::string& expectedOut = "") {
  ProcessResult r = RunSimulator(args);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, expectedOut);
  EXPECT_EQ(r.err, message + kUsage + kParseError);
}

// An accepted command line: the echo lines first, the good exit last on both streams.
void ExpectAccepted(const std::vector<std::string>& args, const std::string& echoes) {
  ProcessResult r = RunSimulator(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(StartsWith(r.out, echoes)) << r.out;
  EXPECT_TRUE(EndsWith(r.out, kGoodExit)) << r.out;
  EXPECT_TRUE(EndsWith(r.err, kGoodExit)) << r.err;
}

TEST(CommandLine, NoArgumentsIsRefused) { ExpectRefused({}, "ERROR: No command line options specified\n"); }

TEST(CommandLine, ArgumentsUpTo128CharactersAreAccepted) {
  const std::string limit = "ERROR: Command Line Argument Too Long, Limited to 128 Characters\n";
  ExpectAccepted({std::string(128, 'x'), "-N", "1"}, "Max Number of Batches: 1\n");
  ExpectRefused({std::string(129, 'x'), "-N", "1"}, limit);
  ExpectRefused({"-a" + std::string(127, 'y')}, limit);
  // A parameter given as the next argument is held to the same limit.
  ExpectRefused({"-N", "1", "-a", std::string(129, 'y')}, limit, "Max Number of Batches: 1\n");
}

TEST(CommandLine, ParameterAttachedOrSeparate) {
  ExpectAccepted({"-n", "500", "-N", "1"}, "ReportSize: 500\nMax Number of Batches: 1\n");
  ExpectAccepted({"-n500", "-N1"}, "ReportSize: 500\nMax Number of Batches: 1\n");
}

TEST(CommandLine, ArgumentsWithoutADashAreIgnored) {
  ExpectAccepted({"stray", "-N", "1", "another"}, "Max Number of Batches: 1\n");
}

TEST(CommandLine, EveryOptionEchoesWhatItStored) {
  ExpectRefused({"-a", "out.csv", "-b", "out.bin", "-c", "3", "-e", "2",  "-f",           "tr",
                 "-l", "2",       "-m", "-x",      "-n", "7", "-N", "4",  "-p",           "12345",
                 "-r", "2",       "-s", "42",      "-t", "0", "-w", "-O", "a;double;1.5", "-?"},
                "ERROR: Unrecognized Command Line option: -?\n",
                "ASCIIFilename: out.csv\nBinFilename: out.bin\nClientID: 3\nExperiment: 2\nTraceFile: tr\n"
                "TraceLevel: 2\nReportSize: 7\nMax Number of Batches: 4\nPort: 12345\n"
                "Random Number Generator: Mersenne Twister\nRandom Number Seed: 42\n"
                "Is Terminating Simulation: 0\nWait For Socket Enabled\nOverrideString is a;double;1.5\n");
}

TEST(CommandLine, NumbersReadLikeAtoiButSaturate) {
  ExpectRefused(
      {"-s", "3000000000", "-s-1", "-e-1", "-c", "12abc", "-N", "junk", "-p", "40000", "-s-9999999999", "-z"},
      "ERROR: Unrecognized Command Line option: -z\n",
      "Random Number Seed: 2147483647\nRandom Number Seed: 4294967295\nExperiment: 4294967295\n"
      "ClientID: 12\nMax Number of Batches: 0\nPort: -25536\n"
      "Random Number Seed: 2147483648\n");
}

// A port is a whole number from 0 to 65535; the echo shows it as a signed 16-bit value, as before.
TEST(CommandLine, PortsOutsideTheirRangeAreRefused) {
  ExpectRefused({"-p", "0", "-p", "65535", "-p", "32768 ", "-zz"},
                "ERROR: Unrecognized Command Line option: -zz\n", "Port: 0\nPort: -1\nPort: -32768\n");
  for (const char* bad : {"70000", "65536", "-1", "12x", "x", "99999999999999999999"}) {
    const std::string argument = std::string("-p") + bad;
    ExpectRefused({"-N", "1", argument},
                  std::string("ERROR: The port given with '-p' must be a number from 0 to 65535, not \"") +
                      bad + "\"\n",
                  "Max Number of Batches: 1\n");
  }
}

// Each value of the -O text must be wholly a number of its letter's type; the checks of names and
// types against the study, and of incomplete triples, stay the study's.
TEST(CommandLine, OverrideValuesThatAreNotNumbersAreRefused) {
  ExpectRefused(
      {"-O", "d:lambda:0.7junk"},
      "ERROR: The value \"0.7junk\" of global variable lambda is not a number of type d (double) in the "
      "text given with '-O'\n");
  ExpectRefused({"-O", "d:lambda:0.7:i:n:12abc"},
                "ERROR: The value \"12abc\" of global variable n is not a number of type i (int) in the text "
                "given with '-O'\n");
  // Accepted as the study reads them: exponents, hexadecimal integers, characters, incomplete
  // triples, unknown letters.
  ExpectRefused({"-O", "d:a:1e300:f:b:-2.5e-3:i:c:0x1F:l:d:-7:s:e:010:b:f:1:c:g:xyz:q:h:?:d", "-?"},
                "ERROR: Unrecognized Command Line option: -?\n",
                "OverrideString is d:a:1e300:f:b:-2.5e-3:i:c:0x1F:l:d:-7:s:e:010:b:f:1:c:g:xyz:q:h:?:d\n");
}

TEST(CommandLine, VersionIsAnsweredBeforeAnyOtherOption) {
  const std::string expected = std::string("GPUS_STUDYSim ") + KAVRIN_VERSION + "\nmodel: written by hand\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"},
        std::vector<std::string>{"-N", "1", "-a", "out.csv", "--version"},
        std::vector<std::string>{"-q", "--version"}}) {
    ProcessResult r = RunSimulator(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
  }
  // Only the whole word: anything else keeps its handling.
  ExpectRefused({"--versions"}, "ERROR: Unrecognized Command Line option: --versions\n");
}

TEST(CommandLine, GeneratorChoice) {
  ExpectRefused({"-r", "0", "-r", "1", "-zz"}, "ERROR: Unrecognized Command Line option: -zz\n",
                "Random Number Generator: Lagged Fibonacci\nRandom Number Generator: Tausworthe\n");
  // Out of range: refused without a message of its own.
  ExpectRefused({"-r", "3"}, "");
  ExpectRefused({"-r-1"}, "");
}

TEST(CommandLine, TauswortheSeedThatSticksAtZeroIsRefused) {
  const std::string message =
      "ERROR: The Tausworthe generator cannot use the seed 2147483648: every number it drew would be 0\n";
  ExpectRefused({"-r", "1", "-s-2147483648"}, message,
                "Random Number Generator: Tausworthe\nRandom Number Seed: 2147483648\n");
  ExpectRefused({"-s-2147483648", "-r1"}, message,
                "Random Number Seed: 2147483648\nRandom Number Generator: Tausworthe\n");
  // The same seed is fine for the other generators.
  ExpectAccepted({"-s-2147483648", "-r", "2", "-N", "1"},
                 "Random Number Seed: 2147483648\nRandom Number Generator: Mersenne Twister\n");
}

TEST(CommandLine, MissingOrUnexpectedParameters) {
  // An argument beginning with '-' is never taken as a parameter.
  ExpectRefused({"-a", "-b", "x"}, "Expect a parameter after '-a'\n");
  ExpectRefused({"-O"}, "Expect a parameter after '-O'\n");
  ExpectRefused({"-N", "1", "-s"}, "Expect a parameter after '-s'\n", "Max Number of Batches: 1\n");
  ExpectRefused({"-m", "value"}, "Did not expect a parameter after '-m'\n");
  ExpectRefused({"-xyz"}, "Did not expect a parameter after '-x'\n");
  ExpectRefused({"-w", "now"}, "Did not expect a parameter after '-w'\n");
}

TEST(CommandLine, UnknownOptionsNameTheWholeArgument) {
  ExpectRefused({"-q"}, "ERROR: Unrecognized Command Line option: -q\n");
  ExpectRefused({"-quiet"}, "ERROR: Unrecognized Command Line option: -quiet\n");
  ExpectRefused({"-"}, "ERROR: Unrecognized Command Line option: -\n");
}

TEST(CommandLine, ReportSizeBelowOneIsRefused) {
  const std::string message = "ERROR: The report size given with '-n' must be at least 1\n";
  ExpectRefused({"-n", "0"}, message);
  ExpectRefused({"-n-5"}, message);
  ExpectRefused({"-n", "none"}, message);
  ExpectRefused({"-n", "-5"}, "Expect a parameter after '-n'\n");
}

}  // namespace
