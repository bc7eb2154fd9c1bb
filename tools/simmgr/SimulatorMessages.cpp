#include "SimulatorMessages.h"

#include <algorithm>

namespace simmgr {

void SimulatorMessages::Feed(int client, const char* data, size_t n) {
  std::string& partial = _partial[client];
  for (size_t i = 0; i < n; ++i) {
    if (data[i] == '\n') {
      Add(client, partial);
      partial.clear();
    } else if (partial.size() < kMaxLineBytes) {
      partial += data[i];
    }
  }
}

void SimulatorMessages::Finish(int client) {
  auto it = _partial.find(client);
  if (it == _partial.end()) return;
  if (!it->second.empty()) Add(client, it->second);
  _partial.erase(it);
}

void SimulatorMessages::Add(int client, std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
  if (text.empty() || text == kGoodExitLine) return;
  for (Line& line : _lines)
    if (line.text == text) {
      if (std::find(line.clients.begin(), line.clients.end(), client) == line.clients.end())
        line.clients.push_back(client);
      return;
    }
  if (_lines.size() >= kMaxLines) {
    ++_dropped;
    return;
  }
  _lines.push_back(Line{std::move(text), {client}});
}

std::string SimulatorMessages::ClientsText(const std::vector<int>& clients) {
  std::string s = clients.size() == 1 ? "client " : "clients ";
  for (size_t i = 0; i < clients.size(); ++i) s += (i ? "," : "") + std::to_string(clients[i]);
  return s;
}

}  // namespace simmgr
