// Where a text goes in the reading window's subject tree: under every node of
// each text it comments or footnotes, else under the top-level node of its
// subject. The placement only talks to a SubjectTreePort, so it is the same
// for the Qt tree view and for the in-memory model.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

class TextStatType;
struct TreeEntry;

using TreeNodeId = int64_t;

// A tree of subject nodes (caption, no text) and text nodes (author name as
// caption, global text number as data), with the node map: text number ->
// its nodes, in the order they were added.
class SubjectTreePort
{
public:
    virtual ~SubjectTreePort() = default;
    // Empties the tree and the node map.
    virtual void Clear() = 0;
    virtual std::vector<TreeNodeId> NodesOfText(int32_t text) = 0;
    // The first top-level node, in tree order, with this caption.
    virtual std::optional<TreeNodeId> FindTopLevel(std::string_view caption) = 0;
    virtual TreeNodeId AddTopLevel(std::string_view caption) = 0;
    // Adds a text node under parent and records it in the node map.
    virtual TreeNodeId AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text) = 0;
    // Bracket a batch of placements, so that a view lays itself out once
    // per batch instead of once per node.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
    // Everything of this tree is placed: nothing more comes until the next
    // Clear, so a view that spaces its layouts may take in the rest at once.
    virtual void Complete() {}
    // The current tree, when it is complete, as a handle that shows it again
    // later (ShowKept); null when the tree keeps nothing.
    virtual std::shared_ptr<void> KeepCurrent() { return nullptr; }
    // Makes a kept tree the current one again, every text in it unread;
    // false when it cannot.
    virtual bool ShowKept(const std::shared_ptr<void>& /*kept*/) { return false; }
};

// What placing a text needs, gathered before the GUI-thread hand-over.
struct TreeEntry {
    int32_t text = 0;
    std::string subject;
    std::string authorName;
    // Comment-to and footnote-to texts, in misc-info order.
    std::vector<int32_t> parents;
};

// Comment-to and footnote-to links of the status, in order.
std::vector<int32_t> ParentLinks(const TextStatType& status);

// Adds the text's nodes; false when nothing was added (a text linked to
// itself is left out).
bool PlaceTextInTree(SubjectTreePort& tree, const TreeEntry& entry);
// Places the entries in order as one batch.
void PlaceTextsInTree(SubjectTreePort& tree, const std::vector<TreeEntry>& entries);

} // namespace pellar
