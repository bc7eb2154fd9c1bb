// Runs the real sangen on small descriptions: each kind of faulty description is refused with
// "file:line:column: message" and exit code 1, and nothing is written; a C++ error in a snippet is
// reported by the compiler at the snippet's line of the description.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KavrinVersion.h"
#include "support/TestProcess.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int Code;
  std::string Output;
};

// Runs a program; its standard output and error together, as a terminal shows them.
Outcome Execute(const std::string& program, const std::vector<std::string>& args) {
  testproc::ProcessOptions how;
  how.mergeErrIntoOut = true;
  how.timeoutSeconds = 120;
  const testproc::ProcessResult r = testproc::Run(program, args, how);
  return Outcome{r.shellStatus(), r.out};
}

// The compiler's syntax check of one generated source.
Outcome Compile(const fs::path& out, const fs::path& source, std::vector<std::string> flags) {
  std::vector<std::string> args{"-std=c++17", "-fsyntax-only"};
  args.insert(args.end(), flags.begin(), flags.end());
  for (const std::string& include : {out.string(), std::string(SOURCE_DIR), std::string(SOURCE_DIR) + "/Cpp"})
    args.push_back("-I" + include);
  args.push_back(source.string());
  return Execute(CXX, args);
}

class Sangen : public ::testing::Test {
 protected:
  fs::path Dir;
  void SetUp() override { Dir = Scratch.path(); }
  testproc::ScratchDir Scratch{"sangen_test"};

  std::string Write(const std::string& text) {
    fs::path p = Dir / "model.yaml";
    std::ofstream(p) << text;
    return p.string();
  }
  // Refused with exactly this position and message, and no file written.
  void ExpectRefused(const std::string& text, const std::string& position, const std::string& message,
                     const std::vector<std::string>& options = {}) {
    std::string path = Write(text);
    std::vector<std::string> args{path, "--out", (Dir / "out").string()};
    args.insert(args.end(), options.begin(), options.end());
    Outcome r = Execute(SANGEN, args);
    EXPECT_EQ(r.Code, 1) << r.Output;
    EXPECT_EQ(r.Output, path + ":" + position + ": " + message + "\n");
    EXPECT_FALSE(fs::exists(Dir / "out"));
  }
  struct Refusal {
    std::string Text;
    std::string Position;
    std::string Message;
  };
  void ExpectAllRefused(const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
      SCOPED_TRACE(c.Text);
      ExpectRefused(c.Text, c.Position, c.Message);
    }
  }
  std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

// A small valid model the refusals below change one thing of.
const char* const kHead =
    "model: Q\n"                   // 1
    "globals: {lambda: double}\n"  // 2
    "places:\n"                    // 3
    "  Queue: 0\n"                 // 4
    "activities:\n";               // 5

// kHead with one activity on line 6.
const std::string kArrival =
    std::string(kHead) +
    "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n";

TEST_F(Sangen, RefusesUnknownPlace) {
  ExpectRefused(std::string(kHead) +
                    "  - name: Arrival\n"         // 6
                    "    delay: Exponential\n"    // 7
                    "    parameters: [lambda]\n"  // 8
                    "    output: {Queu: 1}\n",    // 9: the key starts at column 14
                "9:14", "unknown place 'Queu'");
}

TEST_F(Sangen, RefusesAnArcOnAReadOnlyPlace) {
  ExpectRefused(
      "model: Q\n"
      "places:\n"
      "  Limit: {initial: 3, read_only: true}\n"
      "activities:\n"
      "  - {name: Grow, delay: Exponential, parameters: [1.0], output: {Limit: 1}}\n",  // 5:66
      "5:66", "place 'Limit' is read-only: it cannot have arcs");
}

TEST_F(Sangen, RefusesUnknownGlobalInAnExperiment) {
  ExpectRefused(
      std::string(kHead) +
          "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"  // 6
          "study:\n"                                                                             // 7
          "  experiments:\n"                                                                     // 8
          "    - {lambda: 0.5, mu: 1.0}\n",                                                      // 9
      "9:21", "unknown global variable 'mu'");
}

TEST_F(Sangen, RefusesUnknownActivityInAnImpulse) {
  ExpectRefused(
      std::string(kHead) +
          "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"  // 6
          "rewards:\n"                                                                           // 7
          "  - name: served\n"                                                                   // 8
          "    kind: interval\n"                                                                 // 9
          "    from: 0\n"                                                                        // 10
          "    to: 10\n"                                                                         // 11
          "    impulses: {Service: 1.0}\n",                                                      // 12
      "12:16", "unknown activity 'Service'");
}

TEST_F(Sangen, RefusesUnknownSampler) {
  ExpectRefused(std::string(kHead) +
                    "  - name: Arrival\n"
                    "    delay: Exponentail\n"  // 7:12
                    "    parameters: [lambda]\n",
                "7:12", "unknown sampler 'Exponentail'");
}

TEST_F(Sangen, RefusesWrongParameterCount) {
  ExpectRefused(std::string(kHead) +
                    "  - name: Arrival\n"
                    "    delay: Uniform\n"
                    "    parameters: [lambda]\n",  // 8:17 is the list
                "8:17", "sampler Uniform takes 2 parameters, not 1");
}

TEST_F(Sangen, RefusesConstantCaseProbabilitiesNotSummingToOne) {
  ExpectRefused(std::string(kHead) +
                    "  - name: Arrival\n"            // 6
                    "    delay: Exponential\n"       // 7
                    "    parameters: [lambda]\n"     // 8
                    "    cases:\n"                   // 9
                    "      - {probability: 0.7}\n"   // 10: the list starts at column 7
                    "      - {probability: 0.2}\n",  // 11
                "10:7", "the case probabilities of activity 'Arrival' sum to 0.9, not 1");
}

TEST_F(Sangen, AcceptsProbabilitiesThatReadTheMarking) {
  std::string path = Write(std::string(kHead) +
                           "  - name: Arrival\n"
                           "    delay: Exponential\n"
                           "    parameters: [lambda]\n"
                           "    cases:\n"
                           "      - {probability: \"Queue->Mark() < 5 ? 1.0 : 0.0\"}\n"
                           "      - {probability: \"Queue->Mark() < 5 ? 0.0 : 1.0\"}\n"
                           "study: {experiments: [{lambda: 1.0}]}\n");
  Outcome r = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  EXPECT_EQ(r.Code, 0) << r.Output;
  EXPECT_TRUE(fs::exists(Dir / "out/Atomic/Q/QSAN.cpp"));
}

TEST_F(Sangen, RefusesDuplicateNames) {
  // A place and an activity share one namespace: both become members of the model class.
  ExpectRefused(std::string(kHead) +
                    "  - name: Queue\n"  // 6:11
                    "    delay: Exponential\n"
                    "    parameters: [lambda]\n",
                "6:11", "duplicate name 'Queue'");
}

TEST_F(Sangen, RefusesInvalidYaml) {
  ExpectRefused("model: Q\nplaces: {Queue: 0\nactivities: []\n", "3:11",
                "invalid YAML: end of map flow not found");
}

TEST_F(Sangen, SweepsCrossTheirValuesLastFastest) {
  std::string path =
      Write(std::string(kHead) +
            "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"
            "study:\n"
            "  sweep:\n"
            "    lambda: {range: [0.1, 0.3, 0.1]}\n"
            "    mu: [1, 2]\n");
  // mu is not a global of this model.
  Outcome bad = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  EXPECT_EQ(bad.Code, 1);
  EXPECT_NE(bad.Output.find(":10:5: unknown global variable 'mu'"), std::string::npos) << bad.Output;
  std::string text = std::string(kHead).replace(std::string(kHead).find("{lambda: double}"), 16,
                                                "{lambda: double, mu: double}") +
                     "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"
                     "study:\n"
                     "  sweep:\n"
                     "    lambda: {range: [0.1, 0.3, 0.1]}\n"
                     "    mu: [1, 2]\n";
  path = Write(text);
  Outcome r = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(r.Code, 0) << r.Output;
  std::ifstream in(Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp");
  std::string study((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Three values of lambda times two of mu, mu varying fastest.
  EXPECT_NE(study.find("NumExps = 6;"), std::string::npos);
  EXPECT_NE(study.find("{\"lambda=0.1,mu=1\", \"lambda=0.1,mu=2\", \"lambda=0.2,mu=1\", \"lambda=0.2,mu=2\", "
                       "\"lambda=0.3,mu=1\", \"lambda=0.3,mu=2\"}"),
            std::string::npos)
      << study;
}

// Listed experiments keep their names; the others are named after what they set, in the order
// written (a sweep's globals last), numbers in their shortest text; one that sets nothing keeps
// the simulator's "Experiment N". A name is a C++ literal of the same text, whatever it holds.
TEST_F(Sangen, NamesEveryExperiment) {
  std::string text =
      std::string(kHead).replace(std::string(kHead).find("{lambda: double}"), 16,
                                 "{lambda: {type: double, default: 1.0}, mu: {type: int, default: 1}}") +
      "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"
      "study:\n"
      "  experiments:\n"
      "    - {name: 'say \"hi\" \\ now', lambda: 0.5}\n"
      "    - {mu: 2, lambda: 0.50}\n"
      "    - {lambda: 1e3}\n"
      "    - {lambda: 0.1}\n"
      "    - {}\n";
  std::string path = Write(text);
  Outcome r = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(r.Code, 0) << r.Output;
  const fs::path source = Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp";
  std::ifstream in(source);
  std::string study((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(study.find("{\"say \\\"hi\\\" \\\\ now\", \"mu=2,lambda=0.5\", \"lambda=1000\", "
                       "\"lambda=0.1\", \"Experiment 5\"}"),
            std::string::npos)
      << study;
  Outcome compiled = Compile(Dir / "out", source, {"-Wall", "-Wextra", "-Werror"});
  EXPECT_EQ(compiled.Code, 0) << compiled.Output;
}

TEST_F(Sangen, RefusesTwoExperimentsOfOneName) {
  const std::string head =
      std::string(kHead) +
      "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n";
  ExpectRefused(
      head +
          "study:\n"                       // 7
          "  experiments:\n"               // 8
          "    - {name: a, lambda: 1}\n"   // 9
          "    - {name: a, lambda: 2}\n",  // 10: the second starts at column 7
      "10:7", "experiment 1 is named 'a' like experiment 0: the experiments of a study need different names");
  // 0.50 is the value 0.5 again, so the point's name is too.
  ExpectRefused(head +
                    "study:\n"                    // 7
                    "  sweep:\n"                  // 8
                    "    lambda: [0.5, 0.50]\n",  // 9: the second value at column 19
                "9:19",
                "experiment 1 is named 'lambda=0.5' like experiment 0: the experiments of a study need "
                "different names");
}

TEST_F(Sangen, PrintsItsVersion) {
  Outcome r = Execute(SANGEN, {"--version"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Output, std::string("sangen ") + KAVRIN_VERSION + "\n");
}

TEST_F(Sangen, DrawsTheNetAsDot) {
  std::string path =
      Write(std::string(kHead) +
            "  - {name: Arrival, delay: Exponential, parameters: [lambda], output: {Queue: 1}}\n"
            "  - {name: Leave, delay: instantaneous, enabled: Queue->Mark() > 3,\n"
            "     cases: [{probability: 0.5, effect: Queue->Mark() = 0}, {probability: 0.5}]}\n"
            "study: {experiments: [{lambda: 1.0}]}\n");
  Outcome r = Execute(SANGEN, {"--dot", path});
  ASSERT_EQ(r.Code, 0) << r.Output;
  for (const char* line : {
           "\"place:Queue\" [shape=circle, label=\"Queue\\n0\"];",
           "\"activity:Arrival\" [shape=box, style=filled, fillcolor=\"#d0d8f0\", "
           "label=\"Arrival\\nExponential\"];",
           "\"activity:Leave\" [shape=box, style=filled, fillcolor=black, fontcolor=white, height=0.2, "
           "label=\"Leave\"];",
           "\"activity:Arrival\" -> \"place:Queue\";",               // output arc
           "\"place:Queue\" -> \"activity:Leave\" [style=dashed];",  // read by the enabling predicate
           "\"case:Leave_case1\" -> \"place:Queue\";",               // the case's effect changes Queue
       })
    EXPECT_NE(r.Output.find(line), std::string::npos) << line << "\n" << r.Output;
  EXPECT_EQ(r.Output.find("\"case:Leave_case2\" -> \"place:Queue\""), std::string::npos) << r.Output;
}

// Short global names a modeller may well choose (n, k, p, ...) collide with nothing the
// generator writes: every generated file compiles with -Wshadow -Werror.
TEST_F(Sangen, GeneratedCodeLeavesShortNamesToTheModeller) {
  std::string path = Write(
      "model: Q\n"
      "globals: {n: int, k: int, i: int, w: int, p: double, model: int, initial: int,\n"
      "          from: double, to: double}\n"
      "places:\n"
      "  Queue: n\n"
      "  Slots: {size: 3, initial: k}\n"
      "activities:\n"
      "  - {name: Arrival, delay: Exponential, parameters: [p * Queue->Mark() + from], output: {Queue: 1},\n"
      "     effect: 'Slots->Index(i % 3)->Mark() += w + model + initial;'}\n"
      "  - {name: Service, delay: Uniform, parameters: [from, to], input: {Queue: 1}}\n"
      "rewards:\n"
      "  - {name: a, kind: time_averaged, rate: Queue->Mark() * p, impulses: {Service: t * p}, from: 0, to: "
      "10}\n"
      "  - {name: b, kind: instant, rate: Slots->Index(0)->Mark(), at: [1, 2]}\n"
      "study: {experiments: [{n: 1, k: 2, i: 0, w: 1, p: 0.5, model: 1, initial: 0, from: 0.1, to: 1.0}]}\n");
  Outcome g = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(g.Code, 0) << g.Output;
  for (const auto& entry : fs::recursive_directory_iterator(Dir / "out")) {
    if (entry.path().extension() != ".cpp") continue;
    Outcome c = Compile(Dir / "out", entry.path(), {"-Wall", "-Wextra", "-Wshadow", "-Werror"});
    EXPECT_EQ(c.Code, 0) << entry.path() << "\n" << c.Output;
  }
}

// The compiler reports a mistake in a snippet at its line of the description.
TEST_F(Sangen, SnippetErrorsPointAtTheDescription) {
  std::string path = Write(std::string(kHead) +
                           "  - name: Service\n"           // 6
                           "    delay: Exponential\n"      // 7
                           "    parameters: [1.0]\n"       // 8
                           "    enabled: |\n"              // 9
                           "      Queue->Mark() > 0 &&\n"  // 10
                           "      Queue->Marc() < 5\n"     // 11: the typo
                           "study: {experiments: [{lambda: 1.0}]}\n");
  Outcome g = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(g.Code, 0) << g.Output;
  Outcome c = Compile(Dir / "out", Dir / "out/Atomic/Q/QSAN.cpp", {});
  EXPECT_NE(c.Code, 0);
  EXPECT_NE(c.Output.find(path + ":11:"), std::string::npos) << c.Output;
}

// A delay chosen among no samplers, an empty expression, names that would become paths outside the
// output folder.
TEST_F(Sangen, RefusesEmptyChoicesEmptyExpressionsAndPathNames) {
  ExpectAllRefused({
      {std::string(kHead) +
           "  - {name: A, delay: Exponential, parameters: [lambda], input: {Queue: ''}}\n",  // 6:72
       "6:72", "token count is empty: a C++ expression is expected"},
      {std::string(kHead) + "  - {name: A, delay: {select: lambda, choices: {}}}\n",  // choices at 6:48
       "6:48", "a selected delay needs at least one choice (sampler: [parameters])"},
      {"reward_model: ../../escaped\n" + kArrival.substr(0), "1:15",
       "reward model name '../../escaped' is not a C++ identifier"},
      {kArrival + "study:\n  name: ../../../x\n", "8:9", "study name '../../../x' is not a C++ identifier"},
  });
  EXPECT_FALSE(fs::exists(Dir / ".." / "escaped"));
}

// Numbers that do not fit what they become, and times that are not finite.
TEST_F(Sangen, RefusesOutOfRangeAndNonFiniteNumbers) {
  ExpectAllRefused({
      {std::string(kHead) +
           "  - {name: A$i, delay: Exponential, parameters: [1.0], replicas: 1e10}\n",  // 6:66
       "6:66", "1e10 replicas would be more than the limit of 10000 (--max-replicas raises it)"},
      {"model: Q\nplaces:\n  P: {size: 3e9}\nactivities: []\n", "3:13",
       "3e9 elements would be more than the limit of 100000 (--max-elements raises it)"},
      {"model: Q\nplaces:\n  P: {size: 2.5}\nactivities: []\n", "3:13",
       "an array's size must be a positive integer"},
      {"model: Q\nplaces:\n  P: 70000\nactivities: []\n", "3:6",
       "the initial marking '70000' is out of the range of short"},
      {kArrival + "study: {sweep: {lambda: {range: [0.1, nan, 1]}}}\n", "7:39",
       "a range holds finite numbers"},
      {kArrival + "study: {sweep: {lambda: {range: [0.1, 1e12, 1]}}}\n", "7:33",
       "a range of 1e+12 values would be more than the limit of 100000 (--max-experiments raises it)"},
      {"model: Q\nglobals: {n: int}\nplaces: {P: 0}\nactivities: []\nstudy: {experiments: [{n: 3e9}]}\n",
       "5:27", "value '3e9' is out of the range of int"},
      {"model: Q\nglobals: {n: {type: short, default: 40000}}\nplaces: {P: 0}\nactivities: []\n", "2:37",
       "the default '40000' is out of the range of short"},
      {kArrival + "rewards: [{name: x, kind: interval, rate: '1', from: 0, to: inf}]\n", "7:61",
       "to must be a finite number"},
      {kArrival + "rewards: [{name: x, kind: steady_state, rate: '1', warmup: nan, batch: 10}]\n", "7:60",
       "warmup must be a finite number"},
  });
}

// A mistyped step or a wide cross product is refused before anything is built; the limit is an option.
TEST_F(Sangen, RefusesDescriptionsBeyondTheLimits) {
  ExpectRefused(
      kArrival + "study: {sweep: {lambda: {range: [0, 1, 1e-9]}}}\n", "7:33",
      "a range of 1e+09 values would be more than the limit of 100000 (--max-experiments raises it)");
  // Twelve globals of ten values each: 10^12 experiments. The product passes 100000 at the sixth.
  std::string globals = "globals: {", sweep = "study:\n  sweep:\n";
  for (int k = 0; k < 12; k++) {
    globals += (k ? ", g" : "g") + std::to_string(k) + ": int";
    sweep += "    g" + std::to_string(k) + ": [0, 1, 2, 3, 4, 5, 6, 7, 8, 9]\n";
  }
  ExpectRefused(
      "model: Q\n" + globals + "}\nplaces: {P: 0}\nactivities: []\n" + sweep, "12:5",
      "the sweep's cross product would be more than the limit of 100000 (--max-experiments raises it)");
  // Six experiments: refused under a limit of 5, made under a limit of 6.
  const std::string six = kArrival + "study: {sweep: {lambda: {range: [1, 6, 1]}}}\n";
  ExpectRefused(six, "7:33",
                "a range of 6 values would be more than the limit of 5 (--max-experiments raises it)",
                {"--max-experiments", "5"});
  Outcome r = Execute(SANGEN, {Write(six), "--out", (Dir / "out").string(), "--max-experiments", "6"});
  EXPECT_EQ(r.Code, 0) << r.Output;
  EXPECT_NE(Read(Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp").find("NumExps = 6;"), std::string::npos);
  fs::remove_all(Dir / "out");
  ExpectRefused("model: Q\nplaces:\n  P: {size: 11}\nactivities: []\n", "3:13",
                "11 elements would be more than the limit of 10 (--max-elements raises it)",
                {"--max-elements", "10"});
}

TEST_F(Sangen, RefusesDuplicateKeys) {
  ExpectAllRefused({
      {kArrival + "activities:\n  - {name: B, delay: instantaneous}\n", "7:1", "duplicate key 'activities'"},
      {kArrival + "study: {experiments: [{lambda: 1.0, lambda: 2.0}]}\n", "7:37", "duplicate key 'lambda'"},
      {"model: Q\nmodel: R\nplaces: {P: 0}\nactivities: []\n", "2:1", "duplicate key 'model'"},
      {"model: Q\nplaces: {P: 0}\nactivities: []\n? [a]\n: 1\n", "4:3", "a key must be a single value"},
  });
}

// Keywords, the framework's names and the generated code's own would fail inside generated files or,
// worse, be hidden by a member of the same name where the model's code runs.
TEST_F(Sangen, RefusesNamesTheGeneratedCodeCannotTake) {
  std::vector<Refusal> cases;
  for (const char* name : {"class", "new", "Rate", "Fire", "ImmediateGroup", "Exponential", "NumExps", "std",
                           "main", "Kavrin_Value"}) {
    const std::string n = name;
    const std::string why = n == "class" || n == "new" ? "is a C++ keyword"
                            : n == "Kavrin_Value"
                                ? "starts with Kavrin, which the generated code keeps for itself"
                                : "is used by the framework or the generated code";
    cases.push_back({std::string(kHead) + "  - {name: " + n + ", delay: instantaneous}\n", "6:12",
                     "activity name '" + n + "' " + why});
    cases.push_back(
        {"model: Q\nplaces:\n  " + n + ": 0\nactivities: []\n", "3:3", "place name '" + n + "' " + why});
  }
  // Members of the reward workers and of activities: an interval reward 'rate: Start' would read the
  // worker's own start time.
  for (const char* name : {"Start", "Stop", "Reward", "Number", "id", "Trace", "phase", "ID", "GroupID",
                           "Disabled", "NewEnabled"})
    cases.push_back(
        {"model: Q\nglobals: {" + std::string(name) + ": double}\nplaces: {P: 0}\nactivities: []\n", "2:11",
         "global variable name '" + std::string(name) + "' is used by the framework or the generated code"});
  // Names the generated code derives from the modeller's.
  cases.push_back({"model: Q\nplaces: {P: 0, AGroup: 0}\nactivities: [{name: A, delay: instantaneous}]\n",
                   "3:21", "the group of activity 'A' is called 'AGroup', a name taken by place 'AGroup'"});
  cases.push_back({"model: Q\nglobals: {a: int, aValues: int}\nplaces: {P: 0}\nactivities: []\n", "2:19",
                   "name 'aValues' is taken by the study's table of global variable 'a'"});
  ExpectAllRefused(cases);
}

// Names that reach the manager's tables and the result files, and experiment names that reach
// tab-separated files: a message shows a control character escaped, on one line.
TEST_F(Sangen, RefusesNamesThatAreNotWords) {
  const std::string word =
      "' is not made of letters, digits and underscores, starting with a letter or underscore";
  ExpectAllRefused({
      {kArrival + "rewards: [{name: \"a\\n#error injected\", kind: instant, rate: '1', at: 1}]\n", "7:18",
       "performance variable name 'a\\n#error injected" + word},
      {kArrival + "rewards: [{name: a b, kind: instant, rate: '1', at: 1}]\n", "7:18",
       "performance variable name 'a b" + word},
      {kArrival + "rewards: [{name: 'a,b', kind: instant, rate: '1', at: 1}]\n", "7:18",
       "performance variable name 'a,b" + word},
      {kArrival + "rewards: [{name: '', kind: instant, rate: '1', at: 1}]\n", "7:18",
       "performance variable name '" + word},
      {kArrival + "study: {experiments: [{name: \"x\\ty\", lambda: 1.0}]}\n", "7:30",
       "an experiment's name cannot hold a tab, a line break or another control character"},
  });
}

// yaml-cpp's own conversion errors and a missing file are reported like every other refusal.
TEST_F(Sangen, ReportsEveryRefusalWithItsPosition) {
  ExpectAllRefused({
      {std::string(kHead) + "  - {name: A, delay: instantaneous, reactivation: [1, 2]}\n", "6:51",
       "'reactivation' is auto, off, or {predicate: ..., function: ...}"},
      {"model: Q\nplaces:\n  P: {initial: 0, read_only: maybe}\nactivities: []\n", "3:30",
       "'read_only' is true or false"},
      {kArrival +
           "rewards: [{name: x, kind: instant, at: 1, impulses: [{action: Arrival, may_be_absent: 2}]}]\n",
       "7:87", "'may_be_absent' is true or false"},
  });
  const std::string missing = (Dir / "missing.yaml").string();
  Outcome r = Execute(SANGEN, {missing, "--out", (Dir / "out").string()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Output, missing + ":1:1: cannot open: No such file or directory\n");
  // A folder is no description either; --list-outputs refuses alike.
  r = Execute(SANGEN, {"--list-outputs", Dir.string()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Output, Dir.string() + ":1:1: cannot open: Is a directory\n");
}

// Mistakes reported where they are written (columns counted by hand): "$i" with no replicas, a
// bracket left open in an expression, a refusal inside a submodel's own file; and the warnings,
// which leave the exit code 0.
TEST_F(Sangen, ReportsMistakesWhereTheyAreWritten) {
  ExpectAllRefused({
      {std::string(kHead) + "  - {name: A, delay: Exponential, parameters: [lambda], output: {Queue$i: 1}}\n",
       "6:66",
       "'$i' stands for a replica's number: it is only meaningful in a place or activity with 'replicas'"},
      {std::string(kHead) +
           "  - {name: A, delay: Exponential, parameters: [lambda], enabled: \"Queue->Mark() > (0\"}\n",
       "6:83", "enabled: '(' is never closed"},
  });

  std::string path =
      Write(std::string(kHead) +
            "  - {name: Arrival, delay: Exponential, parameters: [\"lambda * (1 + Queue->Mark())\"], "
            "output: {Queue: 1}, reactivation: off}\n"
            "study: {experiments: [{lambda: 1.0}]}\n");
  Outcome r = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Output,
            path +
                ":6:121: warning: activity 'Arrival' has 'reactivation: off' but its delay parameters "
                "read the marking: a delay drawn before the marking changes is kept\n");

  std::ofstream(Dir / "cell.yaml")
      << "places: {Up: 2}\n"
         "activities: [{name: T, delay: Exponential, parameters: [1], output: {Nowhere: 1}}]\n";
  path = Write(
      "model: Pool\nsubmodels: {Cell: cell.yaml}\ncompose: {replicate: C, count: 2, of: {submodel: Cell}}\n");
  r = Execute(SANGEN, {path, "--out", (Dir / "out2").string()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Output, (Dir / "cell.yaml").string() + ":2:70: unknown place 'Nowhere'\n");
  EXPECT_FALSE(fs::exists(Dir / "out2"));
}

// Experiment names keep quotes, backslashes, '??=' and the characters of sweep names; the
// description's path in #line keeps its own: the compiler, reading the literals back, reports the
// path exactly as it is.
TEST_F(Sangen, EscapesTextInStringLiterals) {
  const fs::path odd = Dir / "a \"quoted\" \\ dir ?\?= \xc3\xa9";
  fs::create_directories(odd);
  const std::string path = (odd / "model.yaml").string();
  std::ofstream(path)
      << std::string(kHead) +
             "  - name: Service\n"        // 6
             "    delay: Exponential\n"   // 7
             "    parameters: [1.0]\n"    // 8
             "    enabled: |\n"           // 9
             "      Queue->Marc() < 5\n"  // 10: the typo
             "study: {experiments: [{name: 'say \"hi\" \\ ?\?= lambda=0.5,mu=1', lambda: 1.0}]}\n";
  Outcome g = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(g.Code, 0) << g.Output;
  // The experiment name, escaped by hand: \" for ", \\ for \, ?\? so no trigraph can form.
  EXPECT_NE(
      Read(Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp").find(R"("say \"hi\" \\ ?\?= lambda=0.5,mu=1")"),
      std::string::npos);
  Outcome study =
      Compile(Dir / "out", Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp", {"-Wall", "-Wextra", "-Werror"});
  EXPECT_EQ(study.Code, 0) << study.Output;
  Outcome model = Compile(Dir / "out", Dir / "out/Atomic/Q/QSAN.cpp", {});
  EXPECT_NE(model.Code, 0);
  EXPECT_NE(model.Output.find(path + ":10:"), std::string::npos) << model.Output;
}

// Arc counts, experiment values, defaults and initial markings of array elements are reported at
// their own lines of the description.
TEST_F(Sangen, ValuesPointAtTheDescription) {
  std::string path = Write(
      "model: Q\n"                                        // 1
      "globals:\n"                                        // 2
      "  lambda: double\n"                                // 3
      "  mu: {type: double, default: oops_default}\n"     // 4
      "places:\n"                                         // 5
      "  Queue: 0\n"                                      // 6
      "  Slots: {size: 2, initial: [0, oops_element]}\n"  // 7
      "  Spare: {size: 3, initial: oops_initial}\n"       // 8
      "activities:\n"                                     // 9
      "  - name: Arrival\n"                               // 10
      "    delay: Exponential\n"                          // 11
      "    parameters: [lambda]\n"                        // 12
      "    input: {Queue: oops_input}\n"                  // 13
      "    output: {Queue: oops_output}\n"                // 14
      "study:\n"                                          // 15
      "  experiments:\n"                                  // 16
      "    - {lambda: oops_value}\n");                    // 17
  Outcome g = Execute(SANGEN, {path, "--out", (Dir / "out").string()});
  ASSERT_EQ(g.Code, 0) << g.Output;
  std::string errors = Compile(Dir / "out", Dir / "out/Atomic/Q/QSAN.cpp", {}).Output +
                       Compile(Dir / "out", Dir / "out/Study/Q_STUDY/Q_STUDYSetStudy.cpp", {}).Output;
  for (const auto& [line, name] : std::vector<std::pair<int, std::string>>{{4, "oops_default"},
                                                                           {7, "oops_element"},
                                                                           {8, "oops_initial"},
                                                                           {13, "oops_input"},
                                                                           {14, "oops_output"},
                                                                           {17, "oops_value"}})
    EXPECT_NE(errors.find(path + ":" + std::to_string(line) + ":" + ""), std::string::npos)
        << name << " at line " << line << "\n"
        << errors;
}

}  // namespace
