// sangen: turns one model description (YAML) into the generated-model sources of a simulator,
// or draws it as a Graphviz graph. A description that fails a check is refused with
// "file:line:column: message" and exit code 1, and nothing is written.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "CodeGenerator.h"
#include "Description.h"
#include "DotWriter.h"
#include "KavrinVersion.h"

namespace {

const char* const kUsage =
    "usage: sangen MODEL.yaml --out DIR     write DIR/Atomic/<model>/, DIR/Reward/<reward>/, "
    "DIR/Study/<study>/\n"
    "       sangen --dot MODEL.yaml [-o FILE]  draw the net as Graphviz DOT (standard output by default)\n"
    "       sangen --version                  print the generator's version\n";

// Leaves a file alone when its text is unchanged, so a rebuild recompiles only what changed.
bool WriteIfChanged(const std::filesystem::path& path, const std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (in) {
    std::stringstream old;
    old << in.rdbuf();
    if (old.str() == text) return true;
  }
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, outDir, dotFile;
  bool dot = false;
  for (int k = 1; k < argc; k++) {
    std::string a = argv[k];
    if (a == "--out" && k + 1 < argc) {
      outDir = argv[++k];
    } else if (a == "--dot") {
      dot = true;
    } else if (a == "-o" && k + 1 < argc) {
      dotFile = argv[++k];
    } else if (a == "--version") {
      std::cout << "sangen " << KAVRIN_VERSION << "\n";
      return 0;
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
  if (input.empty() || (!dot && outDir.empty())) {
    std::cerr << kUsage;
    return 1;
  }
  try {
    sangen::Description d = sangen::Description::Load(input);
    sangen::CodeGenerator generator(d);
    if (dot) {
      std::string text = sangen::DotWriter::Write(d, generator);
      if (dotFile.empty()) {
        std::cout << text;
      } else if (!WriteIfChanged(dotFile, text)) {
        std::cerr << "sangen: cannot write " << dotFile << ": " << std::strerror(errno) << std::endl;
        return 1;
      }
      return 0;
    }
    for (const auto& file : generator.Generate(outDir)) {
      std::filesystem::path path = std::filesystem::path(outDir) / file.first;
      if (!WriteIfChanged(path, file.second)) {
        std::cerr << "sangen: cannot write " << path.string() << ": " << std::strerror(errno) << std::endl;
        return 1;
      }
    }
  } catch (const sangen::DescriptionError& e) {
    std::cerr << input << ":" << e.Where.Line << ":" << e.Where.Column << ": " << e.what() << std::endl;
    return 1;
  } catch (const std::exception& e) {
    std::cerr << input << ": " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
