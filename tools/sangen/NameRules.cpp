#include "NameRules.h"

#include <set>

namespace sangen {

namespace {

// C++ keywords and alternative tokens, C++20's included so a later standard changes nothing.
const std::set<std::string> kKeywords{
    "alignas",     "alignof",   "and",        "and_eq",    "asm",      "auto",         "bitand",
    "bitor",       "bool",      "break",      "case",      "catch",    "char",         "char8_t",
    "char16_t",    "char32_t",  "class",      "compl",     "concept",  "const",        "consteval",
    "constexpr",   "constinit", "const_cast", "continue",  "co_await", "co_return",    "co_yield",
    "decltype",    "default",   "delete",     "do",        "double",   "dynamic_cast", "else",
    "enum",        "explicit",  "export",     "extern",    "false",    "float",        "for",
    "friend",      "goto",      "if",         "inline",    "int",      "long",         "mutable",
    "namespace",   "new",       "noexcept",   "not",       "not_eq",   "nullptr",      "operator",
    "or",          "or_eq",     "private",    "protected", "public",   "register",     "reinterpret_cast",
    "requires",    "return",    "short",      "signed",    "sizeof",   "static",       "static_assert",
    "static_cast", "struct",    "switch",     "template",  "this",     "thread_local", "throw",
    "true",        "try",       "typedef",    "typeid",    "typename", "union",        "unsigned",
    "using",       "virtual",   "void",       "volatile",  "wchar_t",  "while",        "xor",
    "xor_eq"};

// Names at global scope in the framework headers the generated code includes, and the names the
// generated code itself gives things at global scope or in its functions.
const std::set<std::string> kFramework{
    // Framework types, templates, enumerators, functions and variables.
    "AccumulationState", "ActionAffectsElement", "ActionModelPairClass", "Activity", "AllocationFailure",
    "ArrayOutOfBoundsError", "ArrayStateVariable", "ArrayType", "ArrayType_ARRAY", "ArrayType_CHAR",
    "ArrayType_DOUBLE", "ArrayType_EMPTY", "ArrayType_FLOAT", "ArrayType_INT", "ArrayType_SHORT",
    "ArrayType_STRUCT", "ArrayType_UNORDERED", "ArrayTypeMismatchError", "AtomicModel", "BaseActionClass",
    "BaseArrayStateVariable", "BaseGroupClass", "BaseModelClass", "BaseStateVariableClass", "BaseStudyClass",
    "Beta", "Binomial", "Bool", "CaseProbabilities", "Char", "ComposedModelClass", "ConditionalWeibull",
    "DestructStudy", "Deterministic", "Distribution", "Distributions", "Double", "Erlang",
    "ErrorEmptyParameter", "ExecutionPolicyType", "Exponential", "ExtendedPlace", "FastSet", "Float", "GO",
    "Gamma", "GenerateStudy", "Geometric", "GlobalDebugLevel", "GlobalStudyPtr", "GraphJoinModel",
    "GraphWrapperModel", "GroupWeight", "HyperExponential", "HypoExponential", "INSTANT_OF_TIME",
    "INTERVAL_OF_TIME", "ImpulseNodeClass", "InconsistantState", "Instantaneous", "Int",
    "IntervalOfTimeImpulse", "InvalidArrayType", "InvalidModel", "InvalidStructType", "InvalidUnorderedType",
    "JoinModel", "JoinModelClass", "LAGGED_FIBONACCI", "List", "Lognormal", "Long", "MAX_NUM_GENERATORS",
    "MERSENNE_TWISTER", "MemoryAllocationError", "MemoryError", "ModelGroupClass", "ModelType", "NamePair",
    "NegativeBinomial", "Normal", "PAddress", "PVModel", "PVType", "Pareto", "PerformanceVariableNode",
    "PerformanceVariableWorker", "Place", "PostselectGroup", "PreselectGroup", "PrimitiveType", "Proprietary",
    "RaceAge", "RaceEnabled", "RaceResampling", "RandomNumberGenerator", "RandomNumberGeneratorType",
    "RepModel", "RepModelClass", "RewardType", "SANModel", "STEADY_STATE", "STOPHARD", "STOPSOFT",
    "SharableSV", "SharedPointer", "SharedStateVarLink", "Short", "SimControlLevel", "State",
    "StructTypeMismatchError", "SyncError", "TAUSWORTHE", "TIMEAVE_INTERVAL_OF_TIME", "TheDistribution",
    "TheGenerator", "Triangular", "UNDEFINED", "Uniform", "UserDistributions", "UserError", "ValueCellPool",
    "VarModelPairClass", "Weibull", "acc_done", "acc_ignore", "acc_later", "acc_now", "base_action_list_t",
    "readArray", "readMemory2", "steady_state", "terminating", "writeArray", "writeMemory",
    // The language and the library names the generated code calls unqualified.
    "std", "main", "strdup", "int32_t", "uint32_t", "size_t", "NULL",
    // Generated at global scope, as members, parameters and locals.
    "ExperimentNames", "ImmediateGroup", "CustomInitialization", "assignPlacesToActivitiesInst",
    "assignPlacesToActivitiesTimed", "TheDistributionParameters", "Sampled", "CurrentParameters",
    "ImpulseWorkerList", "ImpulseWorkerListLength", "InitialPlaces", "InitialROPlaces", "InitialActionList",
    "InitialGroupList", "AffectArcs", "EnableArcs", "expandtimearrays", "timeindex", "pvindex", "expNum",
    "TheGVName", "TheGVValue", "next_time", "last_event_time", "startpts", "stoppts"};

// Members of the framework classes the model's own code runs in: activities (enabling, delays,
// effects), the model (initial markings, initialization), reward workers and impulses, the study
// (experiment values). A global of one of these names would be hidden there by the member.
const std::set<std::string> kMembers{
    // Activity and its bases.
    "ActionName", "ActionWeights", "ActivityInitialize", "AffectedImpulseRewards", "AffectedImpulseWorkers",
    "AffectedNodes", "AffectedNodesByImpulseReward", "AffectedNodesByRateReward", "AffectedRateWorkers",
    "AffectedStateVariables", "Affects", "Age", "AllocatePVImpulseDS", "AllocatePVRateDS", "ArraySize",
    "BaseActionClassInitialize", "BaseGroupClassInitialize", "CalculateWeightDistribution", "Check",
    "DeallocatePVImpulseDS", "DeallocatePVRateDS", "Disabled", "DistributionType", "Enabled",
    "EnablingChange", "EnablingStateVariables", "ErlangParamM", "EventPointer", "ExecutionPolicy", "Fire",
    "GroupArray", "GroupID", "HighestRank", "ID", "ImpulseSlots", "IsAMember", "IsAnAffectingStateVariable",
    "IsPVImpulseDSAllocated", "IsPVRateDSAllocated", "LinkVariables", "MaxID", "NewEnabled", "NumActions",
    "NumAffectedImpulseWorkers", "NumSelectableActions", "OldEnabled", "PrintInfo", "Probability", "Rank",
    "Rate", "Reactivation", "ReactivationFunction", "ReactivationPredicate", "ReadyToFire", "ResetPhase",
    "ReturnDistributionParameters", "SampleDistribution", "SelectAction", "SelectedAction", "TheModel",
    "TotalNumCollected", "Weight", "addAffectedSV", "addEnablingSV", "appendGroup", "appendMembers",
    "defineName", "enlargeArrays", "getAffectedSV", "getEnablingSV", "getGroupId", "getID", "getMaxID",
    "getMember", "getName", "getNumAffectedSVs", "getNumEnablingSVs", "getNumMembers", "getPrintedAction",
    "getSelectedAction", "initialize", "isSync", "phase", "printAffectedState", "printEnablingState",
    "printGroup", "printMembers", "removeAffectedSV", "removeEnablingSV", "replaceAffectedSV",
    "replaceEnablingSV", "replaceMember", "setGroupId", "setMember",
    // SANModel and its bases.
    "ActionList", "AddAffectArc", "AddEnableArc", "CompareState", "ConstructLocalState", "CurrentState",
    "DefineName", "DestructLocalState", "GetChild", "GetGlobalActions", "GetLocalActions", "GetLocalState",
    "GetLocalStateVariables", "GetModelType", "GetNumberOfChildren", "GetSharedStateVariables", "GroupList",
    "HasLocalState", "Id", "ImagePlan", "ImagePlanBuilt", "ImagePlanEpoch", "ImageStep", "LastActionTime",
    "LocalState", "LocalStateVariables", "Name", "NumGroups", "NumPVs", "NumReadOnlyPlaces",
    "NumSharedStateVariables", "NumStateVariables", "ParentId", "PrintSANModelInfo", "ReadOnlyPlaces",
    "ReleaseSharingRecords", "SetActions", "SetGroups", "SetLocalState", "SetParentId", "SetPlaces",
    "SetReadOnlyPlaces", "SetState", "StateSize", "buildImagePlan", "getActionList", "getGroupList", "getId",
    "getListOfSharedVariables", "getMainSharedVariable", "getNumActions", "getNumGroups",
    "getNumReadOnlyPlaces", "getNumSharedStateVariables", "getNumStateVariables", "getParentId",
    "SetInstancePath", "imagePlan", "initializeSANModelNow", "listActions", "listGroups", "listModels",
    "listSVs", "numLocalVariables", "printState",
    // PerformanceVariableWorker and IntervalOfTimeImpulse with their bases.
    "Accumulate", "CurrentReward", "NumModels", "Number", "Reset", "Reward", "RewardFraction", "RewardSqr",
    "Reward_Function", "SetModelPointer", "Start", "Stop", "TheModelPtr", "Trace", "id", "lastQualification",
    "Accumulating", "ContainingModel", "CreateImpulseWorkerList", "CurrentImpulse", "Impulse",
    "ImpulseFraction", "ImpulseNumber", "ImpulseSqr", "Impulse_Function", "NumberOfModelDependencies",
    "TimeAveraged", "WorkerNumber", "completeAccumulation", "max", "min",
    // BaseStudyClass.
    "DeclaredType", "GVNames", "GVTypes", "GetExpName", "GetGVName", "GetGVType", "GetGVValue", "GetNumExps",
    "GetNumGVs", "GetPVModel", "NumExps", "NumGVs", "OverrideGVValue", "PrintGlobalValues", "SetGVs",
    "SetGvValue", "ThePVModel", "UnreadableOverride", "overrideGVs"};

}  // namespace

bool NameRules::IsIdentifier(const std::string& text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
  for (char c : text)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

std::string NameRules::Problem(const std::string& name) {
  if (!IsIdentifier(name)) return "is not a C++ identifier";
  if (kKeywords.count(name)) return "is a C++ keyword";
  if (name.compare(0, 6, "Kavrin") == 0 || name.compare(0, 6, "KAVRIN") == 0)
    return "starts with Kavrin, which the generated code keeps for itself";
  if (name[0] == '_' || name.find("__") != std::string::npos)
    return "starts with an underscore or holds two in a row, which C++ keeps for its implementation";
  if (kFramework.count(name) || kMembers.count(name)) return "is used by the framework or the generated code";
  return "";
}

}  // namespace sangen
