// sangen: turns one model description (YAML) into the generated-model sources of a simulator,
// or draws it as a Graphviz graph. A description that fails a check is refused with
// "file:line:column: message" and exit code 1, and nothing is written.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>

#include "CodeGenerator.h"
#include "Description.h"
#include "DescriptionChecker.h"
#include "DotWriter.h"
#include "KavrinVersion.h"
#include "Net.h"
#include "OutputFiles.h"

namespace {

const char* const kUsage =
    "usage: sangen MODEL.yaml --out DIR [LIMITS]  write DIR/Atomic/<model>/, DIR/Reward/<reward>/, "
    "DIR/Study/<study>/\n"
    "       sangen --list-outputs MODEL.yaml     print the names and the files --out would write, one per "
    "line:\n"
    "                                            'simulator|model|reward_model|study NAME', 'source|header "
    "PATH',\n"
    "                                            then 'input PATH' for every file the description is read "
    "from\n"
    "       sangen --dot MODEL.yaml [-o FILE]     draw the net as Graphviz DOT (standard output by default)\n"
    "       sangen --version                     print the generator's version\n"
    "LIMITS (a description that would make more is refused):\n"
    "  --max-experiments N   experiments of the study (default 100000)\n"
    "  --max-replicas N      copies made by one 'replicas' key (default 10000)\n"
    "  --max-elements N      elements of one array place (default 100000)\n";

// A whole number from 1 to 2147483647 (counts are ints in the generated code), or -1.
long long Positive(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  const long long v = std::strtoll(text.c_str(), nullptr, 10);
  return v > 0 && v <= 2147483647 ? v : -1;
}

// A message on one line: a name quoted in it may hold a line break or a tab.
std::string OneLine(const std::string& text) {
  static const char* const kHex = "0123456789abcdef";
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (u < 0x20 || u == 0x7f)
      out += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    else
      out += c;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, outDir, dotFile;
  bool dot = false, listOutputs = false;
  sangen::Limits limits;
  const std::map<std::string, long long*> limitOptions{{"--max-experiments", &limits.Experiments},
                                                       {"--max-replicas", &limits.Replicas},
                                                       {"--max-elements", &limits.Elements}};
  for (int k = 1; k < argc; k++) {
    std::string a = argv[k];
    if (a == "--out" && k + 1 < argc) {
      outDir = argv[++k];
    } else if (a == "--dot") {
      dot = true;
    } else if (a == "--list-outputs") {
      listOutputs = true;
    } else if (a == "-o" && k + 1 < argc) {
      dotFile = argv[++k];
    } else if (a == "--version") {
      std::cout << "sangen " << KAVRIN_VERSION << "\n";
      return 0;
    } else if (limitOptions.count(a) && k + 1 < argc) {
      const long long v = Positive(argv[++k]);
      if (v < 0) {
        std::cerr << "sangen: " << a << " takes a whole number from 1 to 2147483647, not '" << argv[k]
                  << "'\n"
                  << kUsage;
        return 1;
      }
      *limitOptions.at(a) = v;
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (!a.empty() && a[0] != '-' && input.empty()) {
      input = a;
    } else {
      std::cerr << kUsage;
      return 1;
    }
  }
  if (input.empty() || (dot && listOutputs) || (!dot && !listOutputs && outDir.empty())) {
    std::cerr << kUsage;
    return 1;
  }
  try {
    sangen::Description d = sangen::DescriptionChecker::Load(input, limits);
    const sangen::Net net = sangen::Net::Build(d);
    sangen::CodeGenerator generator(net);
    std::map<std::string, std::string> files;
    if (listOutputs) {
      // What a build needs to know before it generates: the names (the simulator's is the
      // study's with "Sim") and every file, relative to the folder given to --out.
      std::string text = "simulator " + d.StudyName + "Sim\nmodel " + d.ModelName + "\nreward_model " +
                         d.RewardName + "\nstudy " + d.StudyName + "\n";
      for (const auto& file : generator.Generate("."))
        text +=
            (file.first.size() > 2 && file.first.compare(file.first.size() - 2, 2, ".h") == 0 ? "header "
                                                                                              : "source ") +
            file.first + "\n";
      // Every file the description was read from, so that a build regenerates when any changes.
      for (const std::string& path : d.Inputs) text += "input " + path + "\n";
      std::cout << text << std::flush;
      if (!std::cout) {
        std::cerr << "sangen: cannot write the standard output" << std::endl;
        return 1;
      }
      return 0;
    }
    if (dot) {
      std::string text = sangen::DotWriter::Write(net);
      if (dotFile.empty()) {
        std::cout << text << std::flush;
        if (!std::cout) {
          std::cerr << "sangen: cannot write the standard output" << std::endl;
          return 1;
        }
        return 0;
      }
      files[dotFile] = text;
    } else {
      // Warnings go with the files they concern: a build asks --list-outputs first and should not
      // see each of them twice.
      for (const sangen::Warning& w : generator.Warnings())
        std::cerr << (w.File.empty() ? input : w.File) << ":" << w.Where.Line << ":" << w.Where.Column
                  << ": warning: " << OneLine(w.Message) << std::endl;
      for (const auto& file : generator.Generate(outDir))
        files[(std::filesystem::path(outDir) / file.first).string()] = file.second;
    }
    const std::string failure = sangen::OutputFiles::Write(files);
    if (!failure.empty()) {
      std::cerr << "sangen: " << failure << std::endl;
      return 1;
    }
  } catch (const sangen::DescriptionError& e) {
    const std::string& file = e.File.empty() ? input : e.File;
    // Every refusal has a position: one without (none is expected) is put at the file's start.
    const sangen::Pos at = e.Where.Line > 0 ? e.Where : sangen::Pos{1, 1};
    std::cerr << file << ":" << at.Line << ":" << at.Column << ": " << OneLine(e.what()) << std::endl;
    return 1;
  } catch (const std::exception& e) {
    std::cerr << input << ": " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
