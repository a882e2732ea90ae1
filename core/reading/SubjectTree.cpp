#include "core/reading/SubjectTree.h"

#include "core/wire/TextStatType.h"

namespace pellar {

std::vector<int32_t> ParentLinks(const TextStatType& status)
{
    std::vector<int32_t> parents;
    for (const auto& item : status.MiscInfos()) {
        if (dynamic_cast<const TMiscInfoCommTo*>(item.get()) || dynamic_cast<const TMiscInfoFootTo*>(item.get()))
            parents.push_back(static_cast<const TMiscInfoGText&>(*item).textNo);
    }
    return parents;
}

bool PlaceTextInTree(SubjectTreePort& tree, const TreeEntry& entry)
{
    bool placed = false;
    for (int32_t parent : entry.parents) {
        // A copy of the parent's nodes: adding nodes for the text must not
        // change the list being walked.
        const std::vector<TreeNodeId> nodes = tree.NodesOfText(parent);
        for (TreeNodeId node : nodes) {
            if (parent == entry.text)
                return placed;
            tree.AddTextNode(node, entry.authorName, entry.text);
            placed = true;
        }
    }
    if (placed)
        return true;
    const std::optional<TreeNodeId> top = tree.FindTopLevel(entry.subject);
    const TreeNodeId subjectNode = top ? *top : tree.AddTopLevel(entry.subject);
    tree.AddTextNode(subjectNode, entry.authorName, entry.text);
    return true;
}

void PlaceTextsInTree(SubjectTreePort& tree, const std::vector<TreeEntry>& entries)
{
    struct Batch {
        explicit Batch(SubjectTreePort& t) : tree(t) { tree.BeginBatch(); }
        ~Batch() { tree.EndBatch(); }
        SubjectTreePort& tree;
    } batch(tree);
    for (const TreeEntry& entry : entries)
        PlaceTextInTree(tree, entry);
}

} // namespace pellar
