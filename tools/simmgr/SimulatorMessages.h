// What the simulators of one experiment print on standard error, line by line: each distinct
// line is kept once, with the clients that printed it, so that a model's warnings reach the user
// once per experiment instead of once per process (or not at all for a process that ends well).
#ifndef KAVRIN_SIMMGR_SIMULATORMESSAGES_H
#define KAVRIN_SIMMGR_SIMULATORMESSAGES_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace simmgr {

class SimulatorMessages {
 public:
  struct Line {
    std::string text;
    std::vector<int> clients;  // in the order they first printed it
  };

  // Bytes a client wrote; a line is complete at its line feed.
  void Feed(int client, const char* data, size_t n);
  // The client's stream ended: an unfinished last line counts as a line.
  void Finish(int client);

  const std::vector<Line>& Lines() const { return _lines; }
  // Distinct lines beyond the limit, counted but not kept.
  uint64_t Dropped() const { return _dropped; }
  // "client 3" or "clients 0,1,2"
  static std::string ClientsText(const std::vector<int>& clients);

  // Every simulator prints it on a good exit; it tells the user nothing.
  static constexpr const char* kGoodExitLine = "SIMULATOR::MAIN()-GOOD EXIT";
  static constexpr size_t kMaxLines = 100;
  static constexpr size_t kMaxLineBytes = 400;

 private:
  void Add(int client, std::string text);
  std::map<int, std::string> _partial;
  std::vector<Line> _lines;
  uint64_t _dropped = 0;
};

}  // namespace simmgr

#endif
