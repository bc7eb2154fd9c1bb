// Composer: the composition of a composed description: its tree of nodes (instances of submodels,
// joins of different nodes and replicates of one node, sharing the places they name) read and
// checked against the description's submodels, and the atomic instances the tree makes, each with
// its path ("Farm.Server[3]"), in the order they are built.
#ifndef KAVRIN_SANGEN_COMPOSER_H
#define KAVRIN_SANGEN_COMPOSER_H

#include <string>
#include <utility>
#include <vector>

#include "Description.h"
#include "NodeReader.h"

namespace sangen {

class Composer : public NodeReader {
 public:
  // `d` holds the submodels already read; `source` is the text of the file the tree is in.
  Composer(const Description& d, const std::string& source, const Limits& limits);

  // The tree under the key 'compose'; throws DescriptionError.
  CompositionNode Read(const YAML::Node& n);
  // Every atomic instance of the tree: its path and its submodel.
  static std::vector<std::pair<std::string, std::string>> Instances(const CompositionNode& root);

 private:
  const Description& D;
  // The place a node offers for sharing under a name, or null.
  const PlaceDef* SharedPlace(const CompositionNode& node, const std::string& name) const;
  static void List(const CompositionNode& node, const std::string& path, long long& count,
                   std::vector<std::pair<std::string, std::string>>& instances);
};

}  // namespace sangen

#endif
