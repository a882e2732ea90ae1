#include "server/PasswordRequests.h"

#include <memory>

#include "server/PasswordHash.h"

namespace miravod {

namespace {

constexpr size_t kMaxPassword = 1024;

PasswordJob Answer(std::string reply)
{
    PasswordJob job;
    job.finish = [reply = std::move(reply)](Session&) { return reply; };
    return job;
}

// What the worker gets and gives back.
struct HashWork {
    std::string password;
    std::string stored;      // to verify against; empty: nothing to verify
    std::string newPassword; // to hash when `make`
    bool make = false;
    int iterations = 0;
    bool verified = false;
    bool failed = false;     // the hash could not be made
    std::string made;

    void Run()
    {
        try {
            verified = !stored.empty() && PasswordHash::Verify(password, stored);
            if (make && (stored.empty() || verified)) made = PasswordHash::Make(newPassword, iterations);
        } catch (const std::exception&) {
            failed = true;
        }
    }
};

std::function<void()> WorkOf(const std::shared_ptr<HashWork>& w)
{
    return [w] { w->Run(); };
}

} // namespace

PasswordJob PasswordRequests::Prepare(Session& s, const Request& r)
{
    switch (static_cast<RequestNumber>(r.number)) {
    case RequestNumber::CreatePerson: return CreatePerson(s, r);
    case RequestNumber::SetPassword: return SetPassword(s, r);
    default: return Login(s, r);
    }
}

bool PasswordRequests::Throttle(PasswordJob& job, int32_t person, const Session& s)
{
    const auto now = std::chrono::steady_clock::now();
    std::unique_ptr<LogonThrottle::Ticket> ticket = ctx_.throttle.Begin(s.host, now);
    if (!ticket) return false;
    job.ticket = std::move(ticket);
    job.notBefore = ctx_.throttle.NotBefore(person, s.host, now);
    job.urgent = !ctx_.throttle.Suspect(person, s.host, now);
    job.recheck = [this, person, host = s.host](std::chrono::steady_clock::time_point at) {
        return ctx_.throttle.NotBefore(person, host, at);
    };
    return true;
}

PasswordJob PasswordRequests::CreatePerson(Session& s, const Request& r)
{
    ArgReader a(r);
    std::string name, password;
    if (!a.String(name) || !a.String(password) || !a.AtEnd()) return Answer(HandlerContext::BadArgs(r));
    if (!HandlerContext::ValidName(name)) return Answer(HandlerContext::Fail(r.id, kBadName));
    if (password.size() > kMaxPassword) return Answer(HandlerContext::Fail(r.id, kStringTooLong));
    if (auto existing = ctx_.store.FindExactName(name)) return Answer(HandlerContext::Fail(r.id, kConfExists, *existing));
    if (s.person == 0 && !ctx_.throttle.AllowAccount(s.host, std::chrono::steady_clock::now()))
        return Answer(HandlerContext::Fail(r.id, kTemporaryFailure));
    auto w = std::make_shared<HashWork>();
    w->newPassword = std::move(password);
    w->make = true;
    w->iterations = ctx_.cfg.passwordIterations;
    PasswordJob job;
    job.work = WorkOf(w);
    job.finish = [this, w, name = std::move(name), id = r.id](Session&) {
        if (w->failed) return HandlerContext::Fail(id, kTemporaryFailure);
        // Someone may have taken the name while the hash ran.
        if (auto existing = ctx_.store.FindExactName(name)) return HandlerContext::Fail(id, kConfExists, *existing);
        return HandlerContext::Ok(id, std::to_string(ctx_.store.CreatePerson(name, w->made, ctx_.Now())));
    };
    return job;
}

PasswordJob PasswordRequests::SetPassword(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t person = 0;
    std::string oldPw, newPw;
    if (!a.Int(person) || !a.String(oldPw) || !a.String(newPw) || !a.AtEnd()) return Answer(HandlerContext::BadArgs(r));
    const Person* p = ctx_.store.Pers(person);
    if (!p) return Answer(HandlerContext::Fail(r.id, kUndefinedPerson, person));
    if (newPw.size() > kMaxPassword) return Answer(HandlerContext::Fail(r.id, kStringTooLong));
    const bool admin = ctx_.Admin(s);
    if (person != s.person && !admin) return Answer(HandlerContext::Fail(r.id, kPermissionDenied, person));
    auto w = std::make_shared<HashWork>();
    w->newPassword = std::move(newPw);
    w->make = true;
    w->iterations = ctx_.cfg.passwordIterations;
    PasswordJob job;
    if (!admin) {
        w->password = std::move(oldPw);
        w->stored = p->passwordHash;
        if (!Throttle(job, person, s)) return Answer(HandlerContext::Fail(r.id, kTemporaryFailure));
    }
    job.work = WorkOf(w);
    job.finish = [this, w, person, admin, id = r.id](Session& s) {
        const Person* p = ctx_.store.Pers(person);
        if (!p) return HandlerContext::Fail(id, kUndefinedPerson, person);
        if (!admin && (!w->verified || p->passwordHash != w->stored)) {
            ctx_.throttle.Failed(person, s.host, std::chrono::steady_clock::now());
            return HandlerContext::Fail(id, kWrongPassword);
        }
        if (!admin) ctx_.throttle.Succeeded(person, s.host);
        if (w->failed) return HandlerContext::Fail(id, kTemporaryFailure);
        ctx_.store.EditPerson(person).passwordHash = w->made;
        return HandlerContext::Ok(id);
    };
    return job;
}

PasswordJob PasswordRequests::Login(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t person = 0, invisible = 0;
    std::string password;
    if (!a.Int(person) || !a.String(password) || !a.Int(invisible) || !a.AtEnd() || invisible < 0 || invisible > 1)
        return Answer(HandlerContext::BadArgs(r));
    const Person* p = ctx_.store.Pers(person);
    if (!p) return Answer(HandlerContext::Fail(r.id, kUndefinedPerson, person));
    auto w = std::make_shared<HashWork>();
    w->password = std::move(password);
    w->stored = p->passwordHash;
    PasswordJob job;
    if (!Throttle(job, person, s)) return Answer(HandlerContext::Fail(r.id, kTemporaryFailure));
    job.work = WorkOf(w);
    job.finish = [this, w, person, invisible, id = r.id](Session& s) {
        const Person* p = ctx_.store.Pers(person);
        if (!p) return HandlerContext::Fail(id, kUndefinedPerson, person);
        // A password changed while the hash ran counts as wrong.
        if (!w->verified || p->passwordHash != w->stored) {
            ctx_.throttle.Failed(person, s.host, std::chrono::steady_clock::now());
            return HandlerContext::Fail(id, kWrongPassword);
        }
        ctx_.throttle.Succeeded(person, s.host);
        if (s.person != 0) ctx_.async.LoggedOff(s.person, s.number, s.invisible);
        s.person = person;
        s.invisible = invisible != 0;
        s.adminEnabled = false;
        s.workingConf = 0;
        s.lastActive = std::chrono::steady_clock::now();
        ctx_.async.LoggedOn(s);
        return HandlerContext::Ok(id);
    };
    return job;
}

} // namespace miravod
