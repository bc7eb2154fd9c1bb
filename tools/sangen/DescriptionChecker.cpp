#include "DescriptionChecker.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "Composer.h"
#include "NameRules.h"
#include "SourceFile.h"

namespace sangen {

namespace {

const std::set<std::string> kTypes{"short", "int", "long", "float", "double", "bool", "char"};

std::string ShortNumber(double v) {
  std::ostringstream o;
  o << v;
  return o.str();
}

}  // namespace

Description DescriptionChecker::Load(const std::string& path, const Limits& limits) {
  try {
    return DescriptionChecker(path, limits).Run();
  } catch (const YAML::Exception& e) {
    // A library error that no check caught first still gets a position.
    Pos at = e.mark.is_null() ? Pos{1, 1} : Pos{e.mark.line + 1, e.mark.column + 1};
    throw DescriptionError(at, e.msg);
  }
}

void DescriptionChecker::CheckPlaceNamed(const YAML::Node& n, const std::string& name) const {
  if (D.FindPlace(name) == nullptr) Fail(n, "unknown place '" + name + "'");
}

Description DescriptionChecker::Run() {
  const SourceFile file = SourceFile::Read(Path);
  Source = file.Text;
  const YAML::Node root = file.Root;
  D.Path = Path;
  D.Inputs = {Path};
  if (!root.IsMap())
    throw DescriptionError(Pos{1, 1}, "a model description is a mapping with the key 'model'");
  CheckKeys(root,
            {"model", "reward_model", "globals", "places", "activities", "initialization", "rewards", "study",
             "submodels", "compose"},
            "the description");
  if (!root["model"]) Fail(root, "the key 'model' (the model's name) is missing");
  D.ModelName = Scalar(root["model"], "model");
  ModelAt = At(root["model"]);
  Claim(root["model"], D.ModelName, "model");  // the reward code holds the model under its name
  Derive(root["model"], D.ModelName + "SAN", "the class of model '" + D.ModelName + "'");
  Derive(root["model"], D.ModelName + "SAN_H", "the header guard of model '" + D.ModelName + "'");
  std::string upper;
  for (char c : D.ModelName) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  D.RewardName = upper + "_REWARD";
  if (root["reward_model"]) {
    D.RewardName = Scalar(root["reward_model"], "reward_model");
    CheckPrefix(root["reward_model"], D.RewardName, "reward model");
  }
  const YAML::Node rewardAt = root["reward_model"] ? root["reward_model"] : root["model"];
  Derive(rewardAt, D.RewardName + "PVModel", "the class of reward model '" + D.RewardName + "'");
  Derive(rewardAt, D.RewardName + "PVMODEL_H", "a header guard of reward model '" + D.RewardName + "'");
  Derive(rewardAt, D.RewardName + "PVNODES_H", "a header guard of reward model '" + D.RewardName + "'");
  D.StudyName = upper + "_STUDY";
  if (root["globals"]) ReadGlobals(root["globals"]);
  if (root["compose"]) {
    for (const char* key : {"places", "activities", "initialization"})
      if (root[key])
        Fail(root[key],
             std::string("a composed model has no '") + key + "' of its own: its submodels have them");
    if (!root["submodels"]) Fail(root["compose"], "'compose' needs 'submodels' to instantiate");
    D.Composed = true;
    ReadSubmodels(root["submodels"]);
    D.Composition = Composer(D, Source, Most).Read(root["compose"]);
    D.Instances = Composer::Instances(D.Composition);
    Derive(root["model"], D.ModelName + "Composed", "the class of composed model '" + D.ModelName + "'");
  } else {
    if (root["submodels"]) Fail(root["submodels"], "submodels are used by 'compose', which is missing");
    if (!root["places"]) Fail(root, "the key 'places' is missing");
    ReadPlaces(root["places"]);
    if (!root["activities"]) Fail(root, "the key 'activities' is missing");
    ReadActivities(root["activities"]);
    if (root["initialization"]) D.Initialization = Code(root["initialization"], "initialization");
  }
  if (root["rewards"]) ReadRewards(root["rewards"]);
  ReadStudy(root["study"]);
  return D;
}

void DescriptionChecker::ReadSubmodels(const YAML::Node& n) {
  if (!n.IsMap() || n.size() == 0)
    Fail(n, "'submodels' maps each submodel's name to its places and activities");
  const Description top = D;
  const auto topNames = UsedNames;
  std::vector<Description> submodels;
  std::vector<std::string> inputs;                                // the submodels' own files, each once
  std::map<std::string, std::pair<std::string, bool>> generated;  // names at global scope of all submodels
  for (const auto& kv : n) {
    const std::string name = kv.first.Scalar();
    // Each submodel is a model of its own: its names only meet the description's (globals, the
    // model's) and the global names generated for the other submodels.
    UsedNames = topNames;
    for (const auto& g : generated) UsedNames.insert(g);
    Claim(kv.first, name, "submodel");
    Derive(kv.first, name + "SAN", "the class of submodel '" + name + "'");
    Derive(kv.first, name + "SAN_H", "the header guard of submodel '" + name + "'");
    generated[name] = UsedNames[name];
    generated[name + "SAN"] = UsedNames[name + "SAN"];
    generated[name + "SAN_H"] = UsedNames[name + "SAN_H"];
    // A submodel is a section of the description, or a file of its own (named relative to the
    // description) holding the same keys; a refusal in it names that file.
    YAML::Node body = kv.second;
    std::string file;
    const std::string topSource = Source;
    if (body.IsScalar()) {
      file = (std::filesystem::path(top.Path).parent_path() / body.Scalar()).string();
      // A file that cannot be read is reported where the description names it.
      const std::string reason = SourceFile::Unreadable(file);
      if (!reason.empty())
        Fail(kv.first, "cannot open the file of submodel '" + name + "': " + file + ": " + reason);
      const SourceFile sub = SourceFile::Read(file);
      Source = sub.Text;
      body = sub.Root;
      if (std::find(top.Inputs.begin(), top.Inputs.end(), file) == top.Inputs.end()) inputs.push_back(file);
    }
    try {
      if (!body.IsMap()) Fail(body, "submodel '" + name + "' is a mapping with 'places' and 'activities'");
      CheckKeys(body, {"places", "activities", "initialization"}, "submodel '" + name + "'");
      D = Description();
      D.Path = file.empty() ? top.Path : file;
      D.ModelName = name;
      D.Globals = top.Globals;
      if (!body["places"]) Fail(body, "submodel '" + name + "' needs 'places'");
      ReadPlaces(body["places"]);
      for (const PlaceDef& p : D.Places) {
        if (p.Size > 0)
          Fail(body["places"],
               "submodel '" + name + "': array places are not composed yet ('" + p.Name + "')");
        generated[D.ModelName + "_" + p.Name + "Array"] = {"", false};
      }
      if (!body["activities"]) Fail(body, "submodel '" + name + "' needs 'activities'");
      ReadActivities(body["activities"]);
      if (body["initialization"]) D.Initialization = Code(body["initialization"], "initialization");
    } catch (DescriptionError& e) {
      if (!file.empty() && e.File.empty()) e.File = file;
      throw;
    }
    Source = topSource;
    submodels.push_back(D);
  }
  D = top;
  UsedNames = topNames;
  for (const auto& g : generated) UsedNames.insert(g);
  D.Submodels = submodels;
  for (const std::string& file : inputs)
    if (std::find(D.Inputs.begin(), D.Inputs.end(), file) == D.Inputs.end()) D.Inputs.push_back(file);
}

void DescriptionChecker::ReadGlobals(const YAML::Node& n) {
  if (!n.IsMap()) Fail(n, "'globals' maps each global variable's name to its type");
  for (const auto& kv : n) {
    GlobalDef g;
    g.Name = kv.first.Scalar();
    g.At = At(kv.first);
    Claim(kv.first, g.Name, "global variable");
    Derive(kv.first, g.Name + "Values", "the study's table of global variable '" + g.Name + "'");
    if (g.Name == "name")
      Fail(kv.first, "a global variable cannot be called 'name': an experiment's name takes that key");
    if (g.Name == "t")
      Fail(kv.first, "a global variable cannot be called 't': it names the firing time in impulses");
    if (kv.second.IsMap()) {
      CheckKeys(kv.second, {"type", "default"}, "global variable '" + g.Name + "'");
      if (!kv.second["type"]) Fail(kv.second, "global variable '" + g.Name + "' needs a 'type'");
      g.Type = Scalar(kv.second["type"], "type");
    } else {
      g.Type = Scalar(kv.second, "type");
    }
    if (!kTypes.count(g.Type))
      Fail(kv.second.IsMap() ? kv.second["type"] : kv.second,
           "unknown type '" + g.Type + "' (short, int, long, float, double, bool or char)");
    if (kv.second.IsMap() && kv.second["default"]) {
      const Snippet value = Code(kv.second["default"], "default");
      g.Default = value.Text;
      CheckNumber(kv.second["default"], g.Default, g.Type, "the default");
      double number = 0;
      g.DefaultLine = ParseNumber(g.Default, &number) ? 0 : value.Line;
    }
    D.Globals.push_back(g);
  }
}

void DescriptionChecker::ReadPlaces(const YAML::Node& n) {
  if (!n.IsMap()) Fail(n, "'places' maps each place's name to its initial marking");
  for (const auto& kv : n) {
    std::string name = kv.first.Scalar();
    int replicas = 0;
    if (kv.second.IsMap() && kv.second["replicas"])
      replicas =
          static_cast<int>(Whole(kv.second["replicas"], "replicas", "replicas must be a positive integer",
                                 Most.Replicas, "--max-replicas"));
    for (int r = 0; r < std::max(replicas, 1); r++) {
      Index = replicas > 0 ? std::to_string(r) : "";
      PlaceDef p;
      p.Name = Expand(kv.first, name);
      p.At = At(kv.first);
      Claim(kv.first, p.Name, "place");
      Derive(kv.first, p.Name + "_Kavrin_Mark", "the marking of place '" + p.Name + "'");
      if (kv.second.IsMap()) {
        CheckKeys(kv.second, {"initial", "type", "size", "replicas", "read_only"}, "place '" + p.Name + "'");
        if (kv.second["read_only"]) p.ReadOnly = Bool(kv.second["read_only"], "read_only");
        if (kv.second["type"]) {
          std::string t = Scalar(kv.second["type"], "type");
          if (t != "int" && t != "short")
            Fail(kv.second["type"], "a place's type is short (the default) or int");
          p.IsInt = t == "int";
        }
        if (kv.second["size"]) {
          p.Size = static_cast<int>(Whole(kv.second["size"], "elements",
                                          "an array's size must be a positive integer", Most.Elements,
                                          "--max-elements"));
          Derive(kv.first, D.ModelName + "_" + p.Name + "Array", "the class of array '" + p.Name + "'");
        }
        const YAML::Node init = kv.second["initial"];
        if (init && init.IsSequence()) {
          if (p.Size == 0) Fail(init, "a list of initial markings needs an array ('size')");
          if (static_cast<int>(init.size()) != p.Size)
            Fail(init, "array '" + p.Name + "' has " + std::to_string(p.Size) + " elements but " +
                           std::to_string(init.size()) + " initial markings");
          for (const auto& e : init) {
            p.Elements.push_back(Expression(e, "initial marking"));
            CheckNumber(e, p.Elements.back().Text, p.IsInt ? "int" : "short", "the initial marking");
          }
        } else if (init) {
          p.Initial = Code(init, "initial");
          CheckNumber(init, p.Initial.Text, p.IsInt ? "int" : "short", "the initial marking");
        }
      } else {
        p.Initial = Code(kv.second, "initial marking");
        CheckNumber(kv.second, p.Initial.Text, "short", "the initial marking");
      }
      if (!p.Initial.Present() && p.Elements.empty()) p.Initial.Text = "0";
      D.Places.push_back(p);
    }
    Index.clear();
  }
}

std::vector<ArcDef> DescriptionChecker::ReadArcs(const YAML::Node& n, const std::string& what) {
  if (!n.IsMap()) Fail(n, what + " maps places to token counts, for example {Queue: 1}");
  std::vector<ArcDef> arcs;
  for (const auto& kv : n) {
    ArcDef a;
    a.Place = Expand(kv.first, kv.first.Scalar());
    a.At = At(kv.first);
    CheckPlaceNamed(kv.first, a.Place);
    if (D.FindPlace(a.Place)->Size > 0)
      Fail(kv.first, "place '" + a.Place + "' is an array: use an effect instead of an arc");
    if (D.FindPlace(a.Place)->ReadOnly)
      Fail(kv.first, "place '" + a.Place + "' is read-only: it cannot have arcs");
    a.Count = Expression(kv.second, "token count");
    arcs.push_back(a);
  }
  return arcs;
}

std::vector<std::string> DescriptionChecker::ReadPlaceList(const YAML::Node& n) {
  if (!n.IsSequence()) Fail(n, "a list of place names is expected");
  std::vector<std::string> out;
  for (const auto& e : n) {
    std::string name = Scalar(e, "place name");
    CheckPlaceNamed(e, name);
    if (D.FindPlace(name)->ReadOnly) Fail(e, "place '" + name + "' is read-only: it needs no arcs");
    out.push_back(name);
  }
  return out;
}

void DescriptionChecker::ReadActivities(const YAML::Node& n) {
  if (!n.IsSequence()) Fail(n, "'activities' is a list");
  for (const auto& a : n) {
    if (!a.IsMap()) Fail(a, "an activity is a mapping with at least 'name'");
    int replicas = 0;
    if (a["replicas"])
      replicas = static_cast<int>(Whole(a["replicas"], "replicas", "replicas must be a positive integer",
                                        Most.Replicas, "--max-replicas"));
    for (int r = 0; r < std::max(replicas, 1); r++) {
      Index = replicas > 0 ? std::to_string(r) : "";
      D.Activities.push_back(ReadActivity(a));
    }
    Index.clear();
  }
}

ActivityDef DescriptionChecker::ReadActivity(const YAML::Node& n) {
  ActivityDef a;
  CheckKeys(n,
            {"name", "delay", "parameters", "policy", "enabled", "input", "output", "effect", "cases",
             "reactivation", "rank", "weight", "affects", "enables", "replicas"},
            "an activity");
  if (!n["name"]) Fail(n, "an activity needs a 'name'");
  a.Name = Scalar(n["name"], "name");
  a.At = At(n["name"]);
  Claim(n["name"], a.Name, "activity");
  Derive(n["name"], a.Name + "Activity", "the class of activity '" + a.Name + "'");
  Derive(n["name"], a.Name + "Group", "the group of activity '" + a.Name + "'");
  if (!n["delay"]) Fail(n, "activity '" + a.Name + "' needs a 'delay': a sampler's name or 'instantaneous'");
  const YAML::Node delay = n["delay"];
  auto readParameters = [&](const YAML::Node& list, const std::string& sampler, const YAML::Node& where) {
    std::vector<Snippet> params;
    if (list) {
      if (!list.IsSequence()) Fail(list, "'parameters' is a list of C++ expressions");
      for (const auto& p : list) params.push_back(Expression(p, "parameter"));
    }
    int want = Samplers().at(sampler);
    if (static_cast<int>(params.size()) != want)
      Fail(list ? list : where, "sampler " + sampler + " takes " + std::to_string(want) + " parameter" +
                                    (want == 1 ? "" : "s") + ", not " + std::to_string(params.size()));
    return params;
  };
  if (delay.IsMap()) {
    CheckKeys(delay, {"select", "choices"}, "a selected delay");
    if (!delay["select"] || !delay["choices"] || !delay["choices"].IsMap())
      Fail(delay,
           "a selected delay needs 'select' (a global variable) and 'choices' (sampler: [parameters])");
    a.Timed = true;
    a.SelectBy = Scalar(delay["select"], "select");
    if (D.FindGlobal(a.SelectBy) == nullptr)
      Fail(delay["select"], "unknown global variable '" + a.SelectBy + "'");
    if (delay["choices"].size() == 0)
      Fail(delay["choices"], "a selected delay needs at least one choice (sampler: [parameters])");
    for (const auto& kv : delay["choices"]) {
      SamplerChoice c;
      c.Sampler = kv.first.Scalar();
      c.At = At(kv.first);
      if (!Samplers().count(c.Sampler)) Fail(kv.first, "unknown sampler '" + c.Sampler + "'");
      c.Parameters = readParameters(kv.second, c.Sampler, kv.first);
      a.Choices.push_back(c);
    }
    if (n["parameters"]) Fail(n["parameters"], "a selected delay gives the parameters of each choice");
  } else {
    std::string d = Scalar(delay, "delay");
    if (d == "instantaneous") {
      a.Timed = false;
      if (n["parameters"]) Fail(n["parameters"], "an instantaneous activity has no parameters");
    } else {
      if (!Samplers().count(d)) Fail(delay, "unknown sampler '" + d + "'");
      a.Timed = true;
      a.Sampler = d;
      a.Parameters = readParameters(n["parameters"], d, delay);
    }
  }
  if (n["policy"]) {
    std::string p = Scalar(n["policy"], "policy");
    if (p == "enabling")
      a.Policy = "RaceEnabled";
    else if (p == "resampling")
      a.Policy = "RaceResampling";
    else if (p == "age")
      a.Policy = "RaceAge";
    else
      Fail(n["policy"], "unknown policy '" + p + "' (enabling, resampling or age)");
  }
  if (n["enabled"]) a.Enabled = Code(n["enabled"], "enabled");
  if (n["input"]) a.Input = ReadArcs(n["input"], "'input'");
  if (n["output"]) a.Output = ReadArcs(n["output"], "'output'");
  if (n["effect"]) a.Effect = Code(n["effect"], "effect");
  if (n["rank"]) a.Rank = Expression(n["rank"], "rank");
  if (n["weight"]) a.Weight = Expression(n["weight"], "weight");
  if (n["affects"]) {
    a.ExplicitAffects = true;
    a.Affects = ReadPlaceList(n["affects"]);
  }
  if (n["enables"]) {
    a.ExplicitEnables = true;
    a.EnablesAt = At(n["enables"]);
    a.Enables = ReadPlaceList(n["enables"]);
  }
  if (n["reactivation"]) {
    const YAML::Node r = n["reactivation"];
    a.ReactivationAt = At(r);
    if (r.IsScalar()) {
      std::string v = r.Scalar();
      if (v == "false" || v == "off")
        a.ReactivationMode = ActivityDef::Reactivation::Off;
      else if (v == "true" || v == "auto")
        a.ReactivationMode = ActivityDef::Reactivation::Automatic;
      else
        Fail(r, "'reactivation' is auto, off, or {predicate: ..., function: ...}");
    } else {
      if (!r.IsMap()) Fail(r, "'reactivation' is auto, off, or {predicate: ..., function: ...}");
      CheckKeys(r, {"predicate", "function"}, "'reactivation'");
      a.ReactivationMode = ActivityDef::Reactivation::Explicit;
      a.ReactivationPredicate =
          r["predicate"] ? Expression(r["predicate"], "predicate") : Snippet{"true", 0, {}};
      if (!r["function"]) Fail(r, "an explicit reactivation needs a 'function'");
      a.ReactivationFunction = Expression(r["function"], "function");
    }
  }
  if (n["cases"]) {
    const YAML::Node cases = n["cases"];
    if (!cases.IsSequence() || cases.size() < 2) Fail(cases, "'cases' is a list of at least two cases");
    bool allConstant = true;
    bool anyProbability = false;
    double sum = 0.0;
    for (const auto& c : cases) {
      if (!c.IsMap()) Fail(c, "a case is a mapping with 'probability' (or 'weight')");
      CheckKeys(c, {"probability", "weight", "output", "effect"}, "a case");
      CaseDef cd;
      cd.At = At(c);
      if (c["probability"] && c["weight"]) Fail(c, "a case has a 'probability' or a 'weight', not both");
      if (c["probability"]) {
        cd.Probability = Expression(c["probability"], "probability");
        anyProbability = true;
        double v = 0;
        if (ParseNumber(cd.Probability.Text, &v))
          sum += v;
        else
          allConstant = false;
      } else if (c["weight"]) {
        cd.Probability = Expression(c["weight"], "weight");
        cd.IsWeight = true;
      } else {
        Fail(c, "a case needs a 'probability' (or a relative 'weight')");
      }
      if (c["output"]) cd.Output = ReadArcs(c["output"], "'output'");
      if (c["effect"]) cd.Effect = Code(c["effect"], "effect");
      a.Cases.push_back(cd);
    }
    a.ProbabilityCases = anyProbability;
    for (const CaseDef& cd : a.Cases)
      if (cd.IsWeight && anyProbability) Fail(cases, "cases give all probabilities or all weights");
    if (anyProbability && allConstant && std::fabs(sum - 1.0) > 1e-9) {
      std::ostringstream m;
      m << "the case probabilities of activity '" << a.Name << "' sum to " << sum << ", not 1";
      Fail(cases, m.str());
    }
    if (n["weight"]) Fail(n["weight"], "an activity with cases takes its weights from the cases");
    for (size_t k = 0; k < a.Cases.size(); k++) {
      const std::string suffix = "_case" + std::to_string(k + 1);
      Derive(cases[k], a.Name + suffix, "case " + std::to_string(k + 1) + " of activity '" + a.Name + "'");
      Derive(cases[k], a.Name + "Activity" + suffix,
             "the class of case " + std::to_string(k + 1) + " of activity '" + a.Name + "'");
    }
  }
  return a;
}

void DescriptionChecker::ReadRewards(const YAML::Node& n) {
  if (!n.IsSequence()) Fail(n, "'rewards' is a list of performance variables");
  std::vector<std::string> actions = D.ActionNames();
  std::set<std::string> names;
  for (const auto& v : n) {
    if (!v.IsMap()) Fail(v, "a performance variable is a mapping with 'name' and 'kind'");
    CheckKeys(v,
              {"name", "kind", "rate", "impulses", "at", "from", "to", "warmup", "batch", "over", "average"},
              "a performance variable");
    VariableDef pv;
    if (!v["name"]) Fail(v, "a performance variable needs a 'name'");
    pv.Name = Scalar(v["name"], "name");
    pv.At = At(v["name"]);
    // The name is a column of the manager's tables and a word of the .pv files.
    if (!NameRules::IsIdentifier(pv.Name))
      Fail(v["name"],
           "performance variable name '" + pv.Name +
               "' is not made of letters, digits and underscores, starting with a letter or underscore");
    if (!names.insert(pv.Name).second) Fail(v["name"], "duplicate name '" + pv.Name + "'");
    const std::string node = D.RewardName + "PV" + std::to_string(D.Variables.size());
    Derive(v["name"], node, "the class of performance variable '" + pv.Name + "'");
    Derive(v["name"], node + "Worker", "the worker class of performance variable '" + pv.Name + "'");
    if (!v["kind"]) Fail(v, "performance variable '" + pv.Name + "' needs a 'kind'");
    pv.Kind = Scalar(v["kind"], "kind");
    auto number = [&](const YAML::Node& x, const std::string& what) { return Time(x, what); };
    auto numbers = [&](const YAML::Node& x, const std::string& what) {
      std::vector<double> out;
      if (x.IsSequence()) {
        for (const auto& e : x) out.push_back(number(e, what));
      } else {
        out.push_back(number(x, what));
      }
      return out;
    };
    if (pv.Kind == "instant") {
      if (!v["at"]) Fail(v, "an instant-of-time variable needs 'at' (one time or a list)");
      pv.Starts = numbers(v["at"], "at");
      pv.Stops = pv.Starts;
    } else if (pv.Kind == "interval" || pv.Kind == "time_averaged") {
      if (!v["from"] || !v["to"]) Fail(v, "an interval variable needs 'from' and 'to'");
      pv.Starts = numbers(v["from"], "from");
      pv.Stops = numbers(v["to"], "to");
      if (pv.Starts.size() != pv.Stops.size()) Fail(v["to"], "'from' and 'to' need as many times each");
      for (size_t k = 0; k < pv.Starts.size(); k++)
        if (!(pv.Starts[k] < pv.Stops[k])) Fail(v["to"], "each interval must end after it starts");
    } else if (pv.Kind == "steady_state") {
      if (!v["warmup"] || !v["batch"]) Fail(v, "a steady-state variable needs 'warmup' and 'batch'");
      double w = number(v["warmup"], "warmup");
      double b = number(v["batch"], "batch");
      if (!(b > 0)) Fail(v["batch"], "the batch length must be positive");
      if (!std::isfinite(w + b)) Fail(v["batch"], "the first batch would end after the largest time");
      pv.Starts = {w};
      pv.Stops = {w + b};
    } else {
      Fail(v["kind"], "unknown kind '" + pv.Kind + "' (instant, interval, time_averaged or steady_state)");
    }
    // The names a composed model's variable reads are those of the submodel it is over.
    std::vector<std::string> scopeActions = actions;
    if (D.Composed) {
      if (!v["over"])
        Fail(v, "performance variable '" + pv.Name +
                    "' of a composed model needs 'over': a submodel (all its instances) or an instance path");
      pv.Over = Scalar(v["over"], "over");
      pv.Instances = 0;
      for (const auto& instance : D.Instances) {
        if (instance.second == pv.Over || instance.first == pv.Over) {
          pv.OverSubmodel = instance.second;
          pv.Instances++;
        }
      }
      if (pv.Instances == 0)
        Fail(v["over"], "'" + pv.Over + "' is neither an instantiated submodel nor the path of an instance");
      if (v["average"]) pv.Average = Bool(v["average"], "average");
      scopeActions = D.FindSubmodel(pv.OverSubmodel)->ActionNames();
    } else {
      for (const char* key : {"over", "average"})
        if (v[key]) Fail(v[key], std::string("'") + key + "' is for the variables of a composed model");
    }
    if (v["rate"]) pv.Rate = Code(v["rate"], "rate");
    if (v["impulses"]) {
      const YAML::Node im = v["impulses"];
      auto add = [&](const YAML::Node& key, const std::string& action, const Snippet& value, bool absent) {
        bool known = false;
        for (const auto& x : scopeActions) known = known || x == action;
        if (!known && !absent) Fail(key, "unknown activity '" + action + "'");
        if (!NameRules::IsIdentifier(action))
          Fail(key, "action name '" + action + "' is not a C++ identifier");
        Derive(key, node + "Impulse" + std::to_string(pv.Impulses.size()),
               "an impulse class of performance variable '" + pv.Name + "'");
        pv.Impulses.push_back(ImpulseDef{action, value, absent, At(key)});
      };
      if (im.IsMap()) {
        for (const auto& kv : im) add(kv.first, kv.first.Scalar(), Expression(kv.second, "impulse"), false);
      } else if (im.IsSequence()) {
        for (const auto& e : im) {
          if (!e.IsMap() || !e["action"]) Fail(e, "an impulse is {action: NAME, value: EXPRESSION}");
          CheckKeys(e, {"action", "value", "may_be_absent"}, "an impulse");
          Snippet value = e["value"] ? Expression(e["value"], "value") : Snippet{"1.0", 0, {}};
          bool absent = e["may_be_absent"] && Bool(e["may_be_absent"], "may_be_absent");
          add(e["action"], Scalar(e["action"], "action"), value, absent);
        }
      } else {
        Fail(im, "'impulses' maps activity names to values");
      }
    }
    if (!pv.Rate.Present() && pv.Impulses.empty())
      Fail(v, "performance variable '" + pv.Name + "' has neither 'rate' nor 'impulses'");
    D.Variables.push_back(pv);
  }
}

namespace {

// The value a global takes, as it reads in an experiment's name: a number in the shortest text
// that reads back as the same value of the global's type ("0.50" -> "0.5", "1e3" -> "1000"),
// anything else (a sampler's name, true, a character) as written.
std::string ValueName(const GlobalDef& g, const std::string& literal) {
  double v = 0;
  if (!NodeReader::ParseNumber(literal, &v) || !std::isfinite(v)) return literal;
  char buffer[64];
  std::to_chars_result r{};
  if (g.Type == "double") {
    r = std::to_chars(buffer, buffer + sizeof buffer, v);
  } else if (g.Type == "float") {
    r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(v));
  } else if (v == std::floor(v) && std::fabs(v) < 9.0e15) {
    r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(v));
  } else {
    return literal;
  }
  return std::string(buffer, r.ptr);
}

// One experiment as the study makes it: the values it sets, in the order the description gives
// them, its own name if it has one, and where it is written.
struct Row {
  std::map<std::string, Snippet> Values;
  std::vector<std::string> Order;
  std::string Name;
  Pos At;
  void Set(const std::string& global, const Snippet& value) {
    if (Values.count(global)) Order.erase(std::find(Order.begin(), Order.end(), global));
    Values[global] = value;
    Order.push_back(global);
  }
};

// An experiment's name: the one the description gives it; otherwise the globals it sets, in the
// order given, as "global=value" joined by commas ("N=10,lambda=0.05"), a sweep's globals last in
// the sweep's order; a listed experiment that has a name and is crossed with a sweep keeps it in
// front ("rho_0.5,mu=2"). An experiment that sets nothing is "Experiment <number from 1>".
std::string ExperimentName(const Description& d, const std::string& given,
                           const std::vector<std::pair<std::string, std::string>>& values, size_t index) {
  std::string name = given;
  for (const auto& v : values)
    name += (name.empty() ? "" : ",") + v.first + "=" + ValueName(*d.FindGlobal(v.first), v.second);
  return name.empty() ? "Experiment " + std::to_string(index + 1) : name;
}

}  // namespace

void DescriptionChecker::ReadStudy(const YAML::Node& n) {
  std::vector<Row> rows;
  auto global = [&](const YAML::Node& key) {
    const GlobalDef* g = D.FindGlobal(key.Scalar());
    if (g == nullptr) Fail(key, "unknown global variable '" + key.Scalar() + "'");
    return g;
  };
  auto value = [&](const YAML::Node& key, const YAML::Node& v) {
    const GlobalDef* g = global(key);
    Snippet s = Expression(v, "value of " + g->Name);
    CheckNumber(v, s.Text, g->Type, "value");
    // A checked plain number cannot fail to compile: no #line, so a long sweep keeps the study small.
    double number = 0;
    if (ParseNumber(s.Text, &number)) s.Line = 0;
    return s;
  };
  // Names go to tab-separated files and one-line listings.
  auto checkName = [&](const Pos& at, const std::string& name) {
    for (char c : name)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
        throw DescriptionError(
            at, "an experiment's name cannot hold a tab, a line break or another control character");
  };
  // The globals a sweep sets in each of its points, in the sweep's order, with the position of
  // the last value (where a name that repeats another is reported).
  struct Point {
    std::vector<std::pair<std::string, Snippet>> Values;
    Pos At;
  };
  std::vector<Point> cross;
  Pos studyAt = ModelAt;
  if (n) {
    if (!n.IsMap()) Fail(n, "'study' is a mapping");
    CheckKeys(n, {"name", "experiments", "sweep"}, "the study");
    if (n["name"]) {
      D.StudyName = Scalar(n["name"], "name");
      CheckPrefix(n["name"], D.StudyName, "study");
      studyAt = At(n["name"]);
    }
    if (n["experiments"]) {
      const YAML::Node list = n["experiments"];
      if (!list.IsSequence()) Fail(list, "'experiments' is a list");
      if (static_cast<long long>(list.size()) > Most.Experiments)
        TooMany(list, std::to_string(list.size()) + " experiments", Most.Experiments, "--max-experiments");
      for (const auto& e : list) {
        if (!e.IsMap()) Fail(e, "an experiment maps global variables to values");
        Row row;
        row.At = At(e);
        for (const auto& kv : e) {
          if (kv.first.Scalar() == "name") {
            row.Name = Scalar(kv.second, "name");
            checkName(At(kv.second), row.Name);
          } else {
            row.Set(kv.first.Scalar(), value(kv.first, kv.second));
          }
        }
        rows.push_back(row);
      }
    }
    if (n["sweep"]) {
      const YAML::Node s = n["sweep"];
      if (!s.IsMap()) Fail(s, "'sweep' maps global variables to lists or ranges");
      cross = {Point{{}, At(s)}};
      for (const auto& kv : s) {
        const GlobalDef* g = global(kv.first);
        std::vector<Snippet> values;
        if (kv.second.IsMap()) {
          CheckKeys(kv.second, {"range"}, "the sweep of '" + g->Name + "'");
          const YAML::Node r = kv.second["range"];
          if (!r || !r.IsSequence() || r.size() != 3)
            Fail(r ? r : kv.second, "a range is [first, last, step]");
          double v[3];
          for (int k = 0; k < 3; k++) {
            if (!ParseNumber(Scalar(r[k], "range"), &v[k])) Fail(r[k], "a range holds numbers");
            if (!std::isfinite(v[k])) Fail(r[k], "a range holds finite numbers");
          }
          if (!(v[2] > 0) || v[1] < v[0]) Fail(r, "a range needs first <= last and a positive step");
          const double count = std::floor((v[1] - v[0]) / v[2] + 1e-9) + 1;
          if (!(count <= static_cast<double>(Most.Experiments)))
            TooMany(r, "a range of " + ShortNumber(count) + " values", Most.Experiments, "--max-experiments");
          for (long long k = 0; k < static_cast<long long>(count); k++) {
            std::ostringstream o;
            o.precision(15);
            o << v[0] + k * v[2];
            std::string t = o.str();
            if (t.find_first_of(".e") == std::string::npos && (g->Type == "double" || g->Type == "float"))
              t += ".0";
            CheckNumber(r, t, g->Type, "value");
            // A number made and checked here needs no #line: the study stays small for long ranges.
            values.push_back(Snippet{t, 0, At(r)});
          }
        } else if (kv.second.IsSequence()) {
          for (const auto& e : kv.second) values.push_back(value(kv.first, e));
        } else {
          values.push_back(value(kv.first, kv.second));
        }
        if (values.empty()) Fail(kv.second, "a sweep of '" + g->Name + "' needs at least one value");
        if (static_cast<double>(cross.size()) * static_cast<double>(values.size()) >
            static_cast<double>(Most.Experiments))
          TooMany(kv.first, "the sweep's cross product", Most.Experiments, "--max-experiments");
        std::vector<Point> next;
        for (const Point& point : cross)
          for (const Snippet& x : values) {
            Point p = point;
            p.Values.emplace_back(g->Name, x);
            p.At = x.At;
            next.push_back(p);
          }
        cross = next;
      }
      const double listed = rows.empty() ? 1.0 : static_cast<double>(rows.size());
      if (listed * static_cast<double>(cross.size()) > static_cast<double>(Most.Experiments))
        TooMany(s, "the listed experiments crossed with the sweep", Most.Experiments, "--max-experiments");
    }
  }
  DeriveAt(studyAt, D.StudyName + "SetStudy", "the class of study '" + D.StudyName + "'");
  DeriveAt(studyAt, D.StudyName + "SETSTUDY_H", "the header guard of study '" + D.StudyName + "'");
  // A sweep crosses every experiment listed (or the defaults alone) with its values.
  if (rows.empty()) rows.push_back(Row{{}, {}, "", n ? At(n) : Pos{1, 1}});
  if (cross.empty()) cross.push_back(Point{});
  std::map<std::string, size_t> seen;  // name -> the experiment that has it
  for (const Row& base : rows) {
    for (const Point& point : cross) {
      Row r = base;
      for (const auto& v : point.Values) r.Set(v.first, v.second);
      if (!point.Values.empty()) r.At = point.At;
      // A named experiment keeps its name in front of the swept values; an unnamed one is named
      // after all it sets, the sweep's globals last.
      std::vector<std::pair<std::string, std::string>> named;
      for (const std::string& g : r.Order) {
        bool swept = false;
        for (const auto& v : point.Values) swept = swept || v.first == g;
        if (!swept && base.Name.empty()) named.emplace_back(g, r.Values[g].Text);
      }
      for (const auto& v : point.Values) named.emplace_back(v.first, v.second.Text);
      ExperimentDef x;
      x.At = r.At;
      x.Name = ExperimentName(D, base.Name, named, D.Experiments.size());
      checkName(x.At, x.Name);
      for (const GlobalDef& g : D.Globals) {
        auto it = r.Values.find(g.Name);
        if (it != r.Values.end()) {
          x.Values[g.Name] = it->second.Text;
          if (it->second.Line > 0) x.ValueLines[g.Name] = it->second.Line;
        } else if (!g.Default.empty()) {
          x.Values[g.Name] = g.Default;
          if (g.DefaultLine > 0) x.ValueLines[g.Name] = g.DefaultLine;
        } else {
          throw DescriptionError(g.At, "global variable '" + g.Name +
                                           "' has no default and no value in experiment " +
                                           std::to_string(D.Experiments.size() + 1));
        }
      }
      const auto first = seen.emplace(x.Name, D.Experiments.size());
      if (!first.second)
        throw DescriptionError(x.At, "experiment " + std::to_string(D.Experiments.size()) + " is named '" +
                                         x.Name + "' like experiment " + std::to_string(first.first->second) +
                                         ": the experiments of a study need different names");
      D.Experiments.push_back(x);
    }
  }
}

}  // namespace sangen
