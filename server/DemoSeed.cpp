#include "server/DemoSeed.h"

#include <array>
#include <string>
#include <vector>

#include "server/PasswordHash.h"
#include "server/Store.h"

namespace miravod {

namespace {

// Deterministic, so every demo run looks the same.
class Lcg {
public:
    uint32_t Next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 8) & 0xffffff;
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }

private:
    uint32_t state_ = 4711;
};

struct Post {
    int32_t author = 0;
    std::string subject, body;
    std::vector<int32_t> to, cc;
    int32_t commentTo = 0;
    int32_t footnoteTo = 0;
    TDateTime when = 0;
};

int32_t Write(Store& store, const Post& p)
{
    Text& t = store.NewText(p.author, p.when);
    t.body = p.subject + "\n" + p.body;
    auto add = [&](MiscKind kind, int32_t conf) {
        MiscItem m;
        m.kind = kind;
        m.number = conf;
        m.local = store.AppendToConference(conf, t.number, p.when);
        m.received = p.when;
        t.misc.push_back(m);
    };
    for (int32_t c : p.to) add(MiscKind::Recipient, c);
    for (int32_t c : p.cc) add(MiscKind::CarbonCopy, c);
    auto link = [&](MiscKind to, MiscKind back, int32_t other) {
        MiscItem m;
        m.kind = to;
        m.number = other;
        t.misc.push_back(m);
        MiscItem b;
        b.kind = back;
        b.number = t.number;
        store.EditText(other).misc.push_back(b);
    };
    if (p.commentTo) link(MiscKind::CommentTo, MiscKind::CommentIn, p.commentTo);
    if (p.footnoteTo) link(MiscKind::FootnoteTo, MiscKind::FootnoteIn, p.footnoteTo);
    AuxItem client;
    client.number = t.nextAux++;
    client.tag = 15;
    client.creator = p.author;
    client.created = p.when;
    client.data = "miravod demo";
    t.aux.push_back(client);
    return t.number;
}

void AddAux(Store& store, int32_t text, int32_t tag)
{
    Text& t = store.EditText(text);
    AuxItem a;
    a.number = t.nextAux++;
    a.tag = tag;
    a.creator = t.author;
    a.created = t.created;
    t.aux.push_back(a);
}

const std::array<const char*, 16> kSubjects = {
    "Best editor for long texts?", "Weekend plans",        "Server upgrade tonight",
    "Recommended reading",         "Coffee machine again", "Question about comments",
    "Old photographs",             "Train tickets",        "Favourite algorithms",
    "Rainy days",                  "New members welcome",  "Keyboard shortcuts",
    "A small puzzle",              "Concert on Friday",    "Backup routines",
    "Lunch places nearby"};

const std::array<const char*, 12> kLines = {
    "I have been thinking about this for a while.",
    "Does anyone else have experience with it?",
    "In my opinion the simplest way is usually the best.",
    "That is a good point, but it depends on the situation.",
    "I tried it last week and it worked surprisingly well.",
    "Let us discuss it at the next meeting.",
    "Here is what I found after some searching.",
    "I do not agree entirely, see below.",
    "Thanks, this was exactly what I needed.",
    "Perhaps we should write a summary somewhere.",
    "The old way had its charm too.",
    "Short answer: yes. Long answer: it is complicated."};

// Persons, a conference and texts beyond ISO-8859-1, for a server whose
// names and texts are UTF-8. One text keeps the ISO-8859-1 bytes an older
// client would have written. They land unread in the welcome conference,
// which the demo user reads first: they are the only unread texts there.
void AddInternational(Store& store, int passwordIterations, int32_t demo, int32_t welcome, int32_t persPres,
                      TDateTime& when)
{
    const int32_t readUpTo = store.Conf(welcome)->HighestLocal();
    struct Who {
        const char* name;
        const char* presentation;
    };
    const std::array<Who, 4> who = {{
        {"Ελένη Παπαδοπούλου", "Γεια σας! Γράφω από την Αθήνα."},
        {"山田 花子", "はじめまして。東京に住んでいます。"},
        {"Åsa Ångström", "Hej! Jag skriver på svenska, ibland på engelska."},
        {"Дмитрий Волков", "Привет! Я из Новосибирска."},
    }};
    std::vector<int32_t> persons;
    for (const Who& w : who) {
        const int32_t p = store.CreatePerson(w.name, PasswordHash::Make("demo", passwordIterations), when);
        for (int32_t c : {welcome, persPres}) store.AddMember(p, c, 100);
        Post pres;
        pres.author = p;
        pres.subject = w.name;
        pres.body = w.presentation;
        pres.to = {persPres};
        pres.when = when;
        when += 0.001;
        store.EditConf(p).presentation = Write(store, pres);
        persons.push_back(p);
    }
    const std::array<Post, 4> posts = {{
        {persons[0], "Ελληνικά στο σύστημα",
         "Καλημέρα σε όλους! Επιτέλους μπορώ να γράφω ελληνικά εδώ.\n"
         "Τα ονόματα βρίσκονται και με πεζά γράμματα: δοκιμάστε «ελέ».",
         {welcome}, {}, 0, 0, 0},
        {persons[1], "日本語のテスト", "こんにちは、皆さん。日本語で書いています。\n文字化けしませんように。", {welcome}, {}, 0, 0, 0},
        {persons[2], "Grüße, Ångström, Ελληνικά, 日本語, emoji 🎉",
         "Every script in one text: Grüße, Ångström, Ελληνικά, Русский, 日本語 and 🎉🙂.", {welcome}, {}, 0, 0, 0},
        {persons[2], "Written before the change",
         "Gr\xFC\xDF" "e aus M\xFCnchen! This text was stored as ISO-8859-1 bytes.", {welcome}, {}, 0, 0, 0},
    }};
    for (Post p : posts) {
        p.when = when;
        when += 0.001;
        Write(store, p);
    }
    store.EditMembership(demo, welcome).lastRead = readUpTo;
}

} // namespace

void DemoSeed::Fill(Store& store, int passwordIterations)
{
    Lcg rnd;
    const TDateTime now = pellar::NowLocal();
    const TDateTime start = now - 30;

    const int32_t persPres = store.CreateConference("Presentations of persons", "00000000", 0, start);
    const int32_t confPres = store.CreateConference("Presentations of conferences", "00000000", 0, start);
    const int32_t notices = store.CreateConference("Notices", "00000000", 0, start);
    const int32_t welcome = store.CreateConference("Welcome", "00000000", 0, start);
    const int32_t general = store.CreateConference("General discussion", "00000000", 0, start);
    const int32_t programming = store.CreateConference("Programming", "00000000", 0, start);
    const int32_t announce = store.CreateConference("Programming announcements", "01000000", 0, start);
    const int32_t board = store.CreateConference("Board room", "10000000", 0, start);
    const int32_t music = store.CreateConference("Music and concerts", "00001000", 0, start);
    store.EditConf(announce).superConf = programming;

    ServerInfoBlock& info = store.EditInfo();
    info.personPresentationConf = persPres;
    info.confPresentationConf = confPres;
    info.motdConf = notices;
    info.joinOnCreateConf = welcome;

    struct Who {
        const char* name;
        bool admin;
    };
    const std::array<Who, 7> who = {{{"Demo User", true},
                                     {"Anna Berg", false},
                                     {"Erik Holm", false},
                                     {"Lena Dahl", false},
                                     {kCompanionName, false},
                                     {"Maria Falk", false},
                                     {"Sven Ek", false}}};
    std::vector<int32_t> persons;
    for (const Who& w : who) {
        const int32_t p = store.CreatePerson(w.name, PasswordHash::Make("demo", passwordIterations), start);
        store.EditPerson(p).admin = w.admin;
        persons.push_back(p);
    }
    const int32_t demo = persons[0];
    for (int32_t c : {persPres, confPres, notices, welcome, general, programming, announce, board, music})
        store.EditConf(c).supervisor = demo;

    // Memberships of varied priority; the board room is closed to most.
    const std::vector<std::pair<int32_t, int32_t>> demoConfs = {
        {welcome, 250}, {notices, 200}, {general, 150}, {programming, 120},
        {announce, 110}, {board, 180}, {music, 60},     {persPres, 40}, {confPres, 30}};
    for (const auto& [c, prio] : demoConfs) store.AddMember(demo, c, prio);
    for (size_t i = 1; i < persons.size(); ++i) {
        for (int32_t c : {welcome, notices, general, programming, music, persPres}) store.AddMember(persons[i], c, 100);
    }
    store.AddMember(persons[1], board, 100);
    store.AddMember(persons[2], board, 100);

    TDateTime when = start;
    auto tick = [&] { when += 29.0 / 420.0; };

    // Presentations.
    for (size_t i = 0; i < persons.size(); ++i) {
        Post p;
        p.author = persons[i];
        p.subject = who[i].name;
        p.body = "Namn: " + std::string(who[i].name) + "\nEmail: " + std::to_string(persons[i]) +
                 "@example.org\nI enjoy long discussions and short messages.";
        p.to = {persPres};
        p.when = when;
        tick();
        store.EditConf(persons[i]).presentation = Write(store, p);
    }
    for (int32_t c : {general, programming, announce, board, music}) {
        Post p;
        p.author = demo;
        p.subject = store.Conf(c)->name;
        p.body = "What this conference is for, and what it is not for.";
        p.to = {confPres};
        p.when = when;
        tick();
        store.EditConf(c).presentation = Write(store, p);
    }
    {
        Post p;
        p.author = demo;
        p.subject = "Welcome to the demo system";
        p.body = "This server is seeded with discussions to read.\nPress space to read the next unread text.";
        p.to = {notices};
        p.when = when;
        tick();
        store.EditInfo().motdText = Write(store, p);
        Post m;
        m.author = demo;
        m.subject = "Please read before posting";
        m.body = "Be kind, stay on topic, and write a presentation of yourself.";
        m.to = {notices};
        m.when = when;
        tick();
        store.EditConf(welcome).motd = Write(store, m);
    }

    // Threaded discussions.
    const std::vector<int32_t> discussion = {general, programming, announce, music, welcome, board};
    std::vector<int32_t> all;
    while (store.TextCount() < 400) {
        const int32_t conf = discussion[rnd.Below(discussion.size())];
        const bool closed = conf == board;
        std::vector<int32_t> thread;
        const size_t length = 3 + rnd.Below(12);
        for (size_t k = 0; k < length; ++k) {
            Post p;
            p.author = closed ? persons[rnd.Below(3)] : persons[1 + rnd.Below(persons.size() - 1)];
            if (rnd.Below(5) == 0) p.author = demo;
            p.subject = kSubjects[(thread.empty() ? rnd.Below(kSubjects.size()) : 0)];
            if (!thread.empty()) p.subject = store.GetText(thread.front())->body.substr(
                                     0, store.GetText(thread.front())->body.find('\n'));
            p.body = std::string(kLines[rnd.Below(kLines.size())]) + "\n" + kLines[rnd.Below(kLines.size())];
            // Comments to announcements go to the super conference.
            p.to = {(conf == announce && !thread.empty()) ? programming : conf};
            if (!thread.empty()) p.commentTo = thread[rnd.Below(thread.size())];
            if (!closed && rnd.Below(12) == 0) p.cc = {p.to[0] == general ? music : general};
            p.when = when;
            tick();
            const int32_t n = Write(store, p);
            thread.push_back(n);
            all.push_back(n);
            if (!closed && rnd.Below(15) == 0) {
                Post f;
                f.author = p.author;
                f.subject = p.subject;
                f.body = "A footnote: I meant the second version, not the first.";
                f.to = p.to;
                f.footnoteTo = n;
                f.when = when;
                tick();
                all.push_back(Write(store, f));
            }
        }
    }

    // Texts that someone else added to a second conference.
    for (size_t i = 5; i < all.size(); i += 47) {
        Text& t = store.EditText(all[i]);
        if (t.misc.empty() || t.misc[0].number == board) continue;
        const int32_t target = t.misc[0].number == general ? programming : general;
        bool already = false;
        for (const MiscItem& m : t.misc) already = already || (m.IsRecipient() && m.number == target);
        if (already) continue;
        MiscItem m;
        m.kind = MiscKind::Recipient;
        m.number = target;
        m.local = store.AppendToConference(target, t.number, when);
        m.received = when;
        m.sentBy = persons[3];
        m.sentAt = when;
        t.misc.push_back(m);
    }
    AddAux(store, all[10], 6); // read confirmation requested
    AddAux(store, all[20], 4); // no comments wanted
    AddAux(store, all[30], 5); // personal comments only
    for (size_t i = 0; i < all.size(); i += 53) store.SetMark(demo, all[i], 100 + static_cast<int32_t>(i % 50));

    // The demo user has read the older half of the general discussion.
    const Conference* g = store.Conf(general);
    store.EditMembership(demo, general).lastRead = g->firstLocal - 1 + static_cast<int32_t>(g->map.size() / 2);
    const Conference* w = store.Conf(welcome);
    store.EditMembership(demo, welcome).lastRead = w->HighestLocal() - 3;
    if (store.Charset() == pellar::WireCharset::Utf8) AddInternational(store, passwordIterations, demo, welcome, persPres, when);
}

} // namespace miravod
