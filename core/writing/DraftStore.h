// Texts being written, kept on disk while the user types so that neither a
// crash nor a closed window loses them: one private file per writing window
// in a folder of the data directory, listed again by profile on the next start.
#pragma once

#include "core/writing/LinkList.h"
#include "core/writing/SubmissionFormat.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

struct Draft {
    std::string id;       // the file's name, unique in the folder
    std::string profile;  // the profile it was written in: numbers are per server
    int64_t savedAt = 0;  // seconds since the epoch
    std::vector<LinkRow> links;  // kind and number; names are looked up again
    AuxChecks checks;
    std::string subject;
    std::string body;

    // Nothing a user would miss: no subject and no body.
    bool Empty() const { return subject.empty() && body.empty(); }
};

class DraftStore {
public:
    // A draft larger than this is not ours (or damaged) and is not read.
    static constexpr size_t kMaxDraftBytes = 8u << 20;

    explicit DraftStore(std::filesystem::path dir) : dir_(std::move(dir)) {}

    const std::filesystem::path& Dir() const { return dir_; }
    // An id no draft in the folder has yet.
    std::string NewId() const;
    bool Save(const Draft& draft, std::string* error = nullptr) const;
    void Remove(std::string_view id) const;
    std::optional<Draft> Load(std::string_view id) const;
    // The drafts of one profile, newest first; unreadable files are skipped.
    std::vector<Draft> List(std::string_view profile) const;

    static std::string Serialize(const Draft& draft);
    // None for anything that is not a whole draft of this format.
    static std::optional<Draft> Parse(std::string_view bytes);

private:
    std::filesystem::path FileOf(std::string_view id) const;

    std::filesystem::path dir_;
};

} // namespace pellar
