// The rows of the active-users window, kept in core so that the fills, the
// notices, the idle tick and the sort order are decided (and tested) here;
// the window only draws them. Touched on the GUI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/LocalePort.h"

namespace pellar {

enum ActiveUsersColumn {
    colSession, colUser, colConference, colActivity, colIdle, colClient, colAccount, colHost, colIdent,
    kActiveUsersColumns
};

struct ActiveUserRow {
    std::array<std::string, kActiveUsersColumns> cells;
    int32_t Session() const;
};

// One session of a complete update (reply to "Get who is on").
struct WhoIsOnRec {
    int32_t session = 0, person = 0, workingConf = 0, idleSeconds = 0;
    std::string flags, doing;
};

// The elements of the reply, bounded by the bytes that arrived.
std::vector<WhoIsOnRec> ParseWhoIsOn(std::string_view reply);

class ActiveUsersTable {
public:
    // Names are ordered as locale orders them (the user's, from the client).
    explicit ActiveUsersTable(const LocalePort& locale = PlainLocalePort()) : locale_(&locale) {}

    const std::vector<ActiveUserRow>& Rows() const { return rows_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    // Index of the session's row, or -1.
    int Find(int32_t session) const;
    // The session's row, added (with its caption) when missing.
    ActiveUserRow& FindOrAdd(int32_t session);

    void AddSession(int32_t session, const std::string& personName, const std::string& client,
                    const std::string& account, const std::string& host, const std::string& ident);
    void RemoveSession(int32_t session);
    void UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                        const std::string& doing);
    // user and conf: the cached names, or empty to show the numbers.
    void QuickFill(const WhoIsOnRec& rec, const std::string& user, const std::string& conf);
    void SlowFill(const WhoIsOnRec& rec, const std::string& user, const std::string& conf,
                  const std::string& client, const std::string& account, const std::string& host,
                  const std::string& ident);
    void Clear() { rows_.clear(); }
    // One more idle minute on every row.
    void IdleTick();

    // Ascending by the column's rule; stable.
    void Sort(int column);
    // True when a comes before b by the column's rule.
    bool Less(const ActiveUserRow& a, const ActiveUserRow& b, int column) const;

private:
    const LocalePort* locale_;
    std::vector<ActiveUserRow> rows_;
};

// The client column: name " (" version ")", empty when unknown.
std::string ClientDescription(const std::string& name, const std::string& version);

} // namespace pellar
