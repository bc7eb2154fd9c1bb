#include "Composer.h"

#include <algorithm>
#include <set>

#include "NameRules.h"

namespace sangen {

Composer::Composer(const Description& d, const std::string& source, const Limits& limits)
    : NodeReader(limits), D(d) {
  Source = source;
}

std::vector<std::pair<std::string, std::string>> Composer::Instances(const CompositionNode& root) {
  std::vector<std::pair<std::string, std::string>> instances;
  long long count = 0;
  List(root, root.Name, count, instances);
  return instances;
}

CompositionNode Composer::Read(const YAML::Node& n) {
  CompositionNode node;
  node.At = At(n);
  if (!n.IsMap())
    Fail(n,
         "a composition node is {submodel: S}, {join: NAME, of: [...]} or {replicate: NAME, count: N, of: "
         "...}");
  auto name = [&](const YAML::Node& key) {
    const std::string text = Scalar(key, "name");
    if (!NameRules::IsIdentifier(text))
      Fail(key, "instance name '" + text + "' is not made of letters, digits and underscores");
    return text;
  };
  auto shares = [&]() {
    if (!n["share"]) return;
    if (!n["share"].IsSequence()) Fail(n["share"], "'share' is a list of place names");
    for (const auto& e : n["share"]) {
      const std::string place = Scalar(e, "place name");
      if (std::find(node.Share.begin(), node.Share.end(), place) != node.Share.end())
        Fail(e, "place '" + place + "' is shared twice");
      node.Share.push_back(place);
    }
  };
  if (n["submodel"]) {
    CheckKeys(n, {"submodel", "as"}, "a submodel instance");
    node.Type = CompositionNode::Kind::Submodel;
    node.Submodel = Scalar(n["submodel"], "submodel");
    if (D.FindSubmodel(node.Submodel) == nullptr)
      Fail(n["submodel"], "unknown submodel '" + node.Submodel + "'");
    node.Name = n["as"] ? name(n["as"]) : node.Submodel;
    return node;
  }
  if (n["join"]) {
    CheckKeys(n, {"join", "of", "share"}, "a join");
    node.Type = CompositionNode::Kind::Join;
    node.Name = name(n["join"]);
    if (!n["of"] || !n["of"].IsSequence() || n["of"].size() == 0)
      Fail(n, "a join needs 'of': a list of nodes");
    std::set<std::string> names;
    for (const auto& c : n["of"]) {
      node.Children.push_back(Read(c));
      if (!names.insert(node.Children.back().Name).second)
        Fail(c, "join '" + node.Name + "' has two nodes named '" + node.Children.back().Name +
                    "' (give one 'as')");
    }
    shares();
    for (size_t k = 0; k < node.Share.size(); k++) {
      const PlaceDef* first = nullptr;
      int holders = 0;
      for (const CompositionNode& c : node.Children) {
        const PlaceDef* p = SharedPlace(c, node.Share[k]);
        if (p == nullptr) continue;
        holders++;
        if (first != nullptr && first->IsInt != p->IsInt)
          Fail(n["share"][k], "place '" + node.Share[k] + "' is short in one node and int in another");
        if (first == nullptr) first = p;
      }
      if (holders == 0)
        Fail(n["share"][k], "no node of join '" + node.Name + "' offers a place '" + node.Share[k] + "'");
    }
    return node;
  }
  if (n["replicate"]) {
    CheckKeys(n, {"replicate", "count", "of", "share"}, "a replicate");
    node.Type = CompositionNode::Kind::Replicate;
    node.Name = name(n["replicate"]);
    if (!n["count"]) Fail(n, "a replicate needs a 'count'");
    node.Count =
        Whole(n["count"], "copies", "count must be a positive integer", Most.Replicas, "--max-replicas");
    if (!n["of"]) Fail(n, "a replicate needs 'of': the node it copies");
    node.Children.push_back(Read(n["of"]));
    shares();
    for (size_t k = 0; k < node.Share.size(); k++)
      if (SharedPlace(node.Children[0], node.Share[k]) == nullptr)
        Fail(n["share"][k],
             "the node replicated by '" + node.Name + "' offers no place '" + node.Share[k] + "'");
    return node;
  }
  Fail(
      n,
      "a composition node is {submodel: S}, {join: NAME, of: [...]} or {replicate: NAME, count: N, of: ...}");
}

const PlaceDef* Composer::SharedPlace(const CompositionNode& node, const std::string& name) const {
  if (node.Type == CompositionNode::Kind::Submodel) return D.FindSubmodel(node.Submodel)->FindPlace(name);
  if (std::find(node.Share.begin(), node.Share.end(), name) == node.Share.end()) return nullptr;
  for (const CompositionNode& c : node.Children)
    if (const PlaceDef* p = SharedPlace(c, name)) return p;
  return nullptr;
}

void Composer::List(const CompositionNode& node, const std::string& path, long long& count,
                    std::vector<std::pair<std::string, std::string>>& instances) {
  if (node.Type == CompositionNode::Kind::Submodel) {
    if (++count > 10000000)
      throw DescriptionError(node.At, "the composition makes more than 10000000 instances");
    instances.emplace_back(path, node.Submodel);
    return;
  }
  if (node.Type == CompositionNode::Kind::Join) {
    for (const CompositionNode& c : node.Children) List(c, path + "." + c.Name, count, instances);
    return;
  }
  for (long long k = 0; k < node.Count; k++)
    List(node.Children[0], path + "[" + std::to_string(k) + "]", count, instances);
}

}  // namespace sangen
