// A registry kept in memory: what the tests run the configuration on, and
// the working copy behind the file backend.
#pragma once

#include "core/config/RegistryBackend.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace pellar {

// One key of a snapshot: its canonical path and its values.
struct RegistryKeySnapshot {
    std::string path;
    std::vector<std::pair<std::string, RegistryValue>> values;
};

class MemoryRegistryBackend : public RegistryBackend {
public:
    MemoryRegistryBackend();
    ~MemoryRegistryBackend() override;

    std::optional<RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) const override;
    bool WriteValue(std::string_view keyPath, std::string_view name, const RegistryValue& value) override;
    bool DeleteValue(std::string_view keyPath, std::string_view name) override;
    bool KeyExists(std::string_view keyPath) const override;
    bool CreateKey(std::string_view keyPath) override;
    std::vector<std::string> SubKeyNames(std::string_view keyPath) const override;
    std::vector<std::string> ValueNames(std::string_view keyPath) const override;
    bool DeleteKey(std::string_view keyPath) override;

    // Nothing to make durable; counts the commits so tests can see them.
    bool Save() override;
    int SaveCount() const;

    // Every key, parents before children, taken under one lock so that it is
    // a consistent state even while other threads write.
    std::vector<RegistryKeySnapshot> Snapshot() const;

private:
    struct Node {
        std::map<std::string, RegistryValue, std::less<>> values;
        std::map<std::string, std::unique_ptr<Node>, std::less<>> children;
    };

    template <typename N>
    static N* Walk(N* top, std::string_view keyPath);
    const Node* Find(std::string_view keyPath) const;
    Node* FindOrCreate(std::string_view keyPath);
    static void Collect(const Node& node, const std::string& path, std::vector<RegistryKeySnapshot>& out);

    mutable std::mutex mutex_;
    Node top_;
    int saveCount_ = 0;
};

} // namespace pellar
