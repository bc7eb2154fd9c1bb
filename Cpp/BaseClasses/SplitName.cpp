#include "BaseClasses/SplitName.h"

#include <cstring>
#include <string>

#include "BaseClasses/KavrinName.h"

SplitName::SplitName(const char* name) : Text(nullptr), Path(nullptr) { set(name); }

void SplitName::set(const char* name) {
  if (name == nullptr) name = "";
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr) {
    Text = KavrinInternName(name);
    Path = nullptr;
    return;
  }
  Path = KavrinInternName(name, static_cast<size_t>(dot - name));
  Text = KavrinInternName(dot + 1);
}

const char* SplitName::join() const {
  const std::string whole = std::string(Path) + "." + Text;
  Text = KavrinInternName(whole.c_str(), whole.size());
  Path = nullptr;
  return Text;
}
