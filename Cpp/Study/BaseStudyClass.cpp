#include "Study/BaseStudyClass.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

BaseStudyClass* GlobalStudyPtr = nullptr;

BaseStudyClass::BaseStudyClass()
    : GVNames(nullptr), GVTypes(nullptr), ThePVModel(nullptr), NumGVs(0), NumExps(0) {}

BaseStudyClass::~BaseStudyClass() {
  for (uint32_t i = 0; i < NumGVs; i++) {
    if (GVNames != nullptr) std::free(GVNames[i]);
    if (GVTypes != nullptr) std::free(GVTypes[i]);
  }
  delete[] GVNames;
  delete[] GVTypes;
}

PVModel* BaseStudyClass::GetPVModel(bool /*expandTimeArrays*/) { return ThePVModel; }

void BaseStudyClass::SetGVs(int /*expNum*/) { std::cout << "basestudyclass::SetGVs" << std::endl; }

void BaseStudyClass::PrintGlobalValues(int /*expNum*/) {}

void* BaseStudyClass::GetGVValue(char* /*TheGVName*/) { return nullptr; }

void BaseStudyClass::OverrideGVValue(char* /*TheGVName*/, void* /*TheGVValue*/) {}

char* BaseStudyClass::GetExpName(int expnum) {
  static char buffer[128];
  std::snprintf(buffer, sizeof buffer, "Experiment %d", expnum + 1);
  return buffer;
}

namespace {

// Tokens are separated by runs of ':'; empty fields do not exist.
std::vector<std::string> SplitOnColons(const char* text) {
  std::vector<std::string> tokens;
  std::string current;
  for (const char* p = text; *p != '\0'; p++) {
    if (*p == ':') {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

// An integer in the notation of "%i" (decimal, or octal/hexadecimal with a 0 or 0x prefix),
// clamped to [lo, hi]. False when the text does not start with a number.
bool ParseInteger(const std::string& text, long lo, long hi, long* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(begin, &end, 0);
  if (end == begin) return false;
  if (parsed < lo) parsed = lo;
  if (parsed > hi) parsed = hi;
  *value = parsed;
  return true;
}

// The declared type that each override letter stands for.
const char* TypeOfLetter(char letter) {
  switch (letter) {
    case 'b':
      return "bool";
    case 'c':
      return "char";
    case 'd':
      return "double";
    case 'f':
      return "float";
    case 'i':
      return "int";
    case 'l':
      return "long";
    case 's':
      return "short";
    default:
      return nullptr;
  }
}

// Whether the whole text is one number of the kind the letter reads (the notation overrideGVs
// accepts, with nothing but blanks after it). Letters that read no number, or that are unknown, pass.
bool WholeNumber(char letter, const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  switch (letter) {
    case 'b':
    case 'i':
    case 'l':
    case 's':
      std::strtol(begin, &end, 0);
      break;
    case 'd':
    case 'f':
      std::strtod(begin, &end);
      break;
    default:
      return true;
  }
  if (end == begin) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;  // as the study's own reading allows
  return *end == '\0';
}

void ReportUnparsable(char letter, const std::string& name, const std::string& value) {
  std::cerr << "Value \"" << value << "\" of global variable " << name << " (type " << letter
            << ") cannot be read; the override is ignored." << std::endl;
}

}  // namespace

// Each value is parsed into a zero-initialised temporary of the wrapper's own width; a value that
// does not parse is reported and skipped rather than handed on.
void BaseStudyClass::overrideGVs(const char* TheOverrideString) {
  if (TheOverrideString == nullptr) return;
  std::vector<std::string> tokens = SplitOnColons(TheOverrideString);
  size_t next = 0;
  while (next < tokens.size()) {
    char letter = tokens[next++][0];
    if (next + 2 > tokens.size()) {
      std::cout << "Not enough double override tokens" << std::flush;
      return;
    }
    std::string name = tokens[next++];
    std::string value = tokens[next++];
    std::vector<char> nameBuffer(name.begin(), name.end());
    nameBuffer.push_back('\0');
    char* gvName = nameBuffer.data();
    // A value of another width than the variable's would be read as garbage (or past its end).
    const char* letterType = TypeOfLetter(letter);
    const char* declared = DeclaredType(name);
    if (letterType != nullptr && declared != nullptr && std::strcmp(declared, letterType) != 0) {
      std::cerr << "Global variable " << name << " has type " << declared << ", but the override gives type "
                << letter << " (" << letterType << "); the override is ignored." << std::endl;
      continue;
    }
    long integer = 0;
    switch (letter) {
      case 'b': {
        bool v = false;
        if (!ParseInteger(value, SHRT_MIN, SHRT_MAX, &integer)) break;
        v = integer != 0;
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 'c': {
        char v = value[0];
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 'd': {
        double v = 0.0;
        if (std::sscanf(value.c_str(), "%lf", &v) != 1) break;
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 'f': {
        float v = 0.0f;
        if (std::sscanf(value.c_str(), "%f", &v) != 1) break;
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 'i': {
        int v = 0;
        if (!ParseInteger(value, INT_MIN, INT_MAX, &integer)) break;
        v = static_cast<int>(integer);
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 'l': {
        int32_t v = 0;
        if (!ParseInteger(value, INT32_MIN, INT32_MAX, &integer)) break;
        v = static_cast<int32_t>(integer);
        OverrideGVValue(gvName, &v);
        continue;
      }
      case 's': {
        short v = 0;
        if (!ParseInteger(value, SHRT_MIN, SHRT_MAX, &integer)) break;
        v = static_cast<short>(integer);
        OverrideGVValue(gvName, &v);
        continue;
      }
      default:
        std::printf("Type %c not recognized\n", letter);
        std::fflush(stdout);
        continue;
    }
    ReportUnparsable(letter, name, value);
  }
}

std::string BaseStudyClass::UnreadableOverride(const char* TheOverrideString) {
  if (TheOverrideString == nullptr) return "";
  const std::vector<std::string> tokens = SplitOnColons(TheOverrideString);
  // Triples as overrideGVs walks them; an incomplete last one is left to its own message.
  for (size_t next = 0; next + 3 <= tokens.size(); next += 3) {
    const char letter = tokens[next][0];
    const std::string& value = tokens[next + 2];
    if (WholeNumber(letter, value)) continue;
    return "The value \"" + value + "\" of global variable " + tokens[next + 1] +
           " is not a number of type " + letter + " (" + TypeOfLetter(letter) + ")";
  }
  return "";
}

const char* BaseStudyClass::DeclaredType(const std::string& name) const {
  if (GVNames == nullptr || GVTypes == nullptr) return nullptr;
  for (uint32_t i = 0; i < NumGVs; i++)
    if (GVNames[i] != nullptr && name == GVNames[i]) return GVTypes[i];
  return nullptr;
}
