// Texts being written, kept on disk while the user types so that neither a
// crash nor a closed window loses them: one private file per writing window
// in a folder of the data directory, offered again on the next logon as the
// same person on the same server.
#pragma once

#include "core/writing/LinkList.h"
#include "core/writing/SubmissionFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellar {

// Where a text was written: conference and text numbers mean something only
// on that server and to that person.
struct DraftPlace {
    std::string server;      // the host as connected; empty: not known
    std::string port;
    int32_t person = 0;      // the person logged on; 0: not known
    std::string personName;  // shown with the offer

    // Drafts kept before their place was written down have none.
    bool Known() const { return !server.empty() && person > 0; }
};

struct Draft {
    std::string id;       // the file's name, unique in the folder
    std::string profile;  // the profile it was written in
    DraftPlace place;
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
    // The drafts that may be offered to whoever logged on as here.person on
    // here.server in profile, newest first: those written by the same person
    // on the same server (the same port, or another port in the same profile,
    // where the server moved), and those of the profile whose place is not
    // known (kept before places were written down).
    std::vector<Draft> ListFor(std::string_view profile, const DraftPlace& here) const;
    // Whether draft may be offered at here in profile: the rule of ListFor.
    static bool Belongs(const Draft& draft, std::string_view profile, const DraftPlace& here);

    static std::string Serialize(const Draft& draft);
    // None for anything that is not a whole draft of this format.
    static std::optional<Draft> Parse(std::string_view bytes);

private:
    std::filesystem::path FileOf(std::string_view id) const;
    // The readable, non-empty drafts that wanted takes, newest first.
    std::vector<Draft> Select(const std::function<bool(const Draft&)>& wanted) const;

    std::filesystem::path dir_;
};

} // namespace pellar
