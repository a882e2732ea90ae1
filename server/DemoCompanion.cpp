#include "server/DemoCompanion.h"

#include "server/AsyncDelivery.h"
#include "server/DemoSeed.h"
#include "server/Dispatcher.h"
#include "server/SessionTable.h"
#include "server/Store.h"

namespace miravod {

namespace {

Arg IntArg(int32_t v)
{
    return Arg{ArgKind::Int, v, std::to_string(v)};
}

Arg StrArg(std::string s)
{
    return Arg{ArgKind::String, 0, std::move(s)};
}

Arg Sym(ArgKind k)
{
    return Arg{k, 0, {}};
}

const char* const kComments[] = {
    "Interesting, I had not thought of it that way.",
    "Agreed. Let us try it and see what happens.",
    "I just got back and read the whole thread.\nGood discussion, everyone.",
    "Could you explain the second part once more?"};

const char* const kMessages[] = {"Anyone up for coffee?", "Back in ten minutes.",
                                 "Reminder: the server is restarted tonight.\nSave your texts."};
// Sent too when names and texts are UTF-8.
const char* const kUtf8Messages[] = {"Fika i köket om fem minuter ☕🎉", "Καλησπέρα! Ο καφές είναι έτοιμος 🙂",
                                     "お疲れさまです！🎉"};

} // namespace

DemoCompanion::DemoCompanion(Store& store, SessionTable& sessions, Dispatcher& dispatcher, AsyncDelivery& async,
                             std::chrono::milliseconds interval)
    : store_(store), sessions_(sessions), dispatcher_(dispatcher), async_(async), interval_(interval)
{
    const Clock::duration first = interval_.count() > 0 ? Clock::duration(interval_) : std::chrono::seconds(20);
    next_ = Clock::now() + first;
    const auto person = store_.FindExactName(DemoSeed::kCompanionName);
    if (!person || !store_.Pers(*person)) {
        next_ = Clock::time_point::max();
        return;
    }
    Session& s = sessions_.Create(pellar::NowLocal());
    s.person = *person;
    s.userName = "oskar";
    s.host = "localhost";
    s.clientName = "miravod";
    s.clientVersion = "demo companion";
    s.activity = "Reading";
    session_ = s.number;
    person_ = *person;
}

uint32_t DemoCompanion::Random()
{
    seed_ = seed_ * 1103515245u + 12345u;
    return (seed_ >> 8) & 0xffffff;
}

std::string DemoCompanion::Run(Request& r)
{
    Session* s = sessions_.Find(session_);
    if (!s || store_.Pers(person_) == nullptr) return {};
    r.id = nextId_++;
    return dispatcher_.Handle(*s, r);
}

void DemoCompanion::Tick()
{
    if (interval_.count() > 0)
        next_ = Clock::now() + interval_;
    else
        next_ = Clock::now() + std::chrono::seconds(45 + Random() % 30);
    if (++ticks_ % 3 == 0) {
        SendMessage();
    } else {
        PostComment();
    }
    async_.Flush();
}

void DemoCompanion::PostComment()
{
    const Person* me = store_.Pers(person_);
    if (!me) return;
    // A recent text in one of the companion's conferences.
    std::vector<int32_t> candidates;
    for (const auto& [conf, m] : me->memberships) {
        const Conference* c = store_.Conf(conf);
        if (!c || conf == person_ || c->map.empty()) continue;
        for (size_t i = c->map.size(); i-- > 0 && c->map.size() - i <= 5;) {
            if (c->map[i]) candidates.push_back(c->map[i]);
        }
    }
    if (candidates.empty()) return;
    const int32_t parent = candidates[Random() % candidates.size()];
    const Text* p = store_.GetText(parent);
    if (!p) return;
    const std::string subject = p->body.substr(0, p->body.find('\n'));
    Request r;
    r.number = 86;
    r.args.push_back(StrArg(subject + "\n" + kComments[Random() % std::size(kComments)]));
    std::vector<int32_t> rcpts;
    for (const MiscItem& m : p->misc) {
        if (m.kind == MiscKind::Recipient && store_.IsMember(person_, m.number)) rcpts.push_back(m.number);
    }
    if (rcpts.empty()) return;
    r.args.push_back(IntArg(static_cast<int32_t>(rcpts.size() + 1)));
    r.args.push_back(Sym(ArgKind::Open));
    r.args.push_back(IntArg(2));
    r.args.push_back(IntArg(parent));
    for (int32_t c : rcpts) {
        r.args.push_back(IntArg(0));
        r.args.push_back(IntArg(c));
    }
    r.args.push_back(Sym(ArgKind::Close));
    r.args.push_back(IntArg(0));
    r.args.push_back(Sym(ArgKind::Star));
    Run(r);
}

void DemoCompanion::SendMessage()
{
    Request r;
    r.number = 53;
    r.args.push_back(IntArg(0));
    const bool utf8 = store_.Charset() == pellar::WireCharset::Utf8;
    const size_t choices = std::size(kMessages) + (utf8 ? std::size(kUtf8Messages) : 0);
    const size_t pick = Random() % choices;
    r.args.push_back(StrArg(pick < std::size(kMessages) ? kMessages[pick] : kUtf8Messages[pick - std::size(kMessages)]));
    Run(r);
}

} // namespace miravod
