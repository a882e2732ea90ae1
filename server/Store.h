// The whole server state in memory, with the lookups and permission rules
// every request handler shares. Changes are marked dirty and written out by
// Commit() as one database transaction per changing request.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/wire/WireCharset.h"
#include "server/Model.h"

namespace miravod {

class Database;

struct ServerInfoBlock {
    int32_t confPresentationConf = 0;
    int32_t personPresentationConf = 0;
    int32_t motdConf = 0;
    int32_t joinOnCreateConf = 0;
    int32_t motdText = 0;
};

// How the records changed since the last commit looked before, so that a
// failed commit can put memory back as it was. Conferences are kept without
// their text maps, which only grow or lose entries while a request runs;
// the map's length and the entries cleared are enough to undo that.
struct UndoLog {
    struct Conf {
        std::optional<Conference> before; // absent: the conference is new
        bool withMap = false;             // `before` holds the map too
        size_t mapSize = 0;
        std::vector<std::pair<size_t, int32_t>> cleared; // index, old entry
    };
    std::map<int32_t, Conf> confs;
    std::map<int32_t, std::optional<Person>> persons;
    std::map<int32_t, std::optional<Text>> texts;
    bool meta = false;
    ServerInfoBlock info;
    int32_t nextConf = 0;
    int32_t nextText = 0;
};

// What changed since the last commit.
struct ChangeSet {
    std::set<int32_t> confs;
    std::set<int32_t> persons;
    std::set<int32_t> texts;
    std::set<std::pair<int32_t, int32_t>> memberships; // person, conf
    std::set<std::pair<int32_t, int32_t>> marks;       // person, text
    bool meta = false;
    bool Empty() const
    {
        return confs.empty() && persons.empty() && texts.empty() && memberships.empty() && marks.empty() && !meta;
    }
};

class Store {
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens (or creates) the database and loads it; empty path keeps the
    // state in memory only.
    bool Open(const std::string& path, std::string* error);

    // Lookups: null when absent.
    const Conference* Conf(int32_t n) const;
    const Person* Pers(int32_t n) const;
    const Text* GetText(int32_t n) const;
    const Membership* MembershipOf(int32_t person, int32_t conf) const;

    // Mutable access marks the record for the next commit.
    Conference& EditConf(int32_t n);
    Person& EditPerson(int32_t n);
    Text& EditText(int32_t n);
    Membership& EditMembership(int32_t person, int32_t conf);
    ServerInfoBlock& EditInfo();
    const ServerInfoBlock& Info() const { return info_; }

    int32_t CreateConference(std::string name, std::string type, int32_t creator, TDateTime now);
    int32_t CreatePerson(std::string name, std::string passwordHash, TDateTime now);
    // Removes a conference (and, for a person, the person): memberships,
    // recipient entries of texts are left pointing at nothing, as deleted.
    void DeleteConference(int32_t n);
    Text& NewText(int32_t author, TDateTime now);
    void DeleteText(int32_t n);
    bool AddMember(int32_t person, int32_t conf, int32_t priority);
    bool RemoveMember(int32_t person, int32_t conf);
    void SetMark(int32_t person, int32_t text, int32_t type);
    bool RemoveMark(int32_t person, int32_t text);
    // Gives the text a local number in the conference.
    int32_t AppendToConference(int32_t conf, int32_t text, TDateTime now);
    // The local number no longer leads to a text.
    void ClearLocal(int32_t conf, int32_t local);

    // The character set names are in: letter case is folded in it, and a
    // multi-byte letter is compared whole, never byte by byte.
    void SetCharset(pellar::WireCharset charset) { charset_ = charset; }
    pellar::WireCharset Charset() const { return charset_; }

    std::optional<int32_t> FindExactName(std::string_view name) const;
    // Every word of the pattern must start the corresponding word of the
    // name, ignoring letter case.
    std::vector<int32_t> MatchNames(std::string_view pattern, bool persons, bool confs) const;

    // Permissions.
    bool IsMember(int32_t person, int32_t conf) const;
    bool IsSupervisor(int32_t person, int32_t conf) const;
    bool CanSeeConf(int32_t viewer, int32_t conf, bool admin) const;
    bool CanReadConfTexts(int32_t viewer, int32_t conf, bool admin) const;
    bool CanReadText(int32_t viewer, const Text& text, bool admin) const;

    // Writes every change since the last commit in one transaction. When
    // that fails, the records in memory go back to how they were after the
    // last commit that worked.
    bool Commit(std::string* error = nullptr);
    // Fault switch for tests: the next n commits that have something to
    // write fail. Any thread.
    void FailNextCommits(int n) { failCommits_ = n; }

    const std::map<int32_t, Conference>& Conferences() const { return confs_; }
    int32_t TextCount() const { return static_cast<int32_t>(texts_.size()); }
    int32_t NextTextNumber() const { return nextText_; }
    int32_t NextConfNumber() const { return nextConf_; }

    // Used by the database loader only.
    void LoadConference(Conference c);
    void LoadPerson(Person p);
    void LoadText(Text t);
    void LoadMeta(int32_t nextConf, int32_t nextText, const ServerInfoBlock& info);
    void RebuildDerived();

private:
    // Before the first change of a record since the last commit (see
    // StoreUndo.cpp). A conference about to be erased is kept with its map.
    void KeepConf(int32_t n, bool withMap = false);
    void KeepPerson(int32_t n);
    void KeepText(int32_t n);
    void KeepMeta();
    void Rollback();

    std::map<int32_t, Conference> confs_;
    std::map<int32_t, Person> persons_;
    std::unordered_map<int32_t, Text> texts_;
    ServerInfoBlock info_;
    int32_t nextConf_ = 1;
    int32_t nextText_ = 1;
    ChangeSet changes_;
    UndoLog undo_;
    std::atomic<int> failCommits_{0};
    pellar::WireCharset charset_ = pellar::WireCharset::Latin1;
    std::unique_ptr<Database> db_;
};

} // namespace miravod
