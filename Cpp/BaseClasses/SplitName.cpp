#include "BaseClasses/SplitName.h"

#include <cstring>
#include <string>

SplitName::SplitName(const char* name) : Text(0), Path(kNoPath) { set(name); }

void SplitName::set(const char* name) {
  if (name == nullptr) name = "";
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr) {
    Text = KavrinInternNumber(name, std::strlen(name));
    Path = kNoPath;
    return;
  }
  Path = KavrinInternNumber(name, static_cast<size_t>(dot - name));
  Text = KavrinInternNumber(dot + 1, std::strlen(dot + 1));
}

const char* SplitName::join() const {
  const std::string whole = std::string(KavrinInternedText(Path)) + "." + KavrinInternedText(Text);
  Text = KavrinInternNumber(whole.c_str(), whole.size());
  Path = kNoPath;
  return KavrinInternedText(Text);
}
