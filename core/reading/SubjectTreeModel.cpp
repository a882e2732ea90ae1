#include "core/reading/SubjectTreeModel.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <stdexcept>
#include <utility>

namespace pellar {

// One tree, from a Clear to the next. Node ids run from 1 in the order the
// nodes were added, so a node's id is its place in `nodes` plus one, and the
// children of any node are in ascending id order: the nodes a view has been
// shown (ids up to its published one) are a prefix of every child list.
struct SubjectTreeModel::Tree {
    // A node as the tree keeps it: its caption is a number in the tree's own
    // list of captions, which a text node shares with every other text by the
    // same author (ten thousand nodes have a few hundred authors).
    struct Slot {
        TreeNodeId parent = -1;  // -1 for a top-level node
        int32_t caption = 0;
        int32_t text = 0;        // 0 for a subject node
        int32_t row = 0;
        std::vector<TreeNodeId> children;
    };

    std::vector<Slot> nodes;
    std::vector<TreeNodeId> topLevel;
    // Caption -> the first top-level node with it.
    std::unordered_map<int32_t, TreeNodeId> topByCaption;
    std::unordered_map<int32_t, TextRow> texts;
    // The nodes after the first of the few texts placed more than once.
    std::unordered_map<int32_t, std::vector<TreeNodeId>> moreNodes;
    // A deque: its strings never move, so the look-up may view them.
    std::deque<std::string> captions;
    std::unordered_map<std::string_view, int32_t> captionIds;
    bool complete = false;

    int32_t Intern(std::string_view caption)
    {
        if (const auto it = captionIds.find(caption); it != captionIds.end())
            return it->second;
        const auto id = static_cast<int32_t>(captions.size());
        captionIds.emplace(captions.emplace_back(caption), id);
        return id;
    }
    std::optional<int32_t> CaptionId(std::string_view caption) const
    {
        const auto it = captionIds.find(caption);
        return it == captionIds.end() ? std::nullopt : std::optional<int32_t>(it->second);
    }
    const std::string& Caption(const Slot& node) const { return captions[static_cast<size_t>(node.caption)]; }

    TreeNodeId Add(TreeNodeId parent, std::string_view caption, int32_t text, int row)
    {
        nodes.push_back(Slot{parent, Intern(caption), text, row, {}});
        return static_cast<TreeNodeId>(nodes.size());
    }
    // The nodes of a text, in id order.
    std::vector<TreeNodeId> NodesOf(int32_t text) const
    {
        const auto row = texts.find(text);
        if (row == texts.end())
            return {};
        std::vector<TreeNodeId> out{row->second.firstNode};
        if (const auto more = moreNodes.find(text); more != moreNodes.end())
            out.insert(out.end(), more->second.begin(), more->second.end());
        return out;
    }
    const Slot* Find(TreeNodeId id) const
    {
        return id >= 1 && static_cast<size_t>(id) <= nodes.size() ? &nodes[static_cast<size_t>(id - 1)] : nullptr;
    }
    const std::vector<TreeNodeId>* ChildrenOf(TreeNodeId parent) const
    {
        if (parent == 0)
            return &topLevel;
        const Slot* node = Find(parent);
        return node ? &node->children : nullptr;
    }
};

namespace {

// How many of the ids (ascending) are at most `published`.
int PublishedPrefix(const std::vector<TreeNodeId>& ids, TreeNodeId published)
{
    // Mostly every child is shown: a view reads counts all the time.
    if (ids.empty() || ids.back() <= published)
        return static_cast<int>(ids.size());
    return static_cast<int>(std::upper_bound(ids.begin(), ids.end(), published) - ids.begin());
}

} // namespace

SubjectTreeModel::SubjectTreeModel() : tree_(std::make_shared<Tree>()) {}

SubjectTreeModel::~SubjectTreeModel() = default;

const SubjectTreeModel::Tree& SubjectTreeModel::Of(const ShownTree& shown)
{
    static const Tree empty;
    return shown.tree ? *static_cast<const Tree*>(shown.tree.get()) : empty;
}

bool SubjectTreeModel::Dirty()
{
    dirty_ = true;
    if (batchDepth_ > 0 || told_)
        return false;
    told_ = true;
    return true;
}

void SubjectTreeModel::Notify()
{
    std::lock_guard lock(listenerMutex_);
    if (listener_)
        listener_();
}

void SubjectTreeModel::Clear()
{
    bool tell;
    {
        std::lock_guard lock(mutex_);
        // A view still shows the old tree until it takes in the new one.
        tree_ = std::make_shared<Tree>();
        readChanged_.clear();
        refreshedTree_ = nullptr;
        tell = Dirty();
    }
    if (tell)
        Notify();
}

std::vector<TreeNodeId> SubjectTreeModel::NodesOfText(int32_t text)
{
    std::lock_guard lock(mutex_);
    return tree_->NodesOf(text);
}

std::optional<TreeNodeId> SubjectTreeModel::FindTopLevel(std::string_view caption)
{
    std::lock_guard lock(mutex_);
    const std::optional<int32_t> id = tree_->CaptionId(caption);
    const auto it = id ? tree_->topByCaption.find(*id) : tree_->topByCaption.end();
    return it == tree_->topByCaption.end() ? std::nullopt : std::optional<TreeNodeId>(it->second);
}

TreeNodeId SubjectTreeModel::AddTopLevel(std::string_view caption)
{
    bool tell;
    TreeNodeId id;
    {
        std::lock_guard lock(mutex_);
        Tree& t = *tree_;
        id = t.Add(-1, caption, 0, static_cast<int>(t.topLevel.size()));
        t.topLevel.push_back(id);
        t.topByCaption.emplace(t.nodes.back().caption, id);
        tell = Dirty();
    }
    if (tell)
        Notify();
    return id;
}

TreeNodeId SubjectTreeModel::AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text)
{
    bool tell;
    TreeNodeId id;
    {
        std::lock_guard lock(mutex_);
        Tree& t = *tree_;
        if (!t.Find(parent))
            throw std::out_of_range("no such tree node");
        const int row = static_cast<int>(t.nodes[static_cast<size_t>(parent - 1)].children.size());
        id = t.Add(parent, caption, text, row);
        // Added first: the new node may have moved the one it goes under.
        t.nodes[static_cast<size_t>(parent - 1)].children.push_back(id);
        if (!t.texts.emplace(text, TextRow{static_cast<int32_t>(id), true}).second)
            t.moreNodes[text].push_back(id);
        tell = Dirty();
    }
    if (tell)
        Notify();
    return id;
}

void SubjectTreeModel::BeginBatch()
{
    std::lock_guard lock(mutex_);
    ++batchDepth_;
}

void SubjectTreeModel::EndBatch()
{
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        if (batchDepth_ > 0 && --batchDepth_ == 0 && dirty_ && !told_) {
            told_ = true;
            tell = true;
        }
    }
    if (tell)
        Notify();
}

void SubjectTreeModel::Complete()
{
    {
        std::lock_guard lock(mutex_);
        tree_->complete = true;
        Dirty();
    }
    // Told even when a call is pending: a view holding the last batches
    // back to space its layouts takes them in now.
    Notify();
}

std::shared_ptr<void> SubjectTreeModel::KeepCurrent()
{
    std::lock_guard lock(mutex_);
    return tree_->complete ? tree_ : nullptr;
}

bool SubjectTreeModel::ShowKept(const std::shared_ptr<void>& kept)
{
    const auto tree = std::static_pointer_cast<Tree>(kept);
    if (!tree)
        return false;
    {
        std::lock_guard lock(mutex_);
        if (!tree->complete)
            return false;
        if (tree != tree_) {
            // A view showing another tree takes this one in whole.
            tree_ = tree;
            readChanged_.clear();
        }
        // It was kept while all its texts were unread, and they are again.
        refreshedTree_ = nullptr;
        for (auto& [text, row] : tree_->texts) {
            if (!row.unread) {
                row.unread = true;
                readChanged_.push_back(text);
            }
        }
        Dirty();
    }
    // Told even when a call is pending, as for a completed tree.
    Notify();
    return true;
}

bool SubjectTreeModel::IsComplete() const
{
    std::lock_guard lock(mutex_);
    return tree_->complete;
}

void SubjectTreeModel::RefreshReadMarks(const std::function<bool(int32_t)>& isRead)
{
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        for (auto& [text, row] : tree_->texts) {
            if (!row.unread || !isRead(text))
                continue;
            row.unread = false;
            readChanged_.push_back(text);
            tell = Dirty() || tell;
        }
        refreshedTree_ = tree_.get();
        refreshedNodes_ = tree_->nodes.size();
    }
    if (tell)
        Notify();
}

bool SubjectTreeModel::MarkReadSinceRefresh(const std::vector<int32_t>& texts)
{
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        if (refreshedTree_ != tree_.get() || refreshedNodes_ != tree_->nodes.size())
            return false;
        for (int32_t text : texts) {
            const auto row = tree_->texts.find(text);
            if (row == tree_->texts.end() || !row->second.unread)
                continue;
            row->second.unread = false;
            readChanged_.push_back(text);
            tell = Dirty() || tell;
        }
    }
    if (tell)
        Notify();
    return true;
}

bool SubjectTreeModel::IsUnread(int32_t text) const
{
    std::lock_guard lock(mutex_);
    const auto it = tree_->texts.find(text);
    return it != tree_->texts.end() && it->second.unread;
}

int SubjectTreeModel::UnreadCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(tree_->texts.begin(), tree_->texts.end(),
                                          [](const auto& entry) { return entry.second.unread; }));
}

std::string SubjectTreeModel::AuthorOf(int32_t text) const
{
    std::lock_guard lock(mutex_);
    const auto it = tree_->texts.find(text);
    const Tree::Slot* first = it == tree_->texts.end() ? nullptr : tree_->Find(it->second.firstNode);
    return first ? tree_->Caption(*first) : std::string();
}

std::vector<TreeNodeId> SubjectTreeModel::TopLevel() const
{
    std::lock_guard lock(mutex_);
    return tree_->topLevel;
}

SubjectTreeModel::Node SubjectTreeModel::At(TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree::Slot* node = tree_->Find(id);
    if (!node)
        throw std::out_of_range("no such tree node");
    return Node{id, node->parent, tree_->Caption(*node), node->text, node->children, node->row};
}

int SubjectTreeModel::NodeCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(tree_->nodes.size());
}

std::vector<int32_t> SubjectTreeModel::TextsInTreeOrder() const
{
    std::lock_guard lock(mutex_);
    return CollectTexts(*tree_, static_cast<TreeNodeId>(tree_->nodes.size()));
}

void SubjectTreeModel::SetChangeListener(std::function<void()> fn)
{
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(fn);
}

SubjectTreeModel::Pending SubjectTreeModel::TakePending(const ShownTree& shown)
{
    std::lock_guard lock(mutex_);
    Pending pending;
    pending.reset = shown.tree != tree_;
    if (pending.reset)
        pending.tree = tree_;
    pending.upTo = static_cast<TreeNodeId>(tree_->nodes.size());
    if (!pending.reset)
        pending.readChanged = std::move(readChanged_);
    readChanged_.clear();
    dirty_ = false;
    told_ = false;
    return pending;
}

std::vector<std::pair<TreeNodeId, int>> SubjectTreeModel::PlacesOf(const ShownTree& shown, TreeNodeId upTo) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    std::vector<std::pair<TreeNodeId, int>> out;
    for (TreeNodeId id = shown.published + 1; id <= upTo; ++id) {
        const Tree::Slot* node = t.Find(id);
        if (!node)
            break;
        out.emplace_back(node->parent > 0 ? node->parent : 0, node->row);
    }
    return out;
}

int SubjectTreeModel::ChildCount(const ShownTree& shown, TreeNodeId parent) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    if (parent != 0 && parent > shown.published)
        return 0;
    const auto* children = t.ChildrenOf(parent);
    return children ? PublishedPrefix(*children, shown.published) : 0;
}

TreeNodeId SubjectTreeModel::Child(const ShownTree& shown, TreeNodeId parent, int row) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    if (row < 0 || (parent != 0 && parent > shown.published))
        return 0;
    const auto* children = t.ChildrenOf(parent);
    if (!children || static_cast<size_t>(row) >= children->size())
        return 0;
    const TreeNodeId id = (*children)[static_cast<size_t>(row)];
    return id <= shown.published ? id : 0;
}

TreeNodeId SubjectTreeModel::ParentOf(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree::Slot* node = id <= shown.published ? Of(shown).Find(id) : nullptr;
    return node && node->parent > 0 ? node->parent : 0;
}

int SubjectTreeModel::RowOf(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree::Slot* node = id <= shown.published ? Of(shown).Find(id) : nullptr;
    return node ? node->row : -1;
}

std::string SubjectTreeModel::CaptionOf(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    const Tree::Slot* node = id <= shown.published ? t.Find(id) : nullptr;
    return node ? t.Caption(*node) : std::string();
}

int32_t SubjectTreeModel::TextOf(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree::Slot* node = id <= shown.published ? Of(shown).Find(id) : nullptr;
    return node ? node->text : 0;
}

bool SubjectTreeModel::IsShownUnread(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    const Tree::Slot* node = id <= shown.published ? t.Find(id) : nullptr;
    if (!node || node->text == 0)
        return false;
    const auto it = t.texts.find(node->text);
    return it != t.texts.end() && it->second.unread;
}

bool SubjectTreeModel::IsCurrent(const ShownTree& shown) const
{
    std::lock_guard lock(mutex_);
    return shown.tree == tree_;
}

bool SubjectTreeModel::IsUpToDate(const ShownTree& shown) const
{
    std::lock_guard lock(mutex_);
    return shown.tree == tree_ && shown.published == static_cast<TreeNodeId>(tree_->nodes.size()) && !dirty_;
}

SubjectTreeModel::Cell SubjectTreeModel::CellOf(const ShownTree& shown, TreeNodeId id) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    const Tree::Slot* node = id <= shown.published ? t.Find(id) : nullptr;
    if (!node)
        return {};
    Cell cell{t.Caption(*node), node->text, false};
    if (node->text != 0) {
        const auto it = t.texts.find(node->text);
        cell.unread = it != t.texts.end() && it->second.unread;
    }
    return cell;
}

std::vector<TreeNodeId> SubjectTreeModel::ShownNodesOfText(const ShownTree& shown, int32_t text) const
{
    std::lock_guard lock(mutex_);
    const Tree& t = Of(shown);
    std::vector<TreeNodeId> out = t.NodesOf(text);
    out.resize(static_cast<size_t>(PublishedPrefix(out, shown.published)));
    return out;
}

std::vector<int32_t> SubjectTreeModel::ShownTextsInTreeOrder(const ShownTree& shown) const
{
    std::lock_guard lock(mutex_);
    return CollectTexts(Of(shown), shown.published);
}

std::vector<int32_t> SubjectTreeModel::CollectTexts(const Tree& t, TreeNodeId published)
{
    std::vector<int32_t> out;
    // Iterative: a tree built from a long comment chain is deep.
    std::vector<TreeNodeId> pending;
    const int tops = PublishedPrefix(t.topLevel, published);
    for (int i = tops - 1; i >= 0; --i)
        pending.push_back(t.topLevel[static_cast<size_t>(i)]);
    while (!pending.empty()) {
        const Tree::Slot& node = *t.Find(pending.back());
        pending.pop_back();
        if (node.text != 0)
            out.push_back(node.text);
        const int shownChildren = PublishedPrefix(node.children, published);
        for (int i = shownChildren - 1; i >= 0; --i)
            pending.push_back(node.children[static_cast<size_t>(i)]);
    }
    return out;
}

} // namespace pellar
