#include "core/reading/SubjectTreeModel.h"

#include <stdexcept>

namespace pellar {

void SubjectTreeModel::Clear()
{
    nodes_.clear();
    topLevel_.clear();
    topByCaption_.clear();
    nodeMap_.clear();
}

std::vector<TreeNodeId> SubjectTreeModel::NodesOfText(int32_t text)
{
    const auto it = nodeMap_.find(text);
    return it == nodeMap_.end() ? std::vector<TreeNodeId>{} : it->second;
}

std::optional<TreeNodeId> SubjectTreeModel::FindTopLevel(std::string_view caption)
{
    const auto it = topByCaption_.find(std::string(caption));
    return it == topByCaption_.end() ? std::nullopt : std::optional<TreeNodeId>(it->second);
}

TreeNodeId SubjectTreeModel::AddTopLevel(std::string_view caption)
{
    const TreeNodeId id = nextId_++;
    nodes_[id] = Node{id, -1, std::string(caption), 0, {}};
    topLevel_.push_back(id);
    topByCaption_.emplace(std::string(caption), id);
    return id;
}

TreeNodeId SubjectTreeModel::AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text)
{
    const auto p = nodes_.find(parent);
    if (p == nodes_.end())
        throw std::out_of_range("no such tree node");
    const TreeNodeId id = nextId_++;
    p->second.children.push_back(id);
    nodes_[id] = Node{id, parent, std::string(caption), text, {}};
    nodeMap_[text].push_back(id);
    return id;
}

std::vector<int32_t> SubjectTreeModel::TextsInTreeOrder() const
{
    std::vector<int32_t> out;
    for (TreeNodeId id : topLevel_)
        Collect(id, out);
    return out;
}

void SubjectTreeModel::Collect(TreeNodeId id, std::vector<int32_t>& out) const
{
    // Iterative: a tree built from a long comment chain is deep.
    std::vector<TreeNodeId> pending{id};
    while (!pending.empty()) {
        const Node& node = nodes_.at(pending.back());
        pending.pop_back();
        if (node.text != 0)
            out.push_back(node.text);
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            pending.push_back(*it);
    }
}

} // namespace pellar
