#include "StudyDescription.h"

#include <charconv>
#include <cstdint>
#include <ostream>
#include <sstream>

#include "BaseClasses/Composed/ComposedModelClass.h"
#include "Performance_Variables/PVModel.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Study/BaseStudyClass.h"

namespace {

// The same text the reward-model description uses for times, so both files name a row alike.
std::string TimeText(double t) {
  std::ostringstream s;
  s << t;
  return s.str();
}

// Shortest text that reads back as the same value.
std::string ValueText(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string GlobalValue(BaseStudyClass& study, int i) {
  void* p = study.GetGVValue(study.GetGVName(i));
  if (p == nullptr) return "?";
  switch (StudyDescription::OverrideLetter(study.GetGVType(i))) {
    case 'b':
      return *static_cast<bool*>(p) ? "1" : "0";
    case 'c':
      return std::to_string(static_cast<int>(*static_cast<char*>(p)));
    case 'd':
      return ValueText(*static_cast<double*>(p));
    case 'f':
      return ValueText(static_cast<double>(*static_cast<float*>(p)));
    case 'i':
      return std::to_string(*static_cast<int*>(p));
    case 'l':
      return std::to_string(*static_cast<int32_t*>(p));
    case 's':
      return std::to_string(*static_cast<short*>(p));
  }
  return "?";
}

}  // namespace

std::string StudyDescription::RowName(const PerformanceVariableNode& node) {
  std::string name = node.GetName();
  if (node.GetNumTimePoints() <= 1) return name;
  const std::string start = TimeText(node.Start), stop = TimeText(node.Stop);
  if (node.GetRewardType() == INSTANT_OF_TIME || start == stop) return name + "@" + stop;
  return name + "@" + start + "-" + stop;
}

char StudyDescription::OverrideLetter(const std::string& type) {
  for (const char* t : {"bool", "char", "double", "float", "int", "long", "short"})
    if (type == t) return t[0];
  return '?';
}

void StudyDescription::WriteKinds(PVModel& model, std::ostream& out) {
  for (int p = 0; p < model.getNumPVs(); p++) {
    const PerformanceVariableNode* node = model.getPV(p);
    out << p << ' ' << RowName(*node) << ' ' << (node->Type == steady_state ? "steady_state" : "terminating")
        << '\n';
  }
}

void StudyDescription::WriteScopes(PVModel& model, std::ostream& out) {
  ComposedModelClass* tree = dynamic_cast<ComposedModelClass*>(model.getTheModel());
  if (tree == nullptr) return;
  for (int p = 0; p < model.getNumPVs(); p++) {
    const PerformanceVariableNode* node = model.getPV(p);
    for (const ComposedModelClass::RewardScope& scope : tree->RewardScopes()) {
      if (scope.Variable != node->GetName()) continue;
      const char* how = scope.Average ? "average" : tree->IsInstancePath(scope.Over) ? "instance" : "sum";
      out << "reward\t" << p << '\t' << RowName(*node) << '\t' << scope.Over << '\t' << how << '\t'
          << tree->CountInstances(scope.Over) << '\n';
      break;
    }
  }
}

void StudyDescription::WriteStudy(BaseStudyClass& study, std::ostream& out, const char* const* names,
                                  const char* sha256) {
  if (sha256 != nullptr && sha256[0] != '\0') out << "description_sha256\t" << sha256 << '\n';
  for (uint32_t g = 0; g < study.GetNumGVs(); g++)
    out << "global\t" << study.GetGVName(g) << '\t' << study.GetGVType(g) << '\t'
        << OverrideLetter(study.GetGVType(g)) << '\n';
  for (uint32_t e = 0; e < study.GetNumExps(); e++) {
    study.SetGVs(static_cast<int>(e));
    out << "experiment\t" << e << '\t'
        << (names != nullptr ? names[e] : study.GetExpName(static_cast<int>(e)));
    for (uint32_t g = 0; g < study.GetNumGVs(); g++)
      out << '\t' << study.GetGVName(g) << '=' << GlobalValue(study, static_cast<int>(g));
    out << '\n';
  }
}
