#include "core/events/ActiveUsersTable.h"

#include <algorithm>
#include <charconv>

#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

// The cell as a whole number; anything else counts as 0.
int64_t Number(const std::string& text)
{
    int64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size())
        return 0;
    return n;
}

} // namespace

int32_t ActiveUserRow::Session() const
{
    return static_cast<int32_t>(Number(cells[colSession]));
}

std::vector<WhoIsOnRec> ParseWhoIsOn(std::string_view reply)
{
    std::vector<WhoIsOnRec> out;
    size_t pos = 0;
    const int32_t count = ReadInt(reply, pos);
    const std::string open = ReadToken(reply, pos);
    if (open != "{")
        return out;
    for (int32_t i = 0; i < count && NextIsInt(reply, pos); ++i) {
        WhoIsOnRec r;
        r.session = ReadInt(reply, pos);
        r.person = ReadInt(reply, pos);
        r.workingConf = ReadInt(reply, pos);
        r.idleSeconds = ReadInt(reply, pos);
        r.flags = ReadToken(reply, pos);
        r.doing = ReadHollerith(reply, pos);
        out.push_back(std::move(r));
    }
    return out;
}

int ActiveUsersTable::Find(int32_t session) const
{
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].Session() == session)
            return static_cast<int>(i);
    }
    return -1;
}

ActiveUserRow& ActiveUsersTable::FindOrAdd(int32_t session)
{
    const int i = Find(session);
    if (i >= 0)
        return rows_[static_cast<size_t>(i)];
    ActiveUserRow row;
    row.cells[colSession] = std::to_string(session);
    rows_.push_back(std::move(row));
    return rows_.back();
}

void ActiveUsersTable::AddSession(int32_t session, const std::string& personName, const std::string& client,
                                  const std::string& account, const std::string& host, const std::string& ident)
{
    ActiveUserRow& row = FindOrAdd(session);
    row.cells[colUser] = personName;
    row.cells[colConference].clear();
    row.cells[colActivity].clear();
    row.cells[colIdle] = "0";
    row.cells[colClient] = client;
    row.cells[colAccount] = account;
    row.cells[colHost] = host;
    row.cells[colIdent] = ident;
}

void ActiveUsersTable::RemoveSession(int32_t session)
{
    const int i = Find(session);
    if (i >= 0)
        rows_.erase(rows_.begin() + i);
}

void ActiveUsersTable::UpdatePresence(const std::string& personName, const std::string& confName,
                                      int32_t session, const std::string& doing)
{
    const bool isNew = Find(session) < 0;
    ActiveUserRow& row = FindOrAdd(session);
    if (isNew)
        row.cells[colUser] = personName;
    row.cells[colConference] = confName;
    row.cells[colActivity] = doing;
    row.cells[colIdle] = "0";
}

void ActiveUsersTable::QuickFill(const WhoIsOnRec& rec, const std::string& user, const std::string& conf)
{
    ActiveUserRow& row = FindOrAdd(rec.session);
    row.cells[colUser] = user.empty() ? std::to_string(rec.person) : user;
    if (rec.workingConf <= 0)
        row.cells[colConference].clear();
    else
        row.cells[colConference] = conf.empty() ? std::to_string(rec.workingConf) : conf;
    row.cells[colActivity] = rec.doing;
    row.cells[colIdle] = std::to_string(rec.idleSeconds / 60);
}

void ActiveUsersTable::SlowFill(const WhoIsOnRec& rec, const std::string& user, const std::string& conf,
                                const std::string& client, const std::string& account, const std::string& host,
                                const std::string& ident)
{
    ActiveUserRow& row = FindOrAdd(rec.session);
    row.cells[colUser] = user;
    row.cells[colConference] = conf;
    row.cells[colActivity] = rec.doing;
    row.cells[colClient] = client;
    row.cells[colAccount] = account;
    row.cells[colHost] = host;
    row.cells[colIdent] = ident;
}

void ActiveUsersTable::IdleTick()
{
    for (ActiveUserRow& row : rows_)
        row.cells[colIdle] = std::to_string(Number(row.cells[colIdle]) + 1);
}

bool ActiveUsersTable::Less(const ActiveUserRow& a, const ActiveUserRow& b, int column) const
{
    const auto compare = [this](const std::string& x, const std::string& y) {
        return locale_->CompareNames(x, y);
    };
    switch (column) {
    case colSession:
        return a.Session() < b.Session();
    case colUser: {
        const int c = compare(a.cells[colUser], b.cells[colUser]);
        return c != 0 ? c < 0 : a.Session() < b.Session();
    }
    case colIdle: {
        const int64_t x = Number(a.cells[colIdle]), y = Number(b.cells[colIdle]);
        if (x != y)
            return x < y;
        return compare(a.cells[colUser], b.cells[colUser]) < 0;
    }
    default: {
        if (column < 0 || column >= kActiveUsersColumns)
            return false;
        const int c = compare(a.cells[static_cast<size_t>(column)], b.cells[static_cast<size_t>(column)]);
        return c != 0 ? c < 0 : compare(a.cells[colUser], b.cells[colUser]) < 0;
    }
    }
}

void ActiveUsersTable::Sort(int column)
{
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this, column](const ActiveUserRow& a, const ActiveUserRow& b) { return Less(a, b, column); });
}

std::string ClientDescription(const std::string& name, const std::string& version)
{
    if (name.empty() && version.empty())
        return {};
    return name + " (" + version + ")";
}

} // namespace pellar
