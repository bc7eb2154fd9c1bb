#include "CodeGenerator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "CppText.h"
#include "FencedCode.h"
#include "Sha256.h"
#include "TextTemplate.h"

namespace sangen {

namespace {

std::string GlobalClass(const std::string& type) {
  static const std::map<std::string, std::string> m{
      {"short", "Short"},   {"int", "Int"},   {"long", "Long"}, {"float", "Float"},
      {"double", "Double"}, {"bool", "Bool"}, {"char", "Char"}};
  return m.at(type);
}

std::string CType(const std::string& type) { return type == "long" ? "int32_t" : type; }

std::string Lit(const std::string& text) { return CppText::Literal(text); }

std::string Number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  std::string s = buffer;
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

void AddUnique(std::vector<std::string>& list, const std::string& name) {
  if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
}

// The places of a model that a piece of C++ names, each once, in order of first mention.
std::vector<std::string> PlacesOf(const Description& d, const std::string& code) {
  std::vector<std::string> out;
  for (const std::string& id : Identifiers(code))
    if (d.FindPlace(id) != nullptr) AddUnique(out, id);
  return out;
}

}  // namespace

CodeGenerator::CodeGenerator(const Description& d, bool submodel)
    : CodeGenerator(std::make_shared<const Net>(Net::Build(d)), d, submodel) {}

CodeGenerator::CodeGenerator(std::shared_ptr<const Net> whole, const Description& d, bool submodel)
    : D(d),
      Whole(std::move(whole)),
      Model(d.Composed ? nullptr : &Whole->Models[0]),
      SourcePath(d.Path),
      SourceName(CppText::Comment(d.Path)),
      Submodel(submodel) {
  if (submodel) MarkingFunction = "Kavrin_Marking_" + d.ModelName;
  // A composed model's warnings are its submodels'.
  WarningList = Whole->Warnings();
}

CodeGenerator::CodeGenerator(std::shared_ptr<const Net> whole, size_t model)
    : D(*whole->Models[model].Source),
      Whole(std::move(whole)),
      Model(&Whole->Models[model]),
      SourcePath(D.Path),
      SourceName(CppText::Comment(D.Path)),
      Submodel(true) {
  MarkingFunction = "Kavrin_Marking_" + D.ModelName;
}

const std::vector<CodeGenerator::Action>& CodeGenerator::Actions() const {
  static const std::vector<Action> kNone;
  return Model != nullptr ? Model->Actions : kNone;
}

const Description& CodeGenerator::Scope(const VariableDef& v) const {
  return D.Composed ? *D.FindSubmodel(v.OverSubmodel) : D;
}

std::map<std::string, std::string> CodeGenerator::Generate(const std::string& outDir) {
  OutDir = outDir;
  std::map<std::string, std::string> files;
  const std::string m = D.ModelName;
  const std::string r = D.RewardName;
  const std::string s = D.StudyName;
  if (D.Composed) {
    for (size_t k = 0; k < Whole->Models.size(); k++) {
      const Description& sub = *Whole->Models[k].Source;
      CodeGenerator g(Whole, k);
      g.OutDir = outDir;
      files["Atomic/" + sub.ModelName + "/" + sub.ModelName + "SAN.h"] = g.AtomicHeader();
      files["Atomic/" + sub.ModelName + "/" + sub.ModelName + "SAN.cpp"] = g.AtomicSource();
    }
    files["Atomic/" + m + "/" + m + "Composed.h"] = ComposedHeader();
    files["Atomic/" + m + "/" + m + "Composed.cpp"] = ComposedSource();
  } else {
    files["Atomic/" + m + "/" + m + "SAN.h"] = AtomicHeader();
    files["Atomic/" + m + "/" + m + "SAN.cpp"] = AtomicSource();
  }
  files["Reward/" + r + "/" + r + "PVModel.h"] = RewardModelHeader();
  files["Reward/" + r + "/" + r + "PVModel.cpp"] = RewardModelSource();
  files["Reward/" + r + "/" + r + "PVNodes.h"] = RewardNodesHeader();
  files["Reward/" + r + "/" + r + "PVNodes.cpp"] = RewardNodesSource();
  files["Study/" + s + "/" + s + "SetStudy.h"] = StudyHeader();
  files["Study/" + s + "/" + s + "SetStudy.cpp"] = StudySource();
  files["Study/" + s + "/" + s + "Provenance.cpp"] = ProvenanceSource();
  return files;
}

// ---------------------------------------------------------------- atomic model

namespace {

std::string PlaceType(const PlaceDef& p, const std::string& model) {
  if (p.Size > 0) return model + "_" + p.Name + "Array";
  return p.IsInt ? "ExtendedPlace<int>" : "Place";
}

std::string MarkType(const PlaceDef& p) { return p.IsInt ? "int" : "short"; }

std::string Mark(const std::string& place) { return "(*(" + place + "_Kavrin_Mark))"; }

int ParameterCount(const ActivityDef& a) {
  int k = static_cast<int>(a.Parameters.size());
  for (const SamplerChoice& c : a.Choices) k = std::max(k, static_cast<int>(c.Parameters.size()));
  return k;
}

// Cases whose probabilities read the marking: a checked build stops where they do not sum to 1
// (constant ones were summed when the description was read).
bool CheckedProbabilities(const Description& d, const ActivityDef& a) {
  if (!a.ProbabilityCases) return false;
  for (const CaseDef& c : a.Cases)
    for (const std::string& id : Identifiers(c.Probability.Text))
      if (d.FindPlace(id) != nullptr) return true;
  return false;
}

bool AnyCheckedProbabilities(const Description& d) {
  for (const ActivityDef& a : d.Activities)
    if (CheckedProbabilities(d, a)) return true;
  return false;
}

bool AutoReactivation(const CodeGenerator::Action& x) {
  return x.Def->Timed && x.MarkingDependent &&
         x.Def->ReactivationMode == ActivityDef::Reactivation::Automatic;
}

}  // namespace

const TextTemplate kAtomicHeader(
    R"(// The atomic SAN "{{M}}", generated by sangen from {{SOURCE}}. Do not edit: change the
// description and rebuild. The model owns its places, its activities and its groups.
#ifndef {{M}}SAN_H
#define {{M}}SAN_H

#include <cstdint>
{{STRING}}
#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/ArrayStateVariable.h"
#include "BaseClasses/state/PrimitiveType.h"

{{GLOBALS}}{{ARRAYS}}class {{M}}SAN : public SANModel {
 public:
{{PLACES}}
{{ACTIVITIES}}{{ACTIONS}}
{{GROUPS}}
  {{M}}SAN();
  ~{{M}}SAN() override;
  {{M}}SAN(const {{M}}SAN&) = delete;
  {{M}}SAN& operator=(const {{M}}SAN&) = delete;

  void CustomInitialization();
  void assignPlacesToActivitiesInst();
  void assignPlacesToActivitiesTimed();
{{INSTANCE}}};

#endif
)");

const TextTemplate kArrayClass(
    R"(// The array {{NAME}}: {{SIZE}} places named "0" .. "{{LAST}}" under the array's name. It owns them.
class {{C}} : public ArrayStateVariable<ExtendedPlace<{{T}}>> {
 public:
  {{C}}(const char* Kavrin_Name, const {{T}}* Kavrin_Values);
  ~{{C}}() override;
  {{C}}(const {{C}}&) = delete;
  {{C}}& operator=(const {{C}}&) = delete;
};

)");

const TextTemplate kActivityClass(R"(  class {{C}} : public Activity {
   public:
{{MEMBERS}}    double* TheDistributionParameters;
{{SAMPLED}}
    {{C}}();
    ~{{C}}() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
{{TIMED}}  };

)");

std::string CodeGenerator::AtomicHeader() {
  const std::string m = D.ModelName;
  std::string globals, arrays, places, activities, actions, groups;
  if (!D.Globals.empty()) {
    globals = "// Global variables of the model, given their values by the study.\n";
    for (const GlobalDef& g : D.Globals) globals += "extern " + GlobalClass(g.Type) + " " + g.Name + ";\n";
    globals += "\n";
  }
  for (const NetPlace& np : Model->Places) {
    const PlaceDef& p = *np.Def;
    places += "  " + PlaceType(p, m) + "* " + p.Name + ";\n";
    if (p.Size > 0)
      arrays += kArrayClass.Fill({{"NAME", p.Name},
                                  {"SIZE", std::to_string(p.Size)},
                                  {"LAST", std::to_string(p.Size - 1)},
                                  {"C", PlaceType(p, m)},
                                  {"T", MarkType(p)}});
  }
  for (const Action& x : Actions()) {
    std::string members;
    for (const std::string& name : x.Members) {
      const PlaceDef& p = *Model->FindPlace(name)->Def;
      members += "    " + PlaceType(p, m) + "* " + name + " = nullptr;\n";
      if (p.Size == 0) members += "    " + MarkType(p) + "* " + name + "_Kavrin_Mark = nullptr;\n";
    }
    activities += kActivityClass.Fill(
        {{"C", x.ClassName},
         {"MEMBERS", members},
         {"SAMPLED", AutoReactivation(x) ? "    double Sampled[" + std::to_string(ParameterCount(*x.Def)) +
                                               "] = {};  // the parameters of the scheduled delay\n"
                                         : ""},
         {"TIMED", x.Def->Timed ? "    void CurrentParameters(double* p);\n" : ""}});
    actions += "  " + x.ClassName + " " + x.Name + ";\n";
  }
  // Copies of a submodel come by the thousand: only the groups the model lists are members.
  if (!Submodel) groups = "  PreselectGroup ImmediateGroup;\n";
  for (const ActivityDef& a : D.Activities)
    if (!Submodel || !a.Cases.empty()) groups += "  PostselectGroup " + a.Name + "Group;\n";
  return kAtomicHeader.Fill({{"M", m},
                             {"SOURCE", SourceName},
                             {"STRING", Submodel ? "#include <string>\n" : ""},
                             {"GLOBALS", globals},
                             {"ARRAYS", arrays},
                             {"PLACES", places},
                             {"ACTIVITIES", activities},
                             {"ACTIONS", actions},
                             {"GROUPS", groups},
                             {"INSTANCE", Submodel ? InstanceMembers() : ""}});
}

namespace {

const TextTemplate kAtomicSource(R"(// Generated by sangen from {{SOURCE}}.
#include "Atomic/{{M}}/{{M}}SAN.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
{{MARKING_CHECK}}{{CASE_PROBABILITIES}}#include "BaseClasses/DistributionDefinition.h"

{{ARRAYS}}{{M}}SAN::{{M}}SAN() {
{{SAMPLER_CHECKS}}{{GROUPS}}
{{PLACES}}
  BaseStateVariableClass* InitialPlaces[{{NP}}] = {{{STATE}}};
{{READ_ONLY}}  Activity* InitialActionList[{{NA}}] = {{{ACTIONS}}};
  BaseGroupClass* InitialGroupList[{{NG}}] = {{{GROUP_LIST}}};

  initializeSANModelNow({{NAME}}, {{NP}}, InitialPlaces, {{NR}}, InitialROPlaces, {{NA}}, InitialActionList, {{NG}}, InitialGroupList);

  assignPlacesToActivitiesInst();
  assignPlacesToActivitiesTimed();

{{ARCS}}
  for (int Kavrin_N = 0; Kavrin_N < {{NA}}; Kavrin_N++) InitialActionList[Kavrin_N]->LinkVariables();
  CustomInitialization();
}

{{M}}SAN::~{{M}}SAN() {
{{WITHDRAW}}{{DELETES}}}

void {{M}}SAN::CustomInitialization() {
{{INITIALIZATION}}}

void {{M}}SAN::assignPlacesToActivitiesInst() {
{{ASSIGN_INST}}}

void {{M}}SAN::assignPlacesToActivitiesTimed() {
{{ASSIGN_TIMED}}}

{{ACTIVITIES}}{{INSTANCE}})");

const TextTemplate kArraySource(
    R"({{C}}::{{C}}(const char* Kavrin_Name, const {{T}}* Kavrin_Values)
    : ArrayStateVariable<ExtendedPlace<{{T}}>>(Kavrin_Name, "", {{ARRAY_TYPE}}, {{SIZE}}) {
  for (int Kavrin_I = 0; Kavrin_I < {{SIZE}}; Kavrin_I++) {
    char Kavrin_Element[16];
    std::snprintf(Kavrin_Element, sizeof Kavrin_Element, "%d", Kavrin_I);
    appendElement(new ExtendedPlace<{{T}}>(Kavrin_Element, Kavrin_Name, Kavrin_Values[Kavrin_I]));
  }
}

{{C}}::~{{C}}() {
  for (BaseStateVariableClass* element : fields) delete element;
}

)");

const TextTemplate kSamplerCheck(R"(  if ({{CONDITION}}) {
    std::cerr << {{MESSAGE}} << static_cast<int>({{SELECT}}) << {{LIST}} << std::endl;
    std::exit(1);
  }
)");

// A table of arcs (place, action) and the loop that adds them.
const TextTemplate kArcTable(R"(  static const int {{NAME}}[{{N}}][2] = {{{ARCS}}};
  for (int Kavrin_N = 0; Kavrin_N < {{N}}; Kavrin_N++)
    {{CALL}}(InitialPlaces[{{NAME}}[Kavrin_N][0]], InitialActionList[{{NAME}}[Kavrin_N][1]]);
)");

std::string Join(const std::vector<std::string>& items, const std::string& separator) {
  std::string out;
  for (size_t k = 0; k < items.size(); k++) out += (k ? separator : "") + items[k];
  return out;
}

}  // namespace

std::string CodeGenerator::Fenced(const Snippet& s, const std::string& indent) const {
  return FencedCode::Fence(s, indent, SourcePath);
}

std::string CodeGenerator::AtomicSource() {
  const std::string m = D.ModelName;
  const std::string file = OutDir + "/Atomic/" + m + "/" + m + "SAN.cpp";
  std::string arrays, samplerChecks, groups, places, deletes, withdraw;
  std::vector<std::string> state, readOnly, actions, groupList;
  for (const NetPlace& np : Model->Places) {
    const PlaceDef& p = *np.Def;
    (p.ReadOnly ? readOnly : state).push_back(p.Name);
    deletes += "  delete " + p.Name + ";\n";
    if (p.Size == 0) {
      places += "  " + p.Name + " = new " + PlaceType(p, m) + "(" + Lit(p.Name) + ", " +
                CheckedMarking(p, p.Name, "its initial value") + "+(\n" + Fenced(p.Initial, "      ") +
                "  )));\n";
      continue;
    }
    arrays += kArraySource.Fill({{"C", PlaceType(p, m)},
                                 {"T", MarkType(p)},
                                 {"ARRAY_TYPE", p.IsInt ? "ArrayType_INT" : "ArrayType_SHORT"},
                                 {"SIZE", std::to_string(p.Size)}});
    const std::string n = std::to_string(p.Size);
    places += "  {\n    " + MarkType(p) + " Kavrin_Initial[" + n + "];\n";
    if (p.Elements.empty()) {
      places += "    for (int Kavrin_I = 0; Kavrin_I < " + n +
                "; Kavrin_I++)\n      Kavrin_Initial[Kavrin_I] = " +
                CheckedMarking(p, p.Name, "its initial value") + "+(\n" + Fenced(p.Initial, "          ") +
                "      ));\n";
    } else {
      for (int k = 0; k < p.Size; k++)
        places += "    Kavrin_Initial[" + std::to_string(k) +
                  "] = " + CheckedMarking(p, p.Name + "/" + std::to_string(k), "its initial value") + "+(\n" +
                  Fenced(p.Elements[k], "        ") + "    ));\n";
    }
    places += "    " + p.Name + " = new " + PlaceType(p, m) + "(" + Lit(p.Name) + ", Kavrin_Initial);\n  }\n";
  }
  for (const ActivityDef& a : D.Activities) {
    groupList.push_back(a.Cases.empty() ? a.Name : a.Name + "Group");
    if (CheckedProbabilities(D, a)) withdraw += "  CaseProbabilities::Withdraw(&" + a.Name + "Group);\n";
    if (!a.SelectBy.empty()) {
      std::vector<std::string> conditions, samplers;
      for (const SamplerChoice& c : a.Choices) {
        conditions.push_back("static_cast<int>(" + a.SelectBy + ") != " + c.Sampler);
        samplers.push_back(c.Sampler);
      }
      samplerChecks += kSamplerCheck.Fill(
          {{"CONDITION", Join(conditions, " && ")},
           {"MESSAGE", Lit("ERROR: model " + m + ": activity " + a.Name + ": " + a.SelectBy + " ")},
           {"SELECT", a.SelectBy},
           {"LIST", Lit(" is not one of the samplers " + Join(samplers, ", "))}});
    }
    if (a.Cases.empty()) continue;
    groups += "  " + a.Name + "Group.initialize(" + std::to_string(a.Cases.size()) + ", " +
              Lit(a.Name + "Group") + ");\n";
    for (size_t k = 0; k < a.Cases.size(); k++)
      groups += "  " + a.Name + "Group.appendGroup(&" + a.Name + "_case" + std::to_string(k + 1) + ");\n";
    if (CheckedProbabilities(D, a)) groups += "  CaseProbabilities::Declare(&" + a.Name + "Group);\n";
  }
  std::vector<std::string> affect, enable;
  std::string assign[2];
  for (size_t k = 0; k < Actions().size(); k++) {
    const Action& x = Actions()[k];
    actions.push_back("&" + x.Name);
    for (const std::string& p : x.Affects)
      affect.push_back("{" + std::to_string(Model->FindPlace(p)->State) + ", " + std::to_string(k) + "}");
    for (const std::string& p : x.Enables)
      enable.push_back("{" + std::to_string(Model->FindPlace(p)->State) + ", " + std::to_string(k) + "}");
    for (const std::string& name : x.Members) {
      const NetPlace& np = *Model->FindPlace(name);
      assign[x.Def->Timed ? 1 : 0] += "  " + x.Name + "." + name + " = static_cast<" + PlaceType(*np.Def, m) +
                                      "*>(" +
                                      (np.Def->ReadOnly ? "ReadOnlyPlaces[" : "LocalStateVariables[") +
                                      std::to_string(np.State) + "]);\n";
    }
  }
  auto table = [&](const std::string& name, const std::string& call, const std::vector<std::string>& arcs) {
    if (arcs.empty()) return std::string();
    return kArcTable.Fill(
        {{"NAME", name}, {"N", std::to_string(arcs.size())}, {"ARCS", Join(arcs, ", ")}, {"CALL", call}});
  };
  std::string activities;
  for (const Action& x : Actions()) activities += ActivitySource(x);
  const std::string text = kAtomicSource.Fill(
      {{"SOURCE", SourceName},
       {"M", m},
       {"MARKING_CHECK", MarkingCheck()},
       {"CASE_PROBABILITIES",
        AnyCheckedProbabilities(D) ? "#include \"BaseClasses/CaseProbabilities.h\"\n" : ""},
       {"ARRAYS", arrays},
       {"SAMPLER_CHECKS", samplerChecks},
       {"GROUPS", groups},
       {"PLACES", places},
       {"NP", std::to_string(state.size())},
       {"STATE", Join(state, ", ")},
       {"READ_ONLY", readOnly.empty()
                         ? "  BaseStateVariableClass** InitialROPlaces = nullptr;\n"
                         : "  BaseStateVariableClass* InitialROPlaces[" + std::to_string(readOnly.size()) +
                               "] = {" + Join(readOnly, ", ") + "};\n"},
       {"NA", std::to_string(actions.size())},
       {"ACTIONS", Join(actions, ", ")},
       {"NG", std::to_string(groupList.size())},
       {"GROUP_LIST", Join(groupList, ", &").empty() ? "" : "&" + Join(groupList, ", &")},
       {"NAME", Lit(m)},
       {"NR", std::to_string(readOnly.size())},
       {"ARCS", table("AffectArcs", "AddAffectArc", affect) + table("EnableArcs", "AddEnableArc", enable)},
       {"WITHDRAW", withdraw},
       {"DELETES", deletes},
       {"INITIALIZATION", D.Initialization.Present() ? Fenced(D.Initialization, "  ") : ""},
       {"ASSIGN_INST", assign[0]},
       {"ASSIGN_TIMED", assign[1]},
       {"ACTIVITIES", activities},
       {"INSTANCE", Submodel ? InstanceSource() : ""}});
  return FencedCode::Resolve(text, file);
}

namespace {

const TextTemplate kActivitySource(R"(// ----- {{NAME}}

{{Q}}{{C}}() {
  TheDistributionParameters = {{PARAMETERS}};
  ActivityInitialize({{LABEL}}, {{GROUP}}, {{DISTRIBUTION}}, {{POLICY}}, {{AFFECTS}}, {{ENABLES}}, {{REACTIVATES}});
}

{{Q}}~{{C}}() { delete[] TheDistributionParameters; }

bool {{Q}}Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true{{ENABLED}};
  return NewEnabled;
}

double {{Q}}Weight() {
  return (
{{WEIGHT}}  );
}

{{CURRENT_PARAMETERS}}double {{Q}}Rate() {
{{RATE}}}

{{REACTIVATION}}double {{Q}}SampleDistribution() {
{{SAMPLE}}}

double* {{Q}}ReturnDistributionParameters() {
{{RETURN_PARAMETERS}}}

int {{Q}}Rank() {
  return (
{{RANK}}  );
}

BaseActionClass* {{Q}}Fire() {
{{FIRE}}  return this;
}

void {{Q}}LinkVariables() {
{{LINK}}}

)");

const TextTemplate kExplicitReactivation(R"(bool {{Q}}ReactivationPredicate() {
  return (
{{PREDICATE}}  );
}

bool {{Q}}ReactivationFunction() {
  return (
{{FUNCTION}}  );
}

)");

const TextTemplate kAutomaticReactivation(R"(bool {{Q}}ReactivationPredicate() { return true; }

// The scheduled delay was drawn with parameters that no longer hold.
bool {{Q}}ReactivationFunction() {
  double Kavrin_P[{{N}}];
  CurrentParameters(Kavrin_P);
  for (int Kavrin_K = 0; Kavrin_K < {{N}}; Kavrin_K++)
    if (Kavrin_P[Kavrin_K] != Sampled[Kavrin_K]) return true;
  return false;
}

)");

const TextTemplate kNoReactivation(R"(bool {{Q}}ReactivationPredicate() { return false; }

bool {{Q}}ReactivationFunction() { return false; }

)");

}  // namespace

// The methods of one action's class.
std::string CodeGenerator::ActivitySource(const Action& x) const {
  const ActivityDef& a = *x.Def;
  const std::string q = D.ModelName + "SAN::" + x.ClassName + "::";
  const std::string nparams = std::to_string(ParameterCount(a));
  std::string distribution = "Instantaneous";
  if (a.Timed)
    distribution =
        a.SelectBy.empty() ? a.Sampler : "static_cast<Distribution>(static_cast<int>(" + a.SelectBy + "))";
  const bool reactivates = AutoReactivation(x) || a.ReactivationMode == ActivityDef::Reactivation::Explicit;

  std::string enabled;
  for (const ArcDef& arc : a.Input)
    enabled += " && " + Mark(arc.Place) + " >= (\n" + Fenced(arc.Count, "      ") + "  )";
  if (a.Enabled.Present()) enabled += " && (\n" + Fenced(a.Enabled, "      ") + "  )";

  Snippet weight = a.Weight.Present() ? a.Weight : Snippet{"1.0", 0, {}};
  if (x.Case >= 0) weight = a.Cases[x.Case].Probability;

  std::string current;
  if (a.Timed) {
    auto fill = [&](const std::vector<Snippet>& params, const std::string& indent) {
      std::string t;
      for (size_t k = 0; k < params.size(); k++)
        t += indent + "Kavrin_P[" + std::to_string(k) + "] = (\n" + Fenced(params[k], indent + "    ") +
             indent + ");\n";
      return t;
    };
    current = "void " + q + "CurrentParameters(double* Kavrin_P) {\n";
    if (a.SelectBy.empty()) {
      current += fill(a.Parameters, "  ");
    } else {
      current += "  switch (DistributionType) {\n";
      for (size_t c = 1; c < a.Choices.size(); c++)
        current += "    case " + a.Choices[c].Sampler + ":\n" + fill(a.Choices[c].Parameters, "      ") +
                   "      break;\n";
      current += "    default:\n" + fill(a.Choices[0].Parameters, "      ") + "      break;\n  }\n";
    }
    current += "}\n\n";
  }

  std::string rate = "  return 0.0;\n";
  if (a.Timed && (a.Sampler == "Exponential" || !a.SelectBy.empty()))
    rate = "  double Kavrin_P[" + nparams + "];\n  CurrentParameters(Kavrin_P);\n" +
           (a.SelectBy.empty() ? "  return Kavrin_P[0];\n"
                               : "  return DistributionType == Exponential ? Kavrin_P[0] : 0.0;\n");

  std::string reactivation;
  if (a.ReactivationMode == ActivityDef::Reactivation::Explicit)
    reactivation = kExplicitReactivation.Fill({{"Q", q},
                                               {"PREDICATE", Fenced(a.ReactivationPredicate, "      ")},
                                               {"FUNCTION", Fenced(a.ReactivationFunction, "      ")}});
  else if (AutoReactivation(x))
    reactivation = kAutomaticReactivation.Fill({{"Q", q}, {"N", nparams}});
  else
    reactivation = kNoReactivation.Fill({{"Q", q}});

  std::string sample = "  return 0.0;\n";
  if (a.Timed) {
    const std::string p = AutoReactivation(x) ? "Sampled" : "Kavrin_P";
    sample = (AutoReactivation(x) ? "" : "  double Kavrin_P[" + nparams + "];\n") + "  CurrentParameters(" +
             p + ");\n";
    auto call = [&](const std::string& sampler, size_t n) {
      std::vector<std::string> args;
      for (size_t k = 0; k < n; k++) args.push_back(p + "[" + std::to_string(k) + "]");
      return "TheDistribution->" + sampler + "(" + Join(args, ", ") + ")";
    };
    if (a.SelectBy.empty()) {
      sample += "  return " + call(a.Sampler, a.Parameters.size()) + ";\n";
    } else {
      sample += "  switch (DistributionType) {\n";
      for (size_t c = 1; c < a.Choices.size(); c++)
        sample += "    case " + a.Choices[c].Sampler + ":\n      return " +
                  call(a.Choices[c].Sampler, a.Choices[c].Parameters.size()) + ";\n";
      sample += "    default:\n      return " + call(a.Choices[0].Sampler, a.Choices[0].Parameters.size()) +
                ";\n  }\n";
    }
  }

  // Arc counts on lines of their own, so #line can point at them; every new marking is checked.
  std::string fire;
  auto arcs = [&](const std::vector<ArcDef>& list, const std::string& sign, const std::string& what) {
    for (const ArcDef& arc : list) {
      const PlaceDef& p = *Model->FindPlace(arc.Place)->Def;
      const std::string mark = Mark(arc.Place);
      fire += "  " + mark + " = " + CheckedMarking(p, arc.Place, what) + "static_cast<long long>(" + mark +
              ") " + sign + " (\n" + Fenced(arc.Count, "      ") + "  ));\n";
    }
  };
  auto effect = [&](const Snippet& code) {
    if (code.Present()) fire += "  {\n" + Fenced(code, "    ") + "  }\n";
  };
  arcs(a.Input, "-", "an input arc of " + x.Name);
  effect(a.Effect);
  arcs(a.Output, "+", "an output arc of " + x.Name);
  if (x.Case >= 0) {
    arcs(a.Cases[x.Case].Output, "+", "an output arc of " + x.Name);
    effect(a.Cases[x.Case].Effect);
  }

  std::string link;
  for (const std::string& name : x.Members)
    if (Model->FindPlace(name)->Def->Size == 0)
      link += "  " + name + "->Register(&" + name + "_Kavrin_Mark);\n";

  return kActivitySource.Fill(
      {{"NAME", x.Name},
       {"Q", q},
       {"C", x.ClassName},
       {"PARAMETERS", a.Timed ? "new double[" + nparams + "]" : "nullptr"},
       {"LABEL", Lit(x.Name)},
       {"GROUP", std::to_string(x.Group)},
       {"DISTRIBUTION", distribution},
       {"POLICY", a.Policy},
       {"AFFECTS", std::to_string(x.Affects.size())},
       {"ENABLES", std::to_string(x.Enables.size())},
       {"REACTIVATES", reactivates ? "true" : "false"},
       {"ENABLED", enabled},
       {"WEIGHT", Fenced(weight, "      ")},
       {"CURRENT_PARAMETERS", current},
       {"RATE", rate},
       {"REACTIVATION", reactivation},
       {"SAMPLE", sample},
       {"RETURN_PARAMETERS", a.Timed ? "  CurrentParameters(TheDistributionParameters);\n  return "
                                       "TheDistributionParameters;\n"
                                     : "  return nullptr;\n"},
       {"RANK", Fenced(a.Rank.Present() ? a.Rank : Snippet{"1", 0, {}}, "      ")},
       {"FIRE", fire},
       {"LINK", link}});
}

// ---------------------------------------------------------------- reward model

namespace {

const TextTemplate kRewardModelHeader(
    R"(// Reward model {{R}} over the {{KIND}} model {{M}}, generated by sangen from {{SOURCE}}.
#ifndef {{R}}PVMODEL_H
#define {{R}}PVMODEL_H

#include "Performance_Variables/PVModel.h"

class {{R}}PVModel : public PVModel {
 public:
  explicit {{R}}PVModel(bool expandtimearrays);
  ~{{R}}PVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
)");

const TextTemplate kRewardModelSource(R"(// Generated by sangen from {{SOURCE}}.
#include "Reward/{{R}}/{{R}}PVModel.h"

#include "Atomic/{{M}}/{{TOP}}.h"
#include "Reward/{{R}}/{{R}}PVNodes.h"

{{R}}PVModel::{{R}}PVModel(bool expandtimearrays) : PVModel() {
  TheModel = new {{TOP}}();
  DefineName({{NAME}});
  StateMode = 1;
  CreatePVList({{COUNT}}, expandtimearrays);
  Initialize();
}

{{R}}PVModel::~{{R}}PVModel() = default;

PerformanceVariableNode* {{R}}PVModel::createPVNode(int pvindex, int timeindex) {
{{CASES}}  return nullptr;
}
)");

}  // namespace

std::string CodeGenerator::RewardModelHeader() {
  return kRewardModelHeader.Fill({{"R", D.RewardName},
                                  {"KIND", D.Composed ? "composed" : "atomic"},
                                  {"M", D.ModelName},
                                  {"SOURCE", SourceName}});
}

std::string CodeGenerator::RewardModelSource() {
  const std::string r = D.RewardName;
  std::string cases;
  if (D.Variables.empty()) {
    cases = "  (void)pvindex;\n  (void)timeindex;\n";
  } else {
    cases = "  switch (pvindex) {\n";
    for (size_t k = 0; k < D.Variables.size(); k++)
      cases += "    case " + std::to_string(k) + ":\n      return new " + r + "PV" + std::to_string(k) +
               "(timeindex);\n";
    cases += "  }\n";
  }
  return kRewardModelSource.Fill({{"SOURCE", SourceName},
                                  {"R", r},
                                  {"M", D.ModelName},
                                  {"TOP", D.ModelName + (D.Composed ? "Composed" : "SAN")},
                                  {"NAME", Lit(r + "PVModel")},
                                  {"COUNT", std::to_string(D.Variables.size())},
                                  {"CASES", cases}});
}

namespace {

const TextTemplate kRewardNodesHeader(
    R"(// The variables of reward model {{R}}, generated by sangen from {{SOURCE}}.
#ifndef {{R}}PVNODES_H
#define {{R}}PVNODES_H

#include "Performance_Variables/IntervalOfTimeImpulse.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class BaseModelClass;
{{MODELS}}
{{VARIABLES}}#endif
)");

const TextTemplate kRewardWorkerClass(R"(class {{W}} : public PerformanceVariableWorker {
 public:
  {{VM}}SAN* {{VM}};
  {{W}}();
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

)");

const TextTemplate kImpulseClass(R"(class {{C}} : public IntervalOfTimeImpulse {
 public:
  {{VM}}SAN* {{VM}};
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  {{C}}();
  ~{{C}}() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

)");

const TextTemplate kVariableClass(R"(class {{N}} : public PerformanceVariableNode {
 public:
  {{VM}}SAN* The{{VM}}SAN;
{{IMPULSES}}
  explicit {{N}}(int timeindex = 0);
  ~{{N}}() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

)");

}  // namespace

std::string CodeGenerator::RewardNodesHeader() {
  const std::string r = D.RewardName;
  std::string models, variables;
  for (const std::string& c : ReadModels()) models += "class " + c + "SAN;\n";
  for (size_t k = 0; k < D.Variables.size(); k++) {
    const VariableDef& v = D.Variables[k];
    const std::string n = r + "PV" + std::to_string(k);
    const std::string vm = Scope(v).ModelName;
    std::string impulses;
    if (v.Rate.Present()) variables += kRewardWorkerClass.Fill({{"W", n + "Worker"}, {"VM", vm}});
    for (size_t i = 0; i < v.Impulses.size(); i++) {
      const std::string c = n + "Impulse" + std::to_string(i);
      variables += kImpulseClass.Fill({{"C", c}, {"VM", vm}});
      impulses += "  " + c + " Impulse" + std::to_string(i) + ";\n";
    }
    variables += kVariableClass.Fill({{"N", n}, {"VM", vm}, {"IMPULSES", impulses}});
  }
  return kRewardNodesHeader.Fill(
      {{"R", r}, {"SOURCE", SourceName}, {"MODELS", models}, {"VARIABLES", variables}});
}

namespace {

const TextTemplate kRewardNodesSource(R"(// Generated by sangen from {{SOURCE}}.
#include "Reward/{{R}}/{{R}}PVNodes.h"

#include <algorithm>

{{MODELS}}
{{VARIABLES}})");

const TextTemplate kWorkerSource(R"({{W}}::{{W}}() : {{VM}}(nullptr) { NumModels = 1; }

double {{W}}::Reward_Function() {
{{LOCALS}}  return (
{{RATE}}  ){{SHARE}};
}

void {{W}}::Accumulate(double next_time, double last_event_time) {
{{ACCUMULATE}}}

void {{W}}::SetModelPointer(int Kavrin_K, BaseModelClass* Kavrin_Model) {
  if (Kavrin_K == 0) {{VM}} = static_cast<{{VM}}SAN*>(Kavrin_Model);
}

)");

const TextTemplate kImpulseSource(R"({{C}}::{{C}}()
    : IntervalOfTimeImpulse({{AVERAGED}}), {{VM}}(nullptr), ImpulseWorkerList(nullptr), ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}

{{C}}::~{{C}}() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int Kavrin_I = 0; Kavrin_I < ImpulseWorkerListLength; Kavrin_I++) delete ImpulseWorkerList[Kavrin_I];
    delete[] ImpulseWorkerList;
  }
}

double {{C}}::Impulse_Function(double{{T}}) {
{{LOCALS}}  return (
{{VALUE}}  ){{SHARE}};
}

ImpulseNodeClass** {{C}}::CreateImpulseWorkerList(int Kavrin_N) {
  ImpulseWorkerListLength = Kavrin_N;
  ImpulseWorkerList = new ImpulseNodeClass*[Kavrin_N];
  for (int Kavrin_I = 0; Kavrin_I < Kavrin_N; Kavrin_I++) ImpulseWorkerList[Kavrin_I] = new {{C}};
  return ImpulseWorkerList;
}

void {{C}}::SetModelPointer(int Kavrin_K, BaseModelClass* Kavrin_Model) {
  if (Kavrin_K == 0) {{VM}} = static_cast<{{VM}}SAN*>(Kavrin_Model);
}

)");

// A composed model hands the variable its top model, which is not one of the submodel's instances
// (the workers get those): the node's pointer is then null, never a wrong type.
const TextTemplate kVariableSource(
    R"({{N}}::{{N}}(int timeindex) : PerformanceVariableNode(), The{{VM}}SAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[{{NT}}] = {{{STARTS}}};
  double stoppts[{{NT}}] = {{{STOPS}}};
  Initialize({{LABEL}}, {{KIND}}, {{NT}}, startpts, stoppts, timeindex, {{IMPULSES}}, {{RATED}}, {{DEPENDENCIES}});
{{REGISTER}}}

{{N}}::~{{N}}() {
  for (int Kavrin_W = 0; Kavrin_W < NumberOfWorkers; Kavrin_W++) delete WorkerList[Kavrin_W];
}

void {{N}}::CreateWorkerList() {
{{WORKERS}}}

void {{N}}::SetModelPointer(BaseModelClass* Kavrin_Model) {
  The{{VM}}SAN = {{CAST}}<{{VM}}SAN*>(Kavrin_Model);
}

)");

}  // namespace

std::string CodeGenerator::RewardNodesSource() {
  const std::string r = D.RewardName;
  const std::string file = OutDir + "/Reward/" + r + "/" + r + "PVNodes.cpp";
  std::string models, variables;
  for (const std::string& c : ReadModels()) models += "#include \"Atomic/" + c + "/" + c + "SAN.h\"\n";
  // Places named by an expression, bound to locals so the expression reads like the model's own code.
  auto locals = [&](const Description& sd, const std::string& code) {
    std::string t;
    for (const std::string& p : PlacesOf(sd, code))
      t += "  " + PlaceType(*sd.FindPlace(p), sd.ModelName) + "* " + p + " = " + sd.ModelName + "->" + p +
           ";\n  (void)" + p + ";\n";
    return t;
  };
  static const std::map<std::string, std::string> kinds{{"instant", "INSTANT_OF_TIME"},
                                                        {"interval", "INTERVAL_OF_TIME"},
                                                        {"time_averaged", "TIMEAVE_INTERVAL_OF_TIME"},
                                                        {"steady_state", "STEADY_STATE"}};
  for (size_t k = 0; k < D.Variables.size(); k++) {
    const VariableDef& v = D.Variables[k];
    const std::string n = r + "PV" + std::to_string(k);
    const Description& sd = Scope(v);
    const std::string vm = sd.ModelName;
    const std::string over = D.Composed ? v.Over : D.ModelName;
    // The variable's rewards averaged over its instances: each one's share of the sum.
    const std::string share = v.Average ? " / " + std::to_string(v.Instances) + ".0" : "";
    variables += "// ----- " + v.Name + "\n\n";
    if (v.Rate.Present()) {
      std::string accumulate;
      if (v.Kind == "instant")
        accumulate =
            "  (void)next_time;\n  (void)last_event_time;\n"
            "  // The marking held at the time point: the last call before the node completes sets it.\n"
            "  Reward = Reward_Function();\n  RewardFraction = 1.0;\n";
      else
        accumulate =
            std::string("  double Kavrin_From = std::max(last_event_time, Start);\n") +
            "  double Kavrin_To = std::min(next_time, Stop);\n" +
            "  Reward = Kavrin_To > Kavrin_From ? Reward_Function() * (Kavrin_To - Kavrin_From) : 0.0;\n" +
            (v.Kind == "interval" ? "  RewardFraction = 1.0;\n"
                                  : "  RewardFraction = 1.0 / (Stop - Start);\n");
      variables += kWorkerSource.Fill({{"W", n + "Worker"},
                                       {"VM", vm},
                                       {"LOCALS", locals(sd, v.Rate.Text)},
                                       {"RATE", Fenced(v.Rate, "      ")},
                                       {"SHARE", share},
                                       {"ACCUMULATE", accumulate}});
    }
    for (size_t i = 0; i < v.Impulses.size(); i++) {
      // The firing time is named t only when the value reads it: a global t stays visible otherwise.
      bool readsT = false;
      for (const std::string& id : Identifiers(v.Impulses[i].Value.Text)) readsT = readsT || id == "t";
      variables += kImpulseSource.Fill({{"C", n + "Impulse" + std::to_string(i)},
                                        {"AVERAGED", v.Kind == "time_averaged" ? "true" : ""},
                                        {"VM", vm},
                                        {"T", readsT ? " t" : ""},
                                        {"LOCALS", locals(sd, v.Impulses[i].Value.Text)},
                                        {"VALUE", Fenced(v.Impulses[i].Value, "      ")},
                                        {"SHARE", share}});
    }
    const std::vector<std::string> deps = PlacesOf(sd, v.Rate.Text);
    std::vector<std::string> starts, stops;
    for (size_t t = 0; t < v.Starts.size(); t++) {
      starts.push_back(Number(v.Starts[t]));
      stops.push_back(Number(v.Stops[t]));
    }
    std::string registered;
    if (v.Kind == "steady_state") registered += "  Type = steady_state;\n";
    for (const std::string& p : deps)
      registered += "  AddVariableDependency(" + Lit(p) + ", " + Lit(over) + ");\n";
    if (v.Rate.Present() && deps.empty()) registered += "  AddModelDependency(" + Lit(over) + ");\n";
    for (size_t i = 0; i < v.Impulses.size(); i++)
      registered += "  AddImpulse(" + Lit(v.Impulses[i].Action) + ", " + Lit(over) + ", &Impulse" +
                    std::to_string(i) + ");\n";
    variables += kVariableSource.Fill(
        {{"N", n},
         {"VM", vm},
         {"NT", std::to_string(v.Starts.size())},
         {"STARTS", Join(starts, ", ")},
         {"STOPS", Join(stops, ", ")},
         {"LABEL", Lit(v.Name)},
         {"KIND", kinds.at(v.Kind)},
         {"IMPULSES", std::to_string(v.Impulses.size())},
         {"RATED", v.Rate.Present() ? "1" : "0"},
         {"DEPENDENCIES", std::to_string(deps.size())},
         {"REGISTER", registered},
         {"WORKERS", v.Rate.Present() ? "  for (int Kavrin_W = 0; Kavrin_W < NumberOfWorkers; Kavrin_W++) "
                                        "WorkerList[Kavrin_W] = new " +
                                            n + "Worker;\n"
                                      : ""},
         {"CAST", D.Composed ? "dynamic_cast" : "static_cast"}});
  }
  return FencedCode::Resolve(
      kRewardNodesSource.Fill(
          {{"SOURCE", SourceName}, {"R", r}, {"MODELS", models}, {"VARIABLES", variables}}),
      file);
}

// ---------------------------------------------------------------- study

std::string CodeGenerator::StudyHeader() {
  static const TextTemplate kStudyHeader(
      R"(// Set study {{S}}, generated by sangen from {{SOURCE}}: {{EXPERIMENTS}}; builds reward model {{R}} and defines the global variables.
#ifndef {{S}}SETSTUDY_H
#define {{S}}SETSTUDY_H

#include <cstdint>

#include "Study/BaseStudyClass.h"

class {{S}}SetStudy : public BaseStudyClass {
 public:
  {{S}}SetStudy();
  ~{{S}}SetStudy() override;
  PVModel* GetPVModel(bool expandTimeArrays) override;
  void SetGVs(int expNum) override;
  void PrintGlobalValues(int expNum) override;
  void* GetGVValue(char* TheGVName) override;
  void OverrideGVValue(char* TheGVName, void* TheGVValue) override;
{{GLOBALS}}};

#endif
)");
  std::string globals;
  if (!D.Globals.empty()) {
    globals = "\n";
    for (const GlobalDef& g : D.Globals) globals += "  " + CType(g.Type) + "* " + g.Name + "Values;\n";
    globals +=
        "\n private:\n  // The experiment whose values SetGVs last gave the globals (-1 before the first).\n"
        "  int Kavrin_AppliedExperiment = -1;\n";
  }
  const size_t n = D.Experiments.size();
  return kStudyHeader.Fill({{"S", D.StudyName},
                            {"SOURCE", SourceName},
                            {"EXPERIMENTS", std::to_string(n) + " experiment" + (n == 1 ? "" : "s")},
                            {"R", D.RewardName},
                            {"GLOBALS", globals}});
}

namespace {

const TextTemplate kStudySource(R"(// Generated by sangen from {{SOURCE}}.
#include "Study/{{S}}/{{S}}SetStudy.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "BaseClasses/KavrinEnums.h"
#include "Reward/{{R}}/{{R}}PVModel.h"
#include "Study/ExperimentNames.h"

{{GLOBALS}}{{NAMES}}BaseStudyClass* GenerateStudy() {
  if (GlobalStudyPtr == nullptr) GlobalStudyPtr = new {{S}}SetStudy();
  return GlobalStudyPtr;
}

void DestructStudy() {
  delete GlobalStudyPtr;
  GlobalStudyPtr = nullptr;
}

{{S}}SetStudy::{{S}}SetStudy() {
  NumGVs = {{NG}};
  NumExps = {{NE}};
  GVNames = new char*[NumGVs];
  GVTypes = new char*[NumGVs];
{{GV_NAMES}}{{TABLES}}}

{{S}}SetStudy::~{{S}}SetStudy() {
  delete ThePVModel;
{{DELETES}}}

PVModel* {{S}}SetStudy::GetPVModel(bool expandTimeArrays) {
  delete ThePVModel;
  ThePVModel = new {{R}}PVModel(expandTimeArrays);
  return ThePVModel;
}

{{SET}}{{PRINT}}void* {{S}}SetStudy::GetGVValue(char* TheGVName) {
{{GET}}  std::cerr << {{NO_GLOBAL}} << TheGVName << " does not exist." << std::endl;
  return nullptr;
}

void {{S}}SetStudy::OverrideGVValue(char* TheGVName, void* TheGVValue) {
{{OVERRIDE}}}
)");

const TextTemplate kSetGlobals(
    R"text(// An experiment the study does not have would read past the value tables.
void {{S}}SetStudy::SetGVs(int expNum) {
  if (expNum < 0 || static_cast<uint32_t>(expNum) >= NumExps) {
    std::cerr << {{NO_EXPERIMENT}} << expNum << " (valid: 0 to " << NumExps - 1 << ")"
              << std::endl;
    std::exit(1);
  }
{{SET}}  Kavrin_AppliedExperiment = expNum;
}

)text");

}  // namespace

std::string CodeGenerator::StudySource() {
  const std::string s = D.StudyName;
  const std::string c = s + "SetStudy";
  std::string globals, names, tables, deletes, get, set, override;
  for (const GlobalDef& g : D.Globals) globals += GlobalClass(g.Type) + " " + g.Name + ";\n";
  if (!D.Globals.empty()) globals += "\n";
  for (size_t k = 0; k < D.Globals.size(); k++) {
    const GlobalDef& g = D.Globals[k];
    names += "  GVNames[" + std::to_string(k) + "] = strdup(" + Lit(g.Name) + ");\n";
    names += "  GVTypes[" + std::to_string(k) + "] = strdup(" + Lit(g.Type) + ");\n";
  }
  // One line per table; a value written as an expression goes on lines of its own under #line.
  for (const GlobalDef& g : D.Globals) {
    const std::string cast = "static_cast<" + CType(g.Type) + ">(";
    bool fenced = false;
    for (const ExperimentDef& x : D.Experiments) fenced = fenced || x.ValueLines.count(g.Name) != 0;
    tables += "  " + g.Name + "Values = new " + CType(g.Type) + "[NumExps]{" + (fenced ? "\n" : "");
    for (size_t e = 0; e < D.Experiments.size(); e++) {
      const ExperimentDef& x = D.Experiments[e];
      const std::string& value = x.Values.at(g.Name);
      const auto line = x.ValueLines.find(g.Name);
      if (!fenced)
        tables += (e ? ", " : "") + cast + value + ")";
      else if (line == x.ValueLines.end())
        tables += "      " + cast + value + "),\n";
      else
        tables +=
            "      " + cast + "\n" + Fenced(Snippet{value, line->second, {}}, "          ") + "      ),\n";
    }
    tables += "};\n";
    deletes += "  delete[] " + g.Name + "Values;\n";
    get += "  if (std::strcmp(" + Lit(g.Name) + ", TheGVName) == 0) return &" + g.Name + ".mVar;\n";
    set += "  SetGvValue(" + g.Name + ", " + g.Name + "Values[expNum]);\n";
    override += (override.empty() ? "  " : "  } else ") + std::string("if (std::strcmp(") + Lit(g.Name) +
                ", TheGVName) == 0) {\n    SetGvValue(" + g.Name + ", *static_cast<" + CType(g.Type) +
                "*>(TheGVValue));\n";
  }
  const std::string missing = "  std::cerr << " + Lit("!! " + c + "::OverrideGVValue: Global Variable ") +
                              " << TheGVName << \" does not exist.\"\n              << std::endl;\n";
  if (D.Globals.empty())
    override = "  (void)TheGVValue;\n" + missing;
  else
    override += "  } else {\n  " + missing + "  }\n";
  const std::string file = OutDir + "/Study/" + s + "/" + c + ".cpp";
  return FencedCode::Resolve(
      kStudySource.Fill(
          {{"SOURCE", SourceName},
           {"S", s},
           {"R", D.RewardName},
           {"GLOBALS", globals},
           {"NAMES", ExperimentNameTable()},
           {"NG", std::to_string(D.Globals.size())},
           {"NE", std::to_string(D.Experiments.size())},
           {"GV_NAMES", names},
           {"TABLES", tables},
           {"DELETES", deletes},
           {"SET", D.Globals.empty()
                       ? "void " + c + "::SetGVs(int /*expNum*/) {}\n\n"
                       : kSetGlobals.Fill({{"S", s},
                                           {"NO_EXPERIMENT", Lit("ERROR: " + s + " has no experiment ")},
                                           {"SET", set}})},
           {"PRINT", PrintGlobalValuesSource()},
           {"GET", get},
           {"NO_GLOBAL", Lit("!! " + c + "::GetGVValue: Global Variable ")},
           {"OVERRIDE", override}}),
      file);
}

// ---------------------------------------------------------------- what a simulator says about itself

// The description's SHA-256, so that a simulator and its results name the exact text they came from.
// A description in one file: the SHA-256 of its bytes, as sha256sum gives it. One read from several
// files (submodels of their own): the SHA-256 of every file in the order read, each as its path
// relative to the description's folder, a NUL, its size in decimal, a NUL and its bytes, so that
// moving text from one file to another, or renaming one, changes it too.
std::string CodeGenerator::ProvenanceSource() const {
  static const TextTemplate kProvenance(
      "// Generated by sangen from {{SOURCE}}: the SHA-256 of that description{{FILES}}.\n"
      "#include \"Simulator/ModelProvenance.h\"\n\n"
      "const char* const KavrinModelDescriptionSha256 = \"{{SHA256}}\";\n");
  const std::vector<std::string> inputs = D.Inputs.empty() ? std::vector<std::string>{D.Path} : D.Inputs;
  const std::filesystem::path folder = std::filesystem::path(D.Path).parent_path();
  Sha256 digest;
  for (const std::string& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw std::runtime_error("cannot read " + input + " again to take the description's SHA-256");
    const std::string text = bytes.str();
    if (inputs.size() > 1) {
      const std::string name = std::filesystem::path(input).lexically_relative(folder).generic_string();
      digest.Update(name + std::string(1, '\0') + std::to_string(text.size()) + std::string(1, '\0'));
    }
    digest.Update(text);
  }
  return kProvenance.Fill({{"SOURCE", SourceName},
                           {"FILES", inputs.size() > 1 ? " and of its submodels' files" : ""},
                           {"SHA256", digest.HexDigest()}});
}

// The experiments' names, which the framework declares; this definition replaces its null default.
std::string CodeGenerator::ExperimentNameTable() const {
  static const TextTemplate kNames(R"(// The experiments' names, in experiment order.
static const char* const Kavrin_ExperimentNameTable[{{N}}] = {{{NAMES}}};
const char* const* const KavrinExperimentNames = Kavrin_ExperimentNameTable;

)");
  std::vector<std::string> names;
  for (const ExperimentDef& x : D.Experiments) names.push_back(Lit(x.Name));
  return kNames.Fill({{"N", std::to_string(names.size())}, {"NAMES", Join(names, ", ")}});
}

namespace {

const TextTemplate kNoGlobalValues(R"(void {{C}}::PrintGlobalValues(int /*expNum*/) {
  std::cout << "There are no global variables." << std::endl;
}

)");

const TextTemplate kValueText(R"(std::string Kavrin_ValueText({{TYPE}} Kavrin_V) {
  char Kavrin_B[64];
  const std::to_chars_result Kavrin_R = std::to_chars(Kavrin_B, Kavrin_B + sizeof Kavrin_B, Kavrin_V);
  return std::string(Kavrin_B, Kavrin_R.ptr);
}

)");

const TextTemplate kPrintGlobalValues(R"(namespace {

{{VALUE_TEXT}}}  // namespace

void {{C}}::PrintGlobalValues(int expNum) {
  if (expNum != Kavrin_AppliedExperiment) SetGVs(expNum);  // refuses an experiment the study lacks
  std::cout << "The Global Variable values for experiment " << KavrinExperimentNames[expNum] << " are:"
            << std::endl;
{{PRINT}}}

)");

}  // namespace

// The experiment's name, then "  name = value" per global variable: numbers in the shortest text
// that reads back as the same value, bool and char as numbers (as in the .study file). The values
// in force are printed as they are when they are this experiment's, so a run's -O overrides show;
// another experiment's values are applied first.
std::string CodeGenerator::PrintGlobalValuesSource() const {
  const std::string c = D.StudyName + "SetStudy";
  if (D.Globals.empty()) return kNoGlobalValues.Fill({{"C", c}});
  bool doubles = false, floats = false;
  std::string print;
  for (const GlobalDef& g : D.Globals) {
    const bool real = g.Type == "double" || g.Type == "float";
    doubles = doubles || g.Type == "double";
    floats = floats || g.Type == "float";
    const std::string value = real ? "Kavrin_ValueText(" + g.Name + ".mVar)"
                                   : "std::to_string(static_cast<long long>(" + g.Name + ".mVar))";
    print += "  std::cout << " + Lit("  " + g.Name + " = ") + " << " + value + " << std::endl;\n";
  }
  std::string valueText;
  if (doubles) valueText += kValueText.Fill({{"TYPE", "double"}});
  if (floats) valueText += kValueText.Fill({{"TYPE", "float"}});
  return kPrintGlobalValues.Fill({{"C", c}, {"VALUE_TEXT", valueText}, {"PRINT", print}});
}

// A place holds a marking of its type only (16 bits, or 32 for an int place). The arcs and initial
// markings the generator writes go through Kavrin_Marking, which stops the run at the first value
// the place cannot hold, naming the place and the arc: a wrapped marking would be a wrong result
// reported as a right one. Code written in the description (effects, the initialization) is the
// modeller's own and is not checked.
std::string CodeGenerator::MarkingCheck() const {
  static const TextTemplate kMarkingCheck(
      R"text(#include <limits>
#include <type_traits>

namespace {

// Stops the run when a marking the generated code computes does not fit the place.
template <typename Kavrin_T, typename Kavrin_V>
Kavrin_T {{FUNCTION}}(const char* Kavrin_Place, const char* Kavrin_What, Kavrin_V Kavrin_Value) {
  constexpr Kavrin_T Kavrin_Low = std::numeric_limits<Kavrin_T>::min();
  constexpr Kavrin_T Kavrin_High = std::numeric_limits<Kavrin_T>::max();
  bool Kavrin_Fits;
  if constexpr (std::is_floating_point_v<Kavrin_V>) {
    Kavrin_Fits = Kavrin_Value >= Kavrin_Low && Kavrin_Value <= Kavrin_High;  // false for NaN
  } else if constexpr (std::is_unsigned_v<Kavrin_V>) {
    Kavrin_Fits = Kavrin_Value <= static_cast<unsigned long long>(Kavrin_High);
  } else {
    const long long Kavrin_Wide = Kavrin_Value;
    Kavrin_Fits = Kavrin_Wide >= Kavrin_Low && Kavrin_Wide <= Kavrin_High;
  }
  if (!Kavrin_Fits) {
    std::cerr << {{MESSAGE}} << Kavrin_Place << ": " << Kavrin_What
              << " makes the marking " << Kavrin_Value << ", outside the range of the place ("
              << Kavrin_Low << " to " << Kavrin_High << ")" << std::endl;
    std::exit(1);
  }
  return static_cast<Kavrin_T>(Kavrin_Value);
}

}  // namespace

)text");
  return kMarkingCheck.Fill(
      {{"FUNCTION", MarkingFunction}, {"MESSAGE", Lit("ERROR: model " + D.ModelName + ": place ")}});
}

std::string CodeGenerator::CheckedMarking(const PlaceDef& p, const std::string& place,
                                          const std::string& what) const {
  return MarkingFunction + "<" + MarkType(p) + ">(" + Lit(place) + ", " + Lit(what) + ", ";
}

}  // namespace sangen
