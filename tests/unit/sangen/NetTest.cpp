// The intermediate representation built from descriptions made in memory (no file is read): the
// framework's numbering of places, the arcs derived for each action, a composed model's instances
// by path, where its warnings point, the rewards resolved to the models, instances, places and
// actions they read, and the experiments' values. Expected values are worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArcDerivation.h"
#include "Net.h"

namespace {

using sangen::ActivityDef;
using sangen::ArcDef;
using sangen::CaseDef;
using sangen::Description;
using sangen::ExperimentDef;
using sangen::GlobalDef;
using sangen::ImpulseDef;
using sangen::Net;
using sangen::NetAction;
using sangen::NetModel;
using sangen::PlaceDef;
using sangen::Snippet;
using sangen::VariableDef;
using Names = std::vector<std::string>;
using Indices = std::vector<size_t>;

PlaceDef Place(const std::string& name, bool readOnly = false) {
  PlaceDef p;
  p.Name = name;
  p.ReadOnly = readOnly;
  p.Initial.Text = "0";
  return p;
}

Snippet Code(const std::string& text) {
  Snippet s;
  s.Text = text;
  return s;
}

ArcDef Arc(const std::string& place) {
  ArcDef a;
  a.Place = place;
  a.Count = Code("1");
  return a;
}

const NetAction& Find(const NetModel& m, const std::string& name) {
  for (const NetAction& a : m.Actions)
    if (a.Name == name) return a;
  throw std::runtime_error("no action " + name);
}

// A queue with a read-only bound between its places: the state variables are numbered without it
// and the read-only places on their own.
Description Queue() {
  Description d;
  d.Path = "queue.yaml";
  d.ModelName = "Queue";
  d.Places = {Place("Waiting"), Place("Bound", true), Place("Busy"), Place("Served")};
  ActivityDef arrive;
  arrive.Name = "Arrive";
  arrive.Timed = true;
  arrive.Sampler = "Exponential";
  arrive.Parameters = {Code("0.5")};
  arrive.Enabled = Code("Waiting->Mark() < Bound->Mark()");
  arrive.Output = {Arc("Waiting")};
  ActivityDef start;
  start.Name = "Start";
  start.Input = {Arc("Waiting")};
  start.Enabled = Code("Busy->Mark() == 0");
  start.Output = {Arc("Busy")};
  ActivityDef finish;
  finish.Name = "Finish";
  finish.Timed = true;
  finish.Sampler = "Exponential";
  finish.Parameters = {Code("1.0 + 0.1 * Waiting->Mark()")};
  finish.Input = {Arc("Busy")};
  CaseDef served, dropped;
  served.Probability = Code("0.9");
  served.Output = {Arc("Served")};
  dropped.Probability = Code("0.1");
  dropped.Effect = Code("Waiting->Mark() = 0;");
  finish.Cases = {served, dropped};
  d.Activities = {arrive, start, finish};
  return d;
}

TEST(Net, NumbersPlacesAndDerivesArcsOfEveryAction) {
  const Description d = Queue();
  const Net net = Net::Build(d);
  ASSERT_EQ(net.Models.size(), 1u);
  const NetModel& m = net.Models[0];
  ASSERT_EQ(m.Places.size(), 4u);
  // Waiting, Busy, Served are state variables 0, 1, 2; Bound is read-only place 0.
  EXPECT_EQ(m.FindPlace("Waiting")->State, 0);
  EXPECT_EQ(m.FindPlace("Bound")->State, 0);
  EXPECT_EQ(m.FindPlace("Busy")->State, 1);
  EXPECT_EQ(m.FindPlace("Served")->State, 2);
  EXPECT_EQ(m.FindPlace("Served")->Index, 3);
  EXPECT_EQ(m.FindPlace("Nowhere"), nullptr);

  // Four actions: Arrive, Start, and one per case of Finish, in one group per activity.
  ASSERT_EQ(m.Actions.size(), 4u);
  const NetAction& arrive = Find(m, "Arrive");
  EXPECT_EQ(arrive.Enables, (Names{"Waiting"}));  // the read-only bound does not enable
  EXPECT_EQ(arrive.Affects, (Names{"Waiting"}));
  EXPECT_EQ(arrive.Members, (Names{"Waiting", "Bound"}));
  EXPECT_FALSE(arrive.MarkingDependent);

  const NetAction& start = Find(m, "Start");
  EXPECT_EQ(start.Enables, (Names{"Waiting", "Busy"}));
  EXPECT_EQ(start.Affects, (Names{"Waiting", "Busy"}));
  EXPECT_EQ(start.ClassName, "StartActivity");
  EXPECT_EQ(start.Group, 1);

  const NetAction& served = Find(m, "Finish_case1");
  const NetAction& dropped = Find(m, "Finish_case2");
  EXPECT_EQ(served.Case, 0);
  EXPECT_EQ(dropped.Case, 1);
  EXPECT_EQ(served.Group, 2);
  EXPECT_EQ(dropped.Group, 2);
  // The delay reads Waiting: it enables both cases and makes them marking dependent.
  EXPECT_EQ(served.Enables, (Names{"Busy", "Waiting"}));
  EXPECT_TRUE(served.MarkingDependent);
  EXPECT_EQ(served.Affects, (Names{"Busy", "Served"}));
  EXPECT_EQ(dropped.Affects, (Names{"Busy", "Waiting"}));
  EXPECT_TRUE(m.Warnings.empty());
}

// Explicit lists stand as given; a place the activity reads but its 'enables' list leaves out, and
// a marking-dependent delay with reactivation off, are warned about at the positions given.
TEST(Net, ExplicitListsAndTheirWarnings) {
  Description d = Queue();
  ActivityDef& finish = d.Activities[2];
  finish.ExplicitEnables = true;
  finish.Enables = {"Busy"};
  finish.EnablesAt = {7, 5};
  finish.ExplicitAffects = true;
  finish.Affects = {"Served"};
  finish.ReactivationMode = ActivityDef::Reactivation::Off;
  finish.ReactivationAt = {8, 9};
  NetModel m = Net::Atomic(d);
  const NetAction& served = Find(m, "Finish_case1");
  EXPECT_EQ(served.Enables, (Names{"Busy"}));
  EXPECT_EQ(served.Affects, (Names{"Served"}));
  EXPECT_EQ(served.Members, (Names{"Busy", "Served", "Waiting"}));
  ASSERT_EQ(m.Warnings.size(), 2u);
  EXPECT_EQ(m.Warnings[0].Where.Line, 8);
  EXPECT_NE(m.Warnings[0].Message.find("'reactivation: off'"), std::string::npos);
  EXPECT_EQ(m.Warnings[1].Where.Line, 7);
  EXPECT_NE(m.Warnings[1].Message.find("reads place 'Waiting'"), std::string::npos);

  // Deriving again gives the same, not twice as much.
  sangen::ArcDerivation::Derive(m);
  EXPECT_EQ(m.Actions.size(), 4u);
  EXPECT_EQ(m.Warnings.size(), 2u);
}

// A farm of a feeder (one place) and a replicate of two cells (the queue of Queue(), from a file of
// its own), before the test's own changes to either.
struct Farm {
  Description top, cell, feeder;
  Farm(const std::string& feederPlace) {
    top.Path = "farm.yaml";
    top.ModelName = "Farm";
    top.Composed = true;
    cell = Queue();
    cell.ModelName = "Cell";
    cell.Path = "cell.yaml";
    feeder.ModelName = "Feeder";
    feeder.Path = "farm.yaml";
    feeder.Places = {Place(feederPlace)};
    top.Instances = {{"Farm.Feeder", "Feeder"}, {"Farm.Cells[0]", "Cell"}, {"Farm.Cells[1]", "Cell"}};
  }
  // The composed description, its submodels as they are now.
  Description Whole() const {
    Description d = top;
    d.Submodels = {feeder, cell};
    return d;
  }
};

// A composed model: each submodel once, its instances by path pointing at it, and a warning of a
// submodel read from a file of its own names that file.
TEST(Net, ComposedModelInstancesAndWarningFiles) {
  Farm farm("Waiting");
  farm.cell.Activities[2].ReactivationMode = ActivityDef::Reactivation::Off;
  const Description top = farm.Whole();  // the net points into it
  const Net net = Net::Build(top);
  ASSERT_EQ(net.Models.size(), 2u);
  EXPECT_EQ(net.FindModel("Cell"), &net.Models[1]);
  EXPECT_EQ(net.Models[1].Actions.size(), 4u);
  ASSERT_EQ(net.Instances.size(), 3u);
  EXPECT_EQ(net.Instances[0].Model, 0u);
  EXPECT_EQ(net.Instances[2].Path, "Farm.Cells[1]");
  EXPECT_EQ(net.Instances[2].Model, 1u);
  // Finish's delay reads the marking with reactivation off: one warning, in the cell's own file.
  const auto warnings = net.Warnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].File, "cell.yaml");
}

VariableDef Variable(const std::string& name, const std::string& over, const std::string& submodel,
                     const std::string& rate) {
  VariableDef v;
  v.Name = name;
  v.Over = over;
  v.OverSubmodel = submodel;
  v.Kind = "instant";
  v.Rate = Code(rate);
  return v;
}

ImpulseDef Impulse(const std::string& action, const std::string& value, bool mayBeAbsent = false) {
  ImpulseDef i;
  i.Action = action;
  i.Value = Code(value);
  i.MayBeAbsent = mayBeAbsent;
  return i;
}

// A feeder and a replicate of two cells: a variable over the submodel reads both copies, one over
// an instance path reads that copy alone, and each reads the places and actions of its submodel.
TEST(Net, RewardsResolveToTheModelAndInstancesTheyRead) {
  Farm farm("Stock");
  farm.cell.Initialization = Code("Waiting->Mark() = 1;");
  Description top = farm.Whole();
  VariableDef all = Variable("busy", "Cell", "Cell", "Busy->Mark() + Waiting->Mark() + Busy->Mark()");
  all.Impulses = {Impulse("Finish_case2", "t * Served->Mark()")};
  const VariableDef second = Variable("second", "Farm.Cells[1]", "Cell", "Served->Mark()");
  VariableDef stock = Variable("stock", "Feeder", "Feeder", "");
  stock.Impulses = {Impulse("Refill", "tt + Stock->Mark()", true)};
  top.Variables = {all, second, stock};
  const Net net = Net::Build(top);

  // The models carry what their code is written from.
  const NetModel& cells = net.Models[1];
  EXPECT_EQ(cells.Name(), "Cell");
  EXPECT_EQ(cells.Path, "cell.yaml");
  ASSERT_EQ(cells.Activities.size(), 3u);
  EXPECT_EQ(cells.Activities[2], &top.Submodels[1].Activities[2]);
  EXPECT_EQ(cells.Initialization.Text, "Waiting->Mark() = 1;");
  EXPECT_EQ(net.Composition, &top.Composition);

  ASSERT_EQ(net.Rewards.size(), 3u);
  const sangen::NetReward& both = net.Rewards[0];
  EXPECT_EQ(both.Def, &top.Variables[0]);
  EXPECT_EQ(both.Model, 1u);
  EXPECT_EQ(both.Instances, (Indices{1, 2}));
  EXPECT_EQ(both.Over, "Cell");
  EXPECT_EQ(both.RatePlaces, (Names{"Busy", "Waiting"}));  // each once, in order of mention
  ASSERT_EQ(both.Impulses.size(), 1u);
  // Cell's actions: Arrive, Start, Finish_case1, Finish_case2.
  EXPECT_EQ(both.Impulses[0].Action, 3);
  EXPECT_EQ(both.Impulses[0].Places, (Names{"Served"}));
  EXPECT_TRUE(both.Impulses[0].ReadsTime);

  EXPECT_EQ(net.Rewards[1].Model, 1u);
  EXPECT_EQ(net.Rewards[1].Instances, (Indices{2}));
  EXPECT_EQ(net.Rewards[1].Over, "Farm.Cells[1]");

  const sangen::NetReward& feeds = net.Rewards[2];
  EXPECT_EQ(feeds.Model, 0u);
  EXPECT_EQ(feeds.Instances, (Indices{0}));
  EXPECT_TRUE(feeds.RatePlaces.empty());
  ASSERT_EQ(feeds.Impulses.size(), 1u);
  EXPECT_EQ(feeds.Impulses[0].Action, -1);  // an action the model may lack
  EXPECT_EQ(feeds.Impulses[0].Places, (Names{"Stock"}));
  EXPECT_FALSE(feeds.Impulses[0].ReadsTime);  // tt is not the firing time
}

// An atomic model's variable reads the model itself, bound by the model's name.
TEST(Net, AtomicRewardReadsTheModel) {
  Description d = Queue();
  d.Variables = {Variable("served", "", "", "Served->Mark() * Bound->Mark()")};
  const Net net = Net::Build(d);
  ASSERT_EQ(net.Rewards.size(), 1u);
  EXPECT_EQ(net.Rewards[0].Model, 0u);
  EXPECT_TRUE(net.Rewards[0].Instances.empty());
  EXPECT_EQ(net.Rewards[0].Over, "Queue");
  EXPECT_EQ(net.Rewards[0].RatePlaces, (Names{"Served", "Bound"}));
}

// Each experiment's values come one per global in the globals' order (not the alphabetical order
// of the names), with the line of a value written as an expression.
TEST(Net, ExperimentValuesFollowTheGlobals) {
  Description d = Queue();
  GlobalDef rate, arrivals;
  rate.Name = "rate";
  rate.Type = "double";
  arrivals.Name = "arrivals";
  arrivals.Type = "int";
  d.Globals = {rate, arrivals};
  ExperimentDef low, high;
  low.Name = "low";
  low.Values = {{"arrivals", "3"}, {"rate", "0.5"}};
  high.Name = "high";
  high.Values = {{"arrivals", "4"}, {"rate", "1.0 / 3"}};
  high.ValueLines = {{"rate", 12}};
  d.Experiments = {low, high};
  const Net net = Net::Build(d);
  ASSERT_EQ(net.Globals.size(), 2u);
  EXPECT_EQ(net.Globals[0].Name, "rate");
  EXPECT_EQ(net.Models[0].Globals.size(), 2u);
  ASSERT_EQ(net.Experiments.size(), 2u);
  EXPECT_EQ(net.Experiments[0].Name, "low");
  ASSERT_EQ(net.Experiments[0].Values.size(), 2u);
  EXPECT_EQ(net.Experiments[0].Values[0].Text, "0.5");
  EXPECT_EQ(net.Experiments[0].Values[1].Text, "3");
  EXPECT_EQ(net.Experiments[0].Values[0].Line, 0);
  EXPECT_EQ(net.Experiments[1].Name, "high");
  EXPECT_EQ(net.Experiments[1].Values[0].Text, "1.0 / 3");
  EXPECT_EQ(net.Experiments[1].Values[0].Line, 12);
  EXPECT_EQ(net.Experiments[1].Values[1].Text, "4");
  EXPECT_EQ(net.Experiments[1].Values[1].Line, 0);
}

}  // namespace
