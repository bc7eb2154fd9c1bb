// The generator's core in the test's process: the arcs it derives from what each activity names,
// the positions of its refusals, its warnings, the escaping of texts bound for C++ literals and the
// templates generated files are written from. Expected arcs are read off the descriptions by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "CodeGenerator.h"
#include "CppText.h"
#include "Description.h"
#include "DescriptionChecker.h"
#include "FencedCode.h"
#include "Net.h"
#include "Sha256.h"
#include "TextTemplate.h"
#include "support/TestProcess.h"

namespace {

using sangen::CodeGenerator;
using sangen::Description;
using sangen::DescriptionError;
using Names = std::vector<std::string>;

class Core : public ::testing::Test {
 protected:
  testproc::ScratchDir Scratch{"sangen_core_test"};

  Description Load(const std::string& text) {
    const std::string path = Scratch / "model.yaml";
    std::ofstream(path) << text;
    return sangen::DescriptionChecker::Load(path);
  }
  // "line:column: message" of the refusal, or "accepted".
  std::string Refusal(const std::string& text) {
    try {
      Load(text);
    } catch (const DescriptionError& e) {
      return std::to_string(e.Where.Line) + ":" + std::to_string(e.Where.Column) + ": " + e.what();
    }
    return "accepted";
  }
  static const CodeGenerator::Action& Find(const CodeGenerator& g, const std::string& name) {
    for (const CodeGenerator::Action& a : g.Actions())
      if (a.Name == name) return a;
    throw std::runtime_error("no action " + name);
  }
};

// Every kind of mention: input arcs enable and affect; the enabling predicate, the delay's parameters,
// a case's probability and the rank only enable; the effect and the output arcs only affect; a
// read-only place never takes part; a place named twice counts once, in order of first mention.
TEST_F(Core, ArcsFollowWhatEachActionNames) {
  const Description d = Load(R"yaml(model: Arcs
places:
  Queue: 0
  Busy: 0
  Done: 0
  Limit: {initial: 5, read_only: true}
  Log: 0
activities:
  - name: Begin
    delay: Exponential
    parameters: ["1.0 + Done->Mark()"]
    enabled: "Busy->Mark() == 0 && Queue->Mark() < Limit->Mark()"
    input: {Queue: 1}
    output: {Busy: 1}
    effect: "Log->Mark() += Queue->Mark();"
    rank: "Done->Mark() > 3 ? 2 : 1"
  - name: Finish
    delay: instantaneous
    input: {Busy: 1}
    cases:
      - {probability: "Queue->Mark() > 0 ? 0.5 : 0.25", output: {Done: 1}}
      - {probability: "Queue->Mark() > 0 ? 0.5 : 0.75", output: {Queue: 1}, effect: "Log->Mark()--;"}
)yaml");
  const sangen::Net net = sangen::Net::Build(d);
  const CodeGenerator g(net);
  ASSERT_EQ(g.Actions().size(), 3u);
  const CodeGenerator::Action& begin = Find(g, "Begin");
  EXPECT_EQ(begin.Enables, (Names{"Queue", "Busy", "Done"}));
  EXPECT_EQ(begin.Affects, (Names{"Queue", "Log", "Busy"}));
  EXPECT_TRUE(begin.MarkingDependent);
  EXPECT_EQ(begin.Group, 0);
  // The model's own code still reaches the read-only place through a member pointer.
  EXPECT_EQ(begin.Members, (Names{"Queue", "Busy", "Done", "Log", "Limit"}));

  const CodeGenerator::Action& first = Find(g, "Finish_case1");
  const CodeGenerator::Action& second = Find(g, "Finish_case2");
  EXPECT_EQ(first.ClassName, "FinishActivity_case1");
  EXPECT_EQ(first.Group, 1);
  EXPECT_EQ(second.Group, 1);
  EXPECT_EQ(first.Enables, (Names{"Busy", "Queue"}));
  EXPECT_EQ(first.Affects, (Names{"Busy", "Done"}));
  EXPECT_EQ(second.Affects, (Names{"Busy", "Queue", "Log"}));
  EXPECT_FALSE(first.MarkingDependent);
  EXPECT_TRUE(g.Warnings().empty());
}

// Explicit lists replace the derived ones; a member named in a comment, a string or after '.' is no
// mention of a place.
TEST_F(Core, ExplicitListsAndTextThatIsNoMention) {
  const Description d = Load(R"yaml(model: Lists
places: {A: 1, B: 0, C: 0}
activities:
  - name: Move
    delay: Deterministic
    parameters: ["2.0 /* B */"]
    enabled: "A->Mark() > 0 // C"
    effect: "std::puts(\"C\"); B->Mark() = A->Mark();"
    affects: [C]
    enables: [A, B]
)yaml");
  const sangen::Net net = sangen::Net::Build(d);
  const CodeGenerator g(net);
  const CodeGenerator::Action& move = Find(g, "Move");
  EXPECT_EQ(move.Enables, (Names{"A", "B"}));
  EXPECT_EQ(move.Affects, (Names{"C"}));
  EXPECT_FALSE(move.MarkingDependent);
  EXPECT_EQ(move.Members, (Names{"A", "B", "C"}));
}

TEST_F(Core, WarnsWhereReactivationOrAnEnablingListLeavesAMarkingUnwatched) {
  const Description d = Load(R"yaml(model: Warned
places: {Up: 3, Down: 0, Spare: 1}
activities:
  - name: Fail
    delay: Exponential
    parameters: ["0.1 * Up->Mark()"]
    input: {Up: 1}
    output: {Down: 1}
    reactivation: off
  - name: Repair
    delay: Exponential
    parameters: [1.0]
    enabled: "Spare->Mark() > 0"
    input: {Down: 1}
    output: {Up: 1}
    enables: [Down]
)yaml");
  const sangen::Net net = sangen::Net::Build(d);
  const CodeGenerator g(net);
  ASSERT_EQ(g.Warnings().size(), 2u);
  EXPECT_EQ(g.Warnings()[0].Where.Line, 9);
  EXPECT_EQ(g.Warnings()[0].Where.Column, 19);
  EXPECT_NE(g.Warnings()[0].Message.find("activity 'Fail' has 'reactivation: off'"), std::string::npos);
  EXPECT_EQ(g.Warnings()[1].Where.Line, 16);
  EXPECT_EQ(g.Warnings()[1].Where.Column, 14);
  EXPECT_NE(g.Warnings()[1].Message.find("reads place 'Spare' but its 'enables' list leaves it out"),
            std::string::npos);
}

// Positions are those of the offending text in the file, counted by hand from the lines below.
TEST_F(Core, RefusalsPointAtTheOffendingText) {
  const std::string head = "model: M\nplaces: {Q: 0}\nactivities:\n";
  // "$i" with no replicas: the key of the arc, line 4, column 61.
  EXPECT_EQ(Refusal(head + "  - {name: A, delay: Exponential, parameters: [1], output: {Q$i: 1}}\n"),
            "4:61: '$i' stands for a replica's number: it is only meaningful in a place or activity with "
            "'replicas'");
  // Inside replicas it is the copy's number: places Q0, Q1 exist.
  EXPECT_EQ(Refusal("model: M\nplaces: {Q$i: {initial: 0, replicas: 2}}\nactivities:\n"
                    "  - {name: A$i, delay: Exponential, parameters: [1], output: {Q$i: 1}, replicas: 2}\n"),
            "accepted");
  // A bracket never closed, in a plain scalar: the '[' is column 47 of line 4, the '(' column 48.
  EXPECT_EQ(Refusal(head + "  - {name: A, delay: Exponential, parameters: [(1.0 + 2.0], output: {Q: 1}}\n"),
            "4:48: parameter: '(' is never closed");
  // A bracket that closes nothing, in a quoted scalar (the quote is column 24, the second ')' column 34).
  EXPECT_EQ(Refusal(head + "  - {name: A, enabled: \"Q->Mark())\", delay: Exponential, parameters: [1]}\n"),
            "4:34: enabled: ')' closes nothing open");
  // In a block scalar: line 9, the ']' at column 21 (six spaces of indentation, two more kept).
  EXPECT_EQ(Refusal(head + "  - name: A\n    delay: Exponential\n    parameters: [1]\n    effect: |\n"
                           "      if (Q->Mark() > 0) {\n        Q->Mark()--;]\n      }\n"),
            "9:21: effect: ']' closes nothing open");
  // Brackets inside literals and comments do not count.
  EXPECT_EQ(
      Refusal(head +
              "  - {name: A, delay: Exponential, parameters: [1], effect: \"std::puts(\\\")\\\"); // (\"}\n"),
      "accepted");
  // A yaml-cpp error keeps the library's own position: past the line that opened the mapping.
  const std::string unclosed = Refusal("model: M\nplaces: {Q: 0\n");
  EXPECT_NE(unclosed.find(": invalid YAML: "), std::string::npos) << unclosed;
  EXPECT_GE(std::stoi(unclosed), 2) << unclosed;
}

// A composed description: a dispatcher and a replicate of servers sharing Jobs; the servers share
// Crew among themselves.
const char* const kFarm = R"yaml(model: Farm
submodels:
  Dispatcher:
    places: {Jobs: 0}
    activities:
      - {name: Arrive, delay: Exponential, parameters: [1.0], output: {Jobs: 1}}
  Server:
    places: {Jobs: 0, Crew: 1, Queue: 0}
    activities:
      - {name: Fetch, delay: Exponential, parameters: [2.0], input: {Jobs: 1}, output: {Queue: 1}}
      - {name: Serve, delay: Exponential, parameters: [1.0], input: {Queue: 1, Crew: 1}, output: {Crew: 1}}
compose:
  join: Farm
  share: [Jobs]
  of:
    - {submodel: Dispatcher}
    - {replicate: Server, count: 3, share: [Jobs, Crew], of: {submodel: Server}}
rewards:
  - {name: queues, over: Server, average: true, kind: instant, at: 1, rate: Queue->Mark()}
  - {name: first, over: "Farm.Server[0]", kind: interval, from: 0, to: 1, impulses: {Serve: 1}}
)yaml";

TEST_F(Core, CompositionGivesEveryInstanceItsPath) {
  const Description d = Load(kFarm);
  ASSERT_TRUE(d.Composed);
  const std::vector<std::pair<std::string, std::string>> expected{{"Farm.Dispatcher", "Dispatcher"},
                                                                  {"Farm.Server[0]", "Server"},
                                                                  {"Farm.Server[1]", "Server"},
                                                                  {"Farm.Server[2]", "Server"}};
  EXPECT_EQ(d.Instances, expected);
  ASSERT_EQ(d.Variables.size(), 2u);
  EXPECT_EQ(d.Variables[0].OverSubmodel, "Server");
  EXPECT_EQ(d.Variables[0].Instances, 3);
  EXPECT_TRUE(d.Variables[0].Average);
  EXPECT_EQ(d.Variables[1].OverSubmodel, "Server");
  EXPECT_EQ(d.Variables[1].Instances, 1);
  // Each submodel's arcs are derived within it.
  const sangen::Net serverNet = sangen::Net::Build(*d.FindSubmodel("Server"));
  const CodeGenerator server(serverNet, true);
  EXPECT_EQ(Find(server, "Serve").Enables, (Names{"Queue", "Crew"}));
  EXPECT_EQ(Find(server, "Serve").Affects, (Names{"Queue", "Crew"}));

  // A replicate of a join: the copies take the replicate's name and their index, the join's nodes
  // their own names under it.
  const Description nested = Load(R"yaml(model: Net
submodels:
  Cpu:
    places: {Ready: 1}
    activities: [{name: Run, delay: Exponential, parameters: [1.0], input: {Ready: 1}, output: {Ready: 1}}]
  Disk:
    places: {Ready: 0}
    activities: [{name: Seek, delay: Exponential, parameters: [1.0], input: {Ready: 1}}]
compose:
  join: Net
  of:
    - replicate: Station
      count: 2
      of: {join: Node, share: [Ready], of: [{submodel: Cpu}, {submodel: Disk, as: Store}]}
)yaml");
  const std::vector<std::pair<std::string, std::string>> paths{{"Net.Station[0].Cpu", "Cpu"},
                                                               {"Net.Station[0].Store", "Disk"},
                                                               {"Net.Station[1].Cpu", "Cpu"},
                                                               {"Net.Station[1].Store", "Disk"}};
  EXPECT_EQ(nested.Instances, paths);
}

TEST_F(Core, GeneratedCompositionSharesWhatItNames) {
  const Description d = Load(kFarm);
  const sangen::Net net = sangen::Net::Build(d);
  CodeGenerator g(net);
  const auto files = g.Generate("out");
  ASSERT_TRUE(files.count("Atomic/Farm/FarmComposed.cpp"));
  ASSERT_TRUE(files.count("Atomic/Server/ServerSAN.cpp"));
  ASSERT_TRUE(files.count("Atomic/Dispatcher/DispatcherSAN.cpp"));
  EXPECT_FALSE(files.count("Atomic/Farm/FarmSAN.cpp"));
  const std::string& composed = files.at("Atomic/Farm/FarmComposed.cpp");
  // The join shares the dispatcher's Jobs with the one the replicate offers; the replicate shares
  // Jobs and Crew of every copy.
  EXPECT_NE(composed.find("Share({Kavrin_C0->Jobs, Kavrin_C1->Exported(\"Jobs\")});"), std::string::npos);
  EXPECT_NE(composed.find("Kavrin_Shared[1].push_back(Kavrin_C->Crew);"), std::string::npos);
  EXPECT_NE(composed.find("Kavrin_K < 3;"), std::string::npos);
  // Rewards read the submodel's places and name the instances they are over.
  const std::string& nodes = files.at("Reward/FARM_REWARD/FARM_REWARDPVNodes.cpp");
  EXPECT_NE(nodes.find("AddVariableDependency(\"Queue\", \"Server\");"), std::string::npos);
  EXPECT_NE(nodes.find("AddImpulse(\"Serve\", \"Farm.Server[0]\", &Impulse0);"), std::string::npos);
  EXPECT_NE(nodes.find(") / 3.0;"), std::string::npos);
  // Two submodels' marking checks meet in one translation unit under different names.
  EXPECT_NE(files.at("Atomic/Server/ServerSAN.cpp").find("Kavrin_Marking_Server<short>"), std::string::npos);
  EXPECT_NE(files.at("Atomic/Dispatcher/DispatcherSAN.cpp").find("Kavrin_Marking_Dispatcher<short>"),
            std::string::npos);
}

// A submodel in a file of its own, named relative to the description: read like a section, its
// refusals and warnings name that file and their position in it.
TEST_F(Core, SubmodelInAFileOfItsOwn) {
  std::ofstream(Scratch / "cell.yaml")
      << "places: {Up: 2, Down: 0}\n"
         "activities:\n"
         "  - {name: Fail, delay: Exponential, parameters: [\"Up->Mark()\"],\n"
         "     input: {Up: 1}, output: {Down: 1}, reactivation: off}\n";
  const std::string top =
      "model: Pool\nsubmodels: {Cell: cell.yaml}\n"
      "compose: {replicate: Cells, count: 2, of: {submodel: Cell}}\n";
  const Description d = Load(top);
  // The files it was read from: its own, then the submodel's.
  EXPECT_EQ(d.Inputs, (Names{Scratch / "model.yaml", Scratch / "cell.yaml"}));
  ASSERT_EQ(d.Submodels.size(), 1u);
  EXPECT_EQ(d.Submodels[0].Path, Scratch / "cell.yaml");
  EXPECT_EQ(d.Instances.size(), 2u);
  const sangen::Net net = sangen::Net::Build(d);
  const CodeGenerator g(net);
  ASSERT_EQ(g.Warnings().size(), 1u);
  EXPECT_EQ(g.Warnings()[0].File, Scratch / "cell.yaml");
  EXPECT_EQ(g.Warnings()[0].Where.Line, 4);
  EXPECT_EQ(g.Warnings()[0].Where.Column, 55);  // the value of reactivation

  std::ofstream(Scratch / "cell.yaml") << "places: {Up: 2}\nactivities: [{name: T, delay: Exponential, "
                                          "parameters: [1], output: {Nowhere: 1}}]\n";
  try {
    Load(top);
    FAIL() << "accepted";
  } catch (const DescriptionError& e) {
    EXPECT_EQ(e.File, Scratch / "cell.yaml");
    EXPECT_EQ(e.Where.Line, 2);
    EXPECT_EQ(e.Where.Column, 70);  // the key Nowhere
    EXPECT_STREQ(e.what(), "unknown place 'Nowhere'");
  }
  EXPECT_EQ(
      Refusal("model: Pool\nsubmodels: {Cell: none.yaml}\ncompose: {replicate: C, count: 2, of: {submodel: "
              "Cell}}\n"),
      "2:13: cannot open the file of submodel 'Cell': " + (Scratch / "none.yaml") +
          ": No such file or directory");

  // Two submodels from one file: it is listed once; a submodel written in the description adds none.
  std::ofstream(Scratch / "cell.yaml")
      << "places: {Up: 2}\nactivities: [{name: T, delay: Exponential, parameters: [1], output: {Up: 1}}]\n";
  const Description two = Load(
      "model: Pool\nsubmodels: {A: cell.yaml, B: cell.yaml, C: {places: {X: 0}, activities: []}}\n"
      "compose: {join: J, of: [{submodel: A}, {submodel: B}, {submodel: C}]}\n");
  EXPECT_EQ(two.Inputs, (Names{Scratch / "model.yaml", Scratch / "cell.yaml"}));
}

TEST_F(Core, CompositionRefusalsPointAtTheOffendingText) {
  const std::string subs = R"yaml(model: M
submodels:
  A:
    places: {P: 0, W: {initial: 0, type: int}}
    activities: [{name: T, delay: Exponential, parameters: [1.0], output: {P: 1}}]
  B:
    places: {P: 0, W: 0}
    activities: [{name: U, delay: Exponential, parameters: [1.0], input: {P: 1}}]
)yaml";
  // Line 9 onwards is the composition below (and line 10 the rewards); columns counted by hand.
  EXPECT_EQ(Refusal(subs + "compose: {join: M, share: [Q], of: [{submodel: A}, {submodel: B}]}\n"),
            "9:28: no node of join 'M' offers a place 'Q'");
  EXPECT_EQ(Refusal(subs + "compose: {join: M, share: [W], of: [{submodel: A}, {submodel: B}]}\n"),
            "9:28: place 'W' is short in one node and int in another");
  EXPECT_EQ(Refusal(subs + "compose: {replicate: R, count: 2, of: {submodel: C}}\n"),
            "9:50: unknown submodel 'C'");
  EXPECT_EQ(Refusal(subs + "compose: {join: M, of: [{submodel: A}, {submodel: A}]}\n"),
            "9:40: join 'M' has two nodes named 'A' (give one 'as')");
  EXPECT_EQ(
      Refusal(subs + "compose: {replicate: R, count: 2, of: {submodel: A}}\n"
                     "rewards: [{name: x, kind: interval, from: 0, to: 1, rate: P->Mark()}]\n"),
      "10:11: performance variable 'x' of a composed model needs 'over': a submodel (all its instances) "
      "or an instance path");
  EXPECT_EQ(
      Refusal(subs +
              "compose: {replicate: R, count: 2, of: {submodel: A}}\n"
              "rewards: [{name: x, over: \"R[2]\", kind: interval, from: 0, to: 1, rate: P->Mark()}]\n"),
      "10:27: 'R[2]' is neither an instantiated submodel nor the path of an instance");
  EXPECT_EQ(Refusal(subs + "places: {Z: 0}\ncompose: {replicate: R, count: 2, of: {submodel: A}}\n"),
            "9:9: a composed model has no 'places' of its own: its submodels have them");
}

TEST(CoreBrackets, FirstUnpairedBracket) {
  EXPECT_EQ(sangen::UnpairedBracket("f(a[1], {2})"), std::string::npos);
  EXPECT_EQ(sangen::UnpairedBracket("f(a[1)]"), 5u);  // ')' closes the '['
  EXPECT_EQ(sangen::UnpairedBracket("((x)"), 0u);     // the outer one stays open
  EXPECT_EQ(sangen::UnpairedBracket("x)"), 1u);
  EXPECT_EQ(sangen::UnpairedBracket("'(' + \"[\" /* { */ // }"), std::string::npos);
}

TEST(CoreText, LiteralsEscapeWhatWouldEndOrChangeThem) {
  using sangen::CppText;
  EXPECT_EQ(CppText::Literal("plain name"), "\"plain name\"");
  EXPECT_EQ(CppText::Literal("say \"hi\"\\"), "\"say \\\"hi\\\"\\\\\"");
  // "??=" would be a trigraph before C++17: the second '?' is escaped.
  EXPECT_EQ(CppText::Literal("a?"
                             "?=b"),
            "\"a?\\?=b\"");
  // Control characters and bytes above 127 as three octal digits, which cannot swallow a digit after them.
  EXPECT_EQ(CppText::Literal("x\n1"), "\"x\\0121\"");
  EXPECT_EQ(CppText::Literal("\xc3\xa9"), "\"\\303\\251\"");
  EXPECT_EQ(CppText::Comment("a\nb\\"), "a b");
}

TEST(CoreTemplate, HolesAreFilledByName) {
  const sangen::TextTemplate t(
      "class {{NAME}} {\n  int x[2] = {1, 2};  // {{ not a hole }}\n};\n{{NAME}} {{END}}");
  EXPECT_EQ(t.Holes(), (Names{"NAME", "END"}));
  EXPECT_EQ(t.Fill({{"NAME", "Server"}, {"END", "."}}),
            "class Server {\n  int x[2] = {1, 2};  // {{ not a hole }}\n};\nServer .");
  // A hole left empty or a value for no hole is the generator's fault, never a silent text.
  EXPECT_THROW(t.Fill({{"NAME", "Server"}}), std::logic_error);
  EXPECT_THROW(t.Fill({{"NAME", "S"}, {"END", "."}, {"EXTRA", "x"}}), std::logic_error);
}

}  // namespace

// The fingerprint a simulator carries: the SHA-256 of a one-file description's bytes alone (as
// sha256sum gives it); with a submodel's file, of each file framed by its name relative to the
// description and its size, so that editing the submodel's file, or moving text between the two,
// changes it.
TEST_F(Core, FingerprintCoversEveryFileOfTheDescription) {
  auto fingerprint = [](const Description& d) {
    const sangen::Net net = sangen::Net::Build(d);
    CodeGenerator g(net);
    const std::string text = g.Generate(".").at("Study/POOL_STUDY/POOL_STUDYProvenance.cpp");
    const size_t at = text.find("Sha256 = \"") + 10;
    return text.substr(at, 64);
  };
  const std::string top =
      "model: Pool\nsubmodels: {Cell: cell.yaml}\n"
      "compose: {replicate: Cells, count: 2, of: {submodel: Cell}}\n";
  const std::string cell =
      "places: {Up: 1}\nactivities: [{name: T, delay: Exponential, parameters: [1], "
      "input: {Up: 1}}]\n";
  std::ofstream(Scratch / "cell.yaml") << cell;
  const std::string framed = std::string("model.yaml") + '\0' + std::to_string(top.size()) + '\0' + top +
                             "cell.yaml" + '\0' + std::to_string(cell.size()) + '\0' + cell;
  const std::string two = fingerprint(Load(top));
  EXPECT_EQ(two, sangen::Sha256::Hex(framed));

  // A byte moved from one file to the other: the same text in all, another fingerprint.
  std::ofstream(Scratch / "cell.yaml") << cell << "\n";
  EXPECT_NE(fingerprint(Load(top.substr(0, top.size() - 1))), two);

  // One file: its bytes alone, no framing.
  const std::string single = "model: Pool\nplaces: {Up: 1}\nactivities: []\n";
  EXPECT_EQ(fingerprint(Load(single)), sangen::Sha256::Hex(single));
}

// Code from the description between #line directives: the one before points at the description,
// the one after gives the next line its own number in the generated file (counted by hand below),
// wherever the fenced code lands; code with no line to point at is not fenced.
TEST(CoreText, FencedCodeResumesTheGeneratedFilesNumbering) {
  using sangen::FencedCode;
  using sangen::Snippet;
  const std::string text = "a\n" + FencedCode::Fence(Snippet{"x = 1;\n\n", 7, {}}, "  ", "d.yaml") + "b\n" +
                           FencedCode::Fence(Snippet{"y;", 0, {}}, "", "d.yaml") +
                           FencedCode::Fence(Snippet{"z;\nw;  ", 9, {}}, "    ", "d \"q\".yaml") + "end\n";
  EXPECT_EQ(FencedCode::Resolve(text, "out.cpp"),
            "a\n"                             // 1
            "#line 7 \"d.yaml\"\n"            // 2
            "  x = 1;\n"                      // 3
            "#line 5 \"out.cpp\"\n"           // 4
            "b\n"                             // 5
            "y;\n"                            // 6
            "#line 9 \"d \\\"q\\\".yaml\"\n"  // 7
            "    z;\n"                        // 8
            "    w;\n"                        // 9
            "#line 11 \"out.cpp\"\n"          // 10
            "end\n");                         // 11
  // Text with nothing fenced is left as it is.
  EXPECT_EQ(FencedCode::Resolve("plain\ntext", "out.cpp"), "plain\ntext");
}
