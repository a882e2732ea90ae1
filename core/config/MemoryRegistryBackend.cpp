#include "core/config/MemoryRegistryBackend.h"

namespace pellar {

namespace {
// Keys nest a few levels in practice; the bound keeps a hostile settings
// file from building a chain deep enough to recurse the destructor off the
// stack.
constexpr std::size_t kMaxKeyDepth = 64;
} // namespace

MemoryRegistryBackend::MemoryRegistryBackend() = default;
MemoryRegistryBackend::~MemoryRegistryBackend() = default;

template <typename N>
N* MemoryRegistryBackend::Walk(N* top, std::string_view keyPath)
{
    N* node = top;
    for (const auto& part : SplitRegistryPath(keyPath)) {
        const auto it = node->children.find(part);
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

const MemoryRegistryBackend::Node* MemoryRegistryBackend::Find(std::string_view keyPath) const
{
    return Walk(&top_, keyPath);
}

MemoryRegistryBackend::Node* MemoryRegistryBackend::FindOrCreate(std::string_view keyPath)
{
    const auto parts = SplitRegistryPath(keyPath);
    if (parts.size() > kMaxKeyDepth)
        return nullptr;
    Node* node = &top_;
    for (const auto& part : parts) {
        auto& child = node->children[part];
        if (!child)
            child = std::make_unique<Node>();
        node = child.get();
    }
    return node;
}

std::optional<RegistryValue> MemoryRegistryBackend::ReadValue(std::string_view keyPath, std::string_view name) const
{
    std::lock_guard lock(mutex_);
    const Node* node = Find(keyPath);
    if (!node)
        return std::nullopt;
    const auto it = node->values.find(name);
    if (it == node->values.end())
        return std::nullopt;
    return it->second;
}

bool MemoryRegistryBackend::WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value)
{
    std::lock_guard lock(mutex_);
    Node* node = FindOrCreate(keyPath);
    if (!node)
        return false;
    node->values.insert_or_assign(std::string(name), value);
    return true;
}

bool MemoryRegistryBackend::DeleteValue(std::string_view keyPath, std::string_view name)
{
    std::lock_guard lock(mutex_);
    if (Node* node = Walk(&top_, keyPath)) {
        const auto it = node->values.find(name);
        if (it != node->values.end())
            node->values.erase(it);
    }
    return true;
}

bool MemoryRegistryBackend::KeyExists(std::string_view keyPath) const
{
    std::lock_guard lock(mutex_);
    return Find(keyPath) != nullptr;
}

bool MemoryRegistryBackend::CreateKey(std::string_view keyPath)
{
    std::lock_guard lock(mutex_);
    FindOrCreate(keyPath);
    return true;
}

std::vector<std::string> MemoryRegistryBackend::SubKeyNames(std::string_view keyPath) const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (const Node* node = Find(keyPath))
        for (const auto& [name, child] : node->children)
            names.push_back(name);
    return names;
}

std::vector<std::string> MemoryRegistryBackend::ValueNames(std::string_view keyPath) const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (const Node* node = Find(keyPath))
        for (const auto& [name, value] : node->values)
            names.push_back(name);
    return names;
}

bool MemoryRegistryBackend::DeleteKey(std::string_view keyPath)
{
    auto parts = SplitRegistryPath(keyPath);
    if (parts.empty())
        return false;
    std::lock_guard lock(mutex_);
    const std::string last = std::move(parts.back());
    parts.pop_back();
    Node* parent = &top_;
    for (const auto& part : parts) {
        const auto it = parent->children.find(part);
        if (it == parent->children.end())
            return false;
        parent = it->second.get();
    }
    return parent->children.erase(last) > 0;
}

bool MemoryRegistryBackend::Save()
{
    std::lock_guard lock(mutex_);
    ++saveCount_;
    return true;
}

int MemoryRegistryBackend::SaveCount() const
{
    std::lock_guard lock(mutex_);
    return saveCount_;
}

void MemoryRegistryBackend::Collect(const Node& node, const std::string& path, std::vector<RegistryKeySnapshot>& out)
{
    RegistryKeySnapshot key{path, {}};
    for (const auto& [name, value] : node.values)
        key.values.emplace_back(name, value);
    out.push_back(std::move(key));
    // Depth is bounded by kMaxKeyDepth.
    for (const auto& [name, child] : node.children)
        Collect(*child, path.empty() ? name : path + '\\' + name, out);
}

std::vector<RegistryKeySnapshot> MemoryRegistryBackend::Snapshot() const
{
    std::lock_guard lock(mutex_);
    std::vector<RegistryKeySnapshot> out;
    Collect(top_, "", out);
    return out;
}

} // namespace pellar
