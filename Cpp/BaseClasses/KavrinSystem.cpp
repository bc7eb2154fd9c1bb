// The parts of KavrinSystem that the standard library makes portable.
#include "BaseClasses/KavrinSystem.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

int KavrinSystem::CpuCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? static_cast<int>(n) : 1;
}

double KavrinSystem::MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string KavrinSystem::MakeTempDir(const std::string& prefix) {
  namespace fs = std::filesystem;
  static std::atomic<unsigned> counter{0};
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  if (ec) return "";
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    // create_directory fails on a folder that exists: no two callers get the same one.
    const fs::path candidate = base / (prefix + "_" + std::to_string(ProcessId()) + "_" +
                                       std::to_string(ticks % 1000000007) + "_" + std::to_string(counter++));
    if (fs::create_directory(candidate, ec)) return candidate.string();
  }
  return "";
}
