#include "DotWriter.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace sangen {

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The places, activities and arcs of one atomic model; node names start with `id` (distinct per
// submodel) and every line with `in`.
void DrawModel(std::ostringstream& o, const NetModel& m, const std::string& id, const std::string& in) {
  for (const NetPlace& np : m.Places) {
    const PlaceDef& p = *np.Def;
    std::string marking = p.Size > 0 ? "[" + std::to_string(p.Size) + "]" : p.Initial.Text;
    o << in << Quote(id + "place:" + p.Name) << " [shape=circle, label=" << Quote(p.Name + "\\n" + marking)
      << "];\n";
  }
  for (const ActivityDef* activity : m.Activities) {
    const ActivityDef& a = *activity;
    if (a.Timed) {
      std::string delay = a.SelectBy.empty() ? a.Sampler : "by " + a.SelectBy;
      o << in << Quote(id + "activity:" + a.Name)
        << " [shape=box, style=filled, fillcolor=\"#d0d8f0\", label=" << Quote(a.Name + "\\n" + delay)
        << "];\n";
    } else {
      o << in << Quote(id + "activity:" + a.Name)
        << " [shape=box, style=filled, fillcolor=black, fontcolor=white, height=0.2, label=" << Quote(a.Name)
        << "];\n";
    }
    for (size_t k = 0; k < a.Cases.size(); k++) {
      std::string c = a.Name + "_case" + std::to_string(k + 1);
      o << in << Quote(id + "case:" + c)
        << " [shape=diamond, width=0.3, height=0.3, label=" << Quote(std::to_string(k + 1))
        << ", xlabel=" << Quote(a.Cases[k].Probability.Text) << "];\n";
      o << in << Quote(id + "activity:" + a.Name) << " -> " << Quote(id + "case:" + c)
        << " [style=dashed, arrowhead=none];\n";
    }
  }
  // Enabling arcs run into the activity: solid for an input arc (it takes tokens), dashed for a
  // place that is only read. Affect arcs other than input arcs run out of the action (its case).
  for (const NetAction& x : m.Actions) {
    const std::string act = Quote(id + "activity:" + x.Def->Name);
    const std::string from = x.Case >= 0 ? Quote(id + "case:" + x.Name) : act;
    auto isInput = [&](const std::string& p) {
      for (const ArcDef& arc : x.Def->Input)
        if (arc.Place == p) return true;
      return false;
    };
    if (x.Case <= 0) {
      for (const std::string& p : x.Enables)
        o << in << Quote(id + "place:" + p) << " -> " << act << (isInput(p) ? "" : " [style=dashed]")
          << ";\n";
      for (const std::string& p : x.Affects)
        if (isInput(p) && std::find(x.Enables.begin(), x.Enables.end(), p) == x.Enables.end())
          o << in << Quote(id + "place:" + p) << " -> " << act << ";\n";
    }
    for (const std::string& p : x.Affects)
      if (!isInput(p)) o << in << from << " -> " << Quote(id + "place:" + p) << ";\n";
  }
}

}  // namespace

std::string DotWriter::Write(const Net& net) {
  std::ostringstream o;
  o << "digraph " << Quote(net.ModelName) << " {\n  rankdir=LR;\n";
  o << "  node [fontname=\"Helvetica\", fontsize=10];\n";
  if (!net.Composed()) {
    DrawModel(o, net.Models[0], "", "  ");
  } else {
    // A composed model: each submodel once, in a box of its own (its instances are copies of it).
    for (const NetModel& model : net.Models) {
      const std::string& sub = model.Name();
      o << "  subgraph " << Quote("cluster_" + sub) << " {\n    label=" << Quote(sub) << ";\n";
      DrawModel(o, model, sub + ".", "    ");
      o << "  }\n";
    }
  }
  o << "}\n";
  return o.str();
}

}  // namespace sangen
