// SQLite persistence of the Store: one transaction per commit, and a loader
// that restores everything a previous run acknowledged.
#pragma once

#include <string>

struct sqlite3;

namespace miravod {

class Store;
struct ChangeSet;

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool Open(const std::string& path, std::string* error);
    bool Load(Store& store, std::string* error);
    bool Apply(const Store& store, const ChangeSet& changes, std::string* error);

private:
    bool Exec(const char* sql, std::string* error);
    bool SaveConf(const Store& store, int number);
    bool SavePerson(const Store& store, int number);
    bool SaveText(const Store& store, int number);
    bool SaveMembership(const Store& store, int person, int conf);
    bool SaveMark(const Store& store, int person, int text);
    bool SaveMeta(const Store& store);
    bool LoadConfs(Store& store);
    bool LoadPersons(Store& store);
    bool LoadTexts(Store& store);

    sqlite3* db_ = nullptr;
};

} // namespace miravod
