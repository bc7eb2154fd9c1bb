// The command line: options, their echo lines, their messages and the usage text.
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "Simulator/SimulatorClass.h"
#include "Study/BaseStudyClass.h"

namespace {

const size_t kMaxArgumentLength = 128;

// Seeded with this value, the Tausworthe generator's state becomes 0 at its first draw and
// every later draw is 0.0.
const uint32_t kTauswortheDeadSeed = 0x80000000u;

// Reads a number as atoi does (leading blanks, a sign, digits, anything after ignored, no digits
// giving 0), but saturates at the int range instead of wrapping.
int ReadInt(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// A port number: the whole text one number from 0 to 65535 (a larger one would wrap to another
// port without a word).
bool ReadPort(const char* text, int* port) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0' || value < 0 || value > 65535) return false;
  *port = static_cast<int>(value);
  return true;
}

// Replaces *target with an own copy of text (released with delete[]).
void CopyText(char*& target, const char* text) {
  delete[] target;
  target = new char[std::strlen(text) + 1];
  std::strcpy(target, text);
}

bool TooLong(const char* argument) {
  if (std::strlen(argument) <= kMaxArgumentLength) return false;
  std::cerr << "ERROR: Command Line Argument Too Long, Limited to " << kMaxArgumentLength << " Characters\n"
            << std::flush;
  return true;
}

}  // namespace

std::string to_string(RandomNumberGeneratorType type) {
  switch (type) {
    case LAGGED_FIBONACCI:
      return "Lagged Fibonacci";
    case TAUSWORTHE:
      return "Tausworthe";
    case MERSENNE_TWISTER:
      return "Mersenne Twister";
    default:
      return "Unknown";
  }
}

short SimulatorClass::ParseCommandLineOptions(int argc, char** argv) {
  ReportSize = 1000;
  MaxNumOfBatches = 0;
  bool traceRequested = false;
  bool kavrinTraceGiven = false;
  bool xmlTraceGiven = false;

  if (argc <= 1) {
    std::cerr << "ERROR: No command line options specified" << std::endl;
    return 1;
  }

  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (TooLong(argument)) return 1;
    if (argument[0] != '-') continue;

    const char letter = argument[1];
    const char* parameter = nullptr;
    if (std::strlen(argument) > 2) {
      parameter = argument + 2;
    } else if (i + 1 < argc && argv[i + 1][0] != '-') {
      parameter = argv[++i];
      if (TooLong(parameter)) return 1;
    }

    const bool isFlag = letter == 'm' || letter == 'x' || letter == 'w';
    const bool known = isFlag || (letter != '\0' && std::strchr("abceflnNprstO", letter) != nullptr);
    if (!known) {
      std::cerr << "ERROR: Unrecognized Command Line option: " << argument << "\n" << std::flush;
      return 1;
    }
    if (isFlag && parameter != nullptr) {
      std::cerr << "Did not expect a parameter after '-" << letter << "'\n" << std::flush;
      return 1;
    }
    if (!isFlag && parameter == nullptr) {
      std::cerr << "Expect a parameter after '-" << letter << "'\n" << std::flush;
      return 1;
    }

    switch (letter) {
      case 'a':
        CopyText(ASCIIFilename, parameter);
        std::cout << "ASCIIFilename: " << ASCIIFilename << std::endl;
        break;
      case 'b':
        CopyText(BinFilename, parameter);
        std::cout << "BinFilename: " << BinFilename << std::endl;
        break;
      case 'c':
        MyClientID = ReadInt(parameter);
        std::cout << "ClientID: " << MyClientID << std::endl;
        break;
      case 'e':
        TheExperimentNumber = static_cast<uint32_t>(ReadInt(parameter));
        std::cout << "Experiment: " << TheExperimentNumber << std::endl;
        break;
      case 'f':
        CopyText(TraceFilename, parameter);
        traceRequested = true;
        std::cout << "TraceFile: " << TraceFilename << std::endl;
        break;
      case 'l':
        TraceLevel = ReadInt(parameter);
        traceRequested = true;
        std::cout << "TraceLevel: " << TraceLevel << std::endl;
        break;
      case 'm':
        EnableKavrinTrace = true;
        kavrinTraceGiven = true;
        break;
      case 'x':
        EnableXMLTrace = true;
        xmlTraceGiven = true;
        break;
      case 'n': {
        const int size = ReadInt(parameter);
        // Every packet row needs room for at least one observation.
        if (size < 1) {
          std::cerr << "ERROR: The report size given with '-n' must be at least 1\n" << std::flush;
          return 1;
        }
        ReportSize = size;
        std::cout << "ReportSize: " << ReportSize << std::endl;
        break;
      }
      case 'N':
        MaxNumOfBatches = ReadInt(parameter);
        std::cout << "Max Number of Batches: " << MaxNumOfBatches << std::endl;
        break;
      case 'p': {
        int port = 0;
        if (!ReadPort(parameter, &port)) {
          std::cerr << "ERROR: The port given with '-p' must be a number from 0 to 65535, not \"" << parameter
                    << "\"\n"
                    << std::flush;
          return 1;
        }
        SocketPort = static_cast<short>(static_cast<uint16_t>(port));
        std::cout << "Port: " << SocketPort << std::endl;
        break;
      }
      case 'r': {
        const int kind = ReadInt(parameter);
        if (kind < LAGGED_FIBONACCI || kind >= MAX_NUM_GENERATORS) return 1;
        RandomNumberGenerator = static_cast<RandomNumberGeneratorType>(kind);
        std::cout << "Random Number Generator: " << to_string(RandomNumberGenerator) << std::endl;
        break;
      }
      case 's':
        RandomNumberSeed = static_cast<uint32_t>(ReadInt(parameter));
        std::cout << "Random Number Seed: " << RandomNumberSeed << std::endl;
        break;
      case 't':
        isTerminatingSimulation = ReadInt(parameter);
        std::cout << "Is Terminating Simulation: " << isTerminatingSimulation << std::endl;
        break;
      case 'w':
        WaitForSocket = true;
        std::cout << "Wait For Socket Enabled" << std::endl;
        break;
      case 'O': {
        const std::string unreadable = BaseStudyClass::UnreadableOverride(parameter);
        if (!unreadable.empty()) {
          std::cerr << "ERROR: " << unreadable << " in the text given with '-O'\n" << std::flush;
          return 1;
        }
        CopyText(OverrideString, parameter);
        std::cout << "OverrideString is " << OverrideString << std::endl;
        break;
      }
    }
  }

  if (RandomNumberGenerator == TAUSWORTHE && RandomNumberSeed == kTauswortheDeadSeed) {
    std::cerr << "ERROR: The Tausworthe generator cannot use the seed " << kTauswortheDeadSeed
              << ": every number it drew would be 0\n"
              << std::flush;
    return 1;
  }

  if (traceRequested && !kavrinTraceGiven && !xmlTraceGiven) EnableKavrinTrace = true;
  return 0;
}

void SimulatorClass::PrintUsage() {
  std::cerr
      << "Valid Options\n"
      << "-a <name>: write ASCII output to file <name>\n"
      << "-b <name>: write binary output to file <name>\n"
      << "-c <num>: Client identification number (default=0)\n"
      << "-e <num>: Experiment to run, 'Experiment 1' is num=0 (default = 0)\n"
      << "-f <name>: Trace file name (default=<stdout>)\n"
      << "-m: Enable Kavrin trace \n"
      << "-l <num>: Trace Level (1, 2,3,4 [default=1])\n"
      << "-x: Enable XML trace \n"
      << "-n <num>: Num observations sent in 1 update to SimMgr. (default=1000)\n"
      << "-N <num>: Maximum number of batches to run (default=infinite)\n"
      << "-p <num>: Communication port of network server (default=10000)\n"
      << "-r <num>: Random Number Generator (0 = Lagged Fibonacci[default], 1 = Tausworthe, 2 = Mersenne "
         "Twister\n"
      << "-s <num>: Random Number Seed (31415[default])\n"
      << "-t <num>: Simulation Type (1 = Terminating[default] 0 = Steady State)\n"
      << "-w: Simulator will wait to send output until socket connection is established.\n"
      << std::endl;
}
