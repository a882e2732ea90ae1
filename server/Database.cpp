#include "server/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "server/Store.h"

namespace miravod {

namespace {

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS confs(no INTEGER PRIMARY KEY, name BLOB NOT NULL, type TEXT NOT NULL,
  created REAL, last_text REAL, creator INTEGER, presentation INTEGER, supervisor INTEGER,
  permitted INTEGER, super_conf INTEGER, motd INTEGER, first_local INTEGER, highest_local INTEGER);
CREATE TABLE IF NOT EXISTS persons(no INTEGER PRIMARY KEY, pwd TEXT NOT NULL, admin INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS texts(no INTEGER PRIMARY KEY, author INTEGER, created REAL, body BLOB NOT NULL,
  next_aux INTEGER);
CREATE TABLE IF NOT EXISTS misc(text INTEGER, seq INTEGER, kind INTEGER, number INTEGER, local INTEGER,
  received REAL, sent_by INTEGER, sent_at REAL, PRIMARY KEY(text, seq));
CREATE TABLE IF NOT EXISTS aux(text INTEGER, seq INTEGER, aux_no INTEGER, tag INTEGER, creator INTEGER,
  created REAL, flags TEXT, inherit INTEGER, data BLOB, PRIMARY KEY(text, seq));
CREATE TABLE IF NOT EXISTS memberships(person INTEGER, conf INTEGER, priority INTEGER, last_read INTEGER,
  last_time REAL, read_texts TEXT, PRIMARY KEY(person, conf));
CREATE TABLE IF NOT EXISTS marks(person INTEGER, text INTEGER, type INTEGER, PRIMARY KEY(person, text));
)sql";

// A prepared statement that finalises itself.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool Ok() const { return s_ != nullptr; }
    Stmt& Int(int i, int64_t v)
    {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    Stmt& Real(int i, double v)
    {
        sqlite3_bind_double(s_, i, v);
        return *this;
    }
    Stmt& Blob(int i, std::string_view v)
    {
        sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& Str(int i, std::string_view v)
    {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool Run() { return s_ && sqlite3_step(s_) == SQLITE_DONE; }
    bool Row() { return s_ && sqlite3_step(s_) == SQLITE_ROW; }
    int32_t I(int c) const { return static_cast<int32_t>(sqlite3_column_int64(s_, c)); }
    double R(int c) const { return sqlite3_column_double(s_, c); }
    std::string S(int c) const
    {
        const void* p = sqlite3_column_blob(s_, c);
        const int n = sqlite3_column_bytes(s_, c);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3_stmt* s_ = nullptr;
};

std::string JoinInts(const std::set<int32_t>& v)
{
    std::string out;
    for (int32_t x : v) {
        if (!out.empty()) out += ' ';
        out += std::to_string(x);
    }
    return out;
}

std::set<int32_t> SplitInts(const std::string& s)
{
    std::set<int32_t> out;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t end = s.find(' ', pos);
        if (end == std::string::npos) end = s.size();
        if (end > pos) out.insert(static_cast<int32_t>(std::stol(s.substr(pos, end - pos))));
        pos = end + 1;
    }
    return out;
}

} // namespace

Database::~Database()
{
    if (db_) sqlite3_close(db_);
}

bool Database::Exec(const char* sql, std::string* error)
{
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    if (error) *error = msg ? msg : "database error";
    sqlite3_free(msg);
    return false;
}

bool Database::Open(const std::string& path, std::string* error)
{
    // The file holds password hashes and every letter: owner only, whatever
    // the umask, and also when an older run left it readable to others.
    // SQLite gives its -wal and -shm files the database file's mode.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool privateFile = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!privateFile) {
        if (error) *error = "cannot make " + path + " private: " + std::strerror(errno);
        return false;
    }
    for (const char* side : {"-wal", "-shm"}) ::chmod((path + side).c_str(), 0600);
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        if (error) *error = "cannot open " + path + ": " + sqlite3_errmsg(db_);
        return false;
    }
    // Full sync: an acknowledged change must survive a killed server.
    return Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", error) && Exec(kSchema, error);
}

bool Database::SaveMeta(const Store& store)
{
    const ServerInfoBlock& i = store.Info();
    const std::pair<const char*, int64_t> rows[] = {
        {"next_conf", store.NextConfNumber()}, {"next_text", store.NextTextNumber()},
        {"conf_pres", i.confPresentationConf}, {"pers_pres", i.personPresentationConf},
        {"motd_conf", i.motdConf},             {"join_conf", i.joinOnCreateConf},
        {"motd_text", i.motdText}};
    for (const auto& [k, v] : rows) {
        Stmt s(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
        if (!s.Str(1, k).Int(2, v).Run()) return false;
    }
    return true;
}

bool Database::SaveConf(const Store& store, int number)
{
    const Conference* c = store.Conf(number);
    if (!c) {
        Stmt s(db_, "DELETE FROM confs WHERE no = ?");
        return s.Int(1, number).Run();
    }
    Stmt s(db_, "INSERT OR REPLACE INTO confs VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    s.Int(1, c->number).Blob(2, c->name).Str(3, c->type).Real(4, c->created).Real(5, c->lastText);
    s.Int(6, c->creator).Int(7, c->presentation).Int(8, c->supervisor).Int(9, c->permittedSubmitters);
    s.Int(10, c->superConf).Int(11, c->motd).Int(12, c->firstLocal).Int(13, c->HighestLocal());
    return s.Run();
}

bool Database::SavePerson(const Store& store, int number)
{
    const Person* p = store.Pers(number);
    if (!p) {
        Stmt s(db_, "DELETE FROM persons WHERE no = ?");
        return s.Int(1, number).Run();
    }
    Stmt s(db_, "INSERT OR REPLACE INTO persons VALUES(?,?,?)");
    return s.Int(1, p->number).Str(2, p->passwordHash).Int(3, p->admin ? 1 : 0).Run();
}

bool Database::SaveText(const Store& store, int number)
{
    Stmt dm(db_, "DELETE FROM misc WHERE text = ?");
    Stmt da(db_, "DELETE FROM aux WHERE text = ?");
    if (!dm.Int(1, number).Run() || !da.Int(1, number).Run()) return false;
    const Text* t = store.GetText(number);
    if (!t) {
        Stmt s(db_, "DELETE FROM texts WHERE no = ?");
        return s.Int(1, number).Run();
    }
    Stmt s(db_, "INSERT OR REPLACE INTO texts VALUES(?,?,?,?,?)");
    if (!s.Int(1, t->number).Int(2, t->author).Real(3, t->created).Blob(4, t->body).Int(5, t->nextAux).Run())
        return false;
    int seq = 0;
    for (const MiscItem& m : t->misc) {
        Stmt i(db_, "INSERT INTO misc VALUES(?,?,?,?,?,?,?,?)");
        i.Int(1, number).Int(2, seq++).Int(3, static_cast<int>(m.kind)).Int(4, m.number).Int(5, m.local);
        if (!i.Real(6, m.received).Int(7, m.sentBy).Real(8, m.sentAt).Run()) return false;
    }
    seq = 0;
    for (const AuxItem& a : t->aux) {
        Stmt i(db_, "INSERT INTO aux VALUES(?,?,?,?,?,?,?,?,?)");
        i.Int(1, number).Int(2, seq++).Int(3, a.number).Int(4, a.tag).Int(5, a.creator).Real(6, a.created);
        if (!i.Str(7, a.flags).Int(8, a.inheritLimit).Blob(9, a.data).Run()) return false;
    }
    return true;
}

bool Database::SaveMembership(const Store& store, int person, int conf)
{
    const Membership* m = store.MembershipOf(person, conf);
    if (!m) {
        Stmt s(db_, "DELETE FROM memberships WHERE person = ? AND conf = ?");
        return s.Int(1, person).Int(2, conf).Run();
    }
    Stmt s(db_, "INSERT OR REPLACE INTO memberships VALUES(?,?,?,?,?,?)");
    s.Int(1, person).Int(2, conf).Int(3, m->priority).Int(4, m->lastRead).Real(5, m->lastTimeRead);
    return s.Str(6, JoinInts(m->readTexts)).Run();
}

bool Database::SaveMark(const Store& store, int person, int text)
{
    const Person* p = store.Pers(person);
    auto it = p ? p->marks.find(text) : std::map<int32_t, int32_t>::const_iterator();
    if (!p || it == p->marks.end()) {
        Stmt s(db_, "DELETE FROM marks WHERE person = ? AND text = ?");
        return s.Int(1, person).Int(2, text).Run();
    }
    Stmt s(db_, "INSERT OR REPLACE INTO marks VALUES(?,?,?)");
    return s.Int(1, person).Int(2, text).Int(3, it->second).Run();
}

bool Database::Apply(const Store& store, const ChangeSet& changes, std::string* error)
{
    if (!Exec("BEGIN", error)) return false;
    bool ok = true;
    if (changes.meta) ok = ok && SaveMeta(store);
    for (int32_t n : changes.confs) ok = ok && SaveConf(store, n);
    for (int32_t n : changes.persons) ok = ok && SavePerson(store, n);
    for (int32_t n : changes.texts) ok = ok && SaveText(store, n);
    for (const auto& [p, c] : changes.memberships) ok = ok && SaveMembership(store, p, c);
    for (const auto& [p, t] : changes.marks) ok = ok && SaveMark(store, p, t);
    if (!ok) {
        if (error) *error = sqlite3_errmsg(db_);
        Exec("ROLLBACK", nullptr);
        return false;
    }
    return Exec("COMMIT", error);
}

bool Database::LoadConfs(Store& store)
{
    Stmt s(db_, "SELECT no, name, type, created, last_text, creator, presentation, supervisor, permitted,"
                " super_conf, motd, first_local, highest_local FROM confs");
    while (s.Row()) {
        Conference c;
        c.number = s.I(0);
        c.name = s.S(1);
        c.type = s.S(2);
        c.created = s.R(3);
        c.lastText = s.R(4);
        c.creator = s.I(5);
        c.presentation = s.I(6);
        c.supervisor = s.I(7);
        c.permittedSubmitters = s.I(8);
        c.superConf = s.I(9);
        c.motd = s.I(10);
        c.firstLocal = s.I(11);
        const int32_t highest = s.I(12);
        if (highest >= c.firstLocal) c.map.assign(static_cast<size_t>(highest - c.firstLocal + 1), 0);
        store.LoadConference(std::move(c));
    }
    return s.Ok();
}

bool Database::LoadPersons(Store& store)
{
    std::map<int32_t, Person> persons;
    Stmt s(db_, "SELECT no, pwd, admin FROM persons");
    while (s.Row()) {
        Person& p = persons[s.I(0)];
        p.number = s.I(0);
        p.passwordHash = s.S(1);
        p.admin = s.I(2) != 0;
    }
    Stmt m(db_, "SELECT person, conf, priority, last_read, last_time, read_texts FROM memberships");
    while (m.Row()) {
        auto it = persons.find(m.I(0));
        if (it == persons.end()) continue;
        Membership& ms = it->second.memberships[m.I(1)];
        ms.conf = m.I(1);
        ms.priority = m.I(2);
        ms.lastRead = m.I(3);
        ms.lastTimeRead = m.R(4);
        ms.readTexts = SplitInts(m.S(5));
    }
    Stmt k(db_, "SELECT person, text, type FROM marks");
    while (k.Row()) {
        auto it = persons.find(k.I(0));
        if (it != persons.end()) it->second.marks[k.I(1)] = k.I(2);
    }
    for (auto& [n, p] : persons) store.LoadPerson(std::move(p));
    return s.Ok() && m.Ok() && k.Ok();
}

bool Database::LoadTexts(Store& store)
{
    std::map<int32_t, Text> texts;
    Stmt s(db_, "SELECT no, author, created, body, next_aux FROM texts");
    while (s.Row()) {
        Text& t = texts[s.I(0)];
        t.number = s.I(0);
        t.author = s.I(1);
        t.created = s.R(2);
        t.body = s.S(3);
        t.nextAux = s.I(4);
    }
    Stmt m(db_, "SELECT text, kind, number, local, received, sent_by, sent_at FROM misc ORDER BY text, seq");
    while (m.Row()) {
        auto it = texts.find(m.I(0));
        if (it == texts.end()) continue;
        MiscItem mi;
        mi.kind = static_cast<MiscKind>(m.I(1));
        mi.number = m.I(2);
        mi.local = m.I(3);
        mi.received = m.R(4);
        mi.sentBy = m.I(5);
        mi.sentAt = m.R(6);
        it->second.misc.push_back(mi);
    }
    Stmt a(db_, "SELECT text, aux_no, tag, creator, created, flags, inherit, data FROM aux ORDER BY text, seq");
    while (a.Row()) {
        auto it = texts.find(a.I(0));
        if (it == texts.end()) continue;
        AuxItem ai;
        ai.number = a.I(1);
        ai.tag = a.I(2);
        ai.creator = a.I(3);
        ai.created = a.R(4);
        ai.flags = a.S(5);
        ai.inheritLimit = a.I(6);
        ai.data = a.S(7);
        it->second.aux.push_back(std::move(ai));
    }
    for (auto& [n, t] : texts) store.LoadText(std::move(t));
    return s.Ok() && m.Ok() && a.Ok();
}

bool Database::Load(Store& store, std::string* error)
{
    std::map<std::string, int64_t> meta;
    {
        Stmt s(db_, "SELECT key, value FROM meta");
        while (s.Row()) meta[s.S(0)] = s.I(1);
    }
    auto get = [&](const char* k, int32_t def) {
        auto it = meta.find(k);
        return it == meta.end() ? def : static_cast<int32_t>(it->second);
    };
    ServerInfoBlock info;
    info.confPresentationConf = get("conf_pres", 0);
    info.personPresentationConf = get("pers_pres", 0);
    info.motdConf = get("motd_conf", 0);
    info.joinOnCreateConf = get("join_conf", 0);
    info.motdText = get("motd_text", 0);
    store.LoadMeta(get("next_conf", 1), get("next_text", 1), info);
    if (!LoadConfs(store) || !LoadPersons(store) || !LoadTexts(store)) {
        if (error) *error = std::string("cannot load database: ") + sqlite3_errmsg(db_);
        return false;
    }
    store.RebuildDerived();
    return true;
}

} // namespace miravod
