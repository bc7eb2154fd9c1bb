// The portable parts of KavrinProcess: command-line quoting.
#include "BaseClasses/KavrinProcess.h"

std::string KavrinProcess::QuoteForShell(const std::string& word) {
  const std::string safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:,+@%";
  if (!word.empty() && word.find_first_not_of(safe) == std::string::npos) return word;
  std::string q = "'";
  for (char c : word) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

// Inside quotes, n backslashes before a quote stand for n/2 backslashes (and an escaped quote
// when n is odd); elsewhere they stand for themselves. So backslashes are doubled before a quote
// and before the closing quote, and a quote gets one more.
std::string KavrinProcess::QuoteForRuntime(const std::string& word, bool always) {
  if (!always && !word.empty() && word.find_first_of(" \t\n\v\"") == std::string::npos) return word;
  std::string out = "\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < word.size() && word[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == word.size()) {
      out.append(backslashes * 2, '\\');
      break;
    }
    out.append(word[i] == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    out.push_back(word[i]);
  }
  out.push_back('"');
  return out;
}

std::string KavrinProcess::RuntimeCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += ' ';
    line += QuoteForRuntime(a);
  }
  return line;
}
