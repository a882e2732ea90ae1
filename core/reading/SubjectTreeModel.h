// An in-memory subject tree with its node map: the tree the builder fills
// when no view is attached, and the model the tree view can mirror.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "core/reading/SubjectTree.h"

namespace pellar {

class SubjectTreeModel : public SubjectTreePort
{
public:
    struct Node {
        TreeNodeId id = 0;
        TreeNodeId parent = -1;  // -1 for a top-level node
        std::string caption;
        int32_t text = 0;        // 0 for a subject node
        std::vector<TreeNodeId> children;
    };

    void Clear() override;
    std::vector<TreeNodeId> NodesOfText(int32_t text) override;
    std::optional<TreeNodeId> FindTopLevel(std::string_view caption) override;
    TreeNodeId AddTopLevel(std::string_view caption) override;
    TreeNodeId AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text) override;

    const std::vector<TreeNodeId>& TopLevel() const { return topLevel_; }
    // Throws std::out_of_range for an unknown id.
    const Node& At(TreeNodeId id) const { return nodes_.at(id); }
    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    // Text numbers in tree order (depth first), for tests and the view.
    std::vector<int32_t> TextsInTreeOrder() const;

private:
    void Collect(TreeNodeId id, std::vector<int32_t>& out) const;

    std::unordered_map<TreeNodeId, Node> nodes_;
    std::vector<TreeNodeId> topLevel_;
    // Caption -> the first top-level node with it.
    std::unordered_map<std::string, TreeNodeId> topByCaption_;
    std::unordered_map<int32_t, std::vector<TreeNodeId>> nodeMap_;
    TreeNodeId nextId_ = 1;
};

} // namespace pellar
