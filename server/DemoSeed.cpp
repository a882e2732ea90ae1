#include "server/DemoSeed.h"

#include <algorithm>
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

// The conferences, in the order they are created: their numbers follow it.
struct ConfSpec {
    const char* name;
    const char* type;
};
enum ConfIndex { kPersPres, kConfPres, kNotices, kWelcome, kGeneral, kProgramming, kAnnounce, kBoard, kMusic };
constexpr std::array<ConfSpec, 9> kConferences = {{
    {"Presentations of persons", "00000000"},
    {"Presentations of conferences", "00000000"},
    {"Notices", "00000000"},
    {"Welcome", "00000000"},
    {"General discussion", "00000000"},
    {"Programming", "00000000"},
    {"Programming announcements", "01000000"},
    {"Board room", "10000000"},
    {"Music and concerts", "00001000"},
}};

// The persons, in the order they are created; the first is the demo user.
struct PersonSpec {
    const char* name;
    bool admin;
};
constexpr std::array<PersonSpec, 7> kPersons = {{{"Demo User", true},
                                                 {"Anna Berg", false},
                                                 {"Erik Holm", false},
                                                 {"Lena Dahl", false},
                                                 {DemoSeed::kCompanionName, false},
                                                 {"Maria Falk", false},
                                                 {"Sven Ek", false}}};

// Fills the store step by step. The steps share one clock, one random
// sequence and the numbers handed out so far; their order is part of the
// result, since both the clock and the sequence run on.
class Seeder {
public:
    Seeder(Store& store, int passwordIterations)
        : store_(store), passwordIterations_(passwordIterations), start_(pellar::NowLocal() - 30)
    {
    }

    void Run()
    {
        CreateConferences();
        CreatePersons();
        JoinConferences();
        when_ = start_;
        WritePresentations();
        WriteNotices();
        WriteDiscussions();
        AddToSecondConferences();
        AddAuxItemsAndMarks();
        SetReadPositions();
        if (store_.Charset() == pellar::WireCharset::Utf8)
            AddInternational(store_, passwordIterations_, demo_, Conf(kWelcome), Conf(kPersPres), when_);
    }

private:
    int32_t Conf(ConfIndex index) const { return confs_[index]; }

    // Writes the post at the clock's time, then moves the clock on.
    int32_t WriteNow(Post p)
    {
        p.when = when_;
        when_ += 29.0 / 420.0;
        return Write(store_, p);
    }

    void CreateConferences()
    {
        for (size_t i = 0; i < kConferences.size(); ++i)
            confs_[i] = store_.CreateConference(kConferences[i].name, kConferences[i].type, 0, start_);
        store_.EditConf(Conf(kAnnounce)).superConf = Conf(kProgramming);

        ServerInfoBlock& info = store_.EditInfo();
        info.personPresentationConf = Conf(kPersPres);
        info.confPresentationConf = Conf(kConfPres);
        info.motdConf = Conf(kNotices);
        info.joinOnCreateConf = Conf(kWelcome);
    }

    void CreatePersons()
    {
        for (const PersonSpec& w : kPersons) {
            const int32_t p = store_.CreatePerson(w.name, PasswordHash::Make("demo", passwordIterations_), start_);
            store_.EditPerson(p).admin = w.admin;
            persons_.push_back(p);
        }
        demo_ = persons_[0];
        for (int32_t c : confs_)
            store_.EditConf(c).supervisor = demo_;
    }

    // Memberships of varied priority; the board room is closed to most.
    void JoinConferences()
    {
        const std::array<std::pair<ConfIndex, int32_t>, 9> demoConfs = {{{kWelcome, 250},
                                                                          {kNotices, 200},
                                                                          {kGeneral, 150},
                                                                          {kProgramming, 120},
                                                                          {kAnnounce, 110},
                                                                          {kBoard, 180},
                                                                          {kMusic, 60},
                                                                          {kPersPres, 40},
                                                                          {kConfPres, 30}}};
        for (const auto& [c, prio] : demoConfs) store_.AddMember(demo_, Conf(c), prio);
        for (size_t i = 1; i < persons_.size(); ++i) {
            for (ConfIndex c : {kWelcome, kNotices, kGeneral, kProgramming, kMusic, kPersPres})
                store_.AddMember(persons_[i], Conf(c), 100);
        }
        store_.AddMember(persons_[1], Conf(kBoard), 100);
        store_.AddMember(persons_[2], Conf(kBoard), 100);
    }

    void WritePresentations()
    {
        for (size_t i = 0; i < persons_.size(); ++i) {
            Post p;
            p.author = persons_[i];
            p.subject = kPersons[i].name;
            p.body = "Namn: " + std::string(kPersons[i].name) + "\nEmail: " + std::to_string(persons_[i]) +
                     "@example.org\nI enjoy long discussions and short messages.";
            p.to = {Conf(kPersPres)};
            store_.EditConf(persons_[i]).presentation = WriteNow(p);
        }
        for (ConfIndex c : {kGeneral, kProgramming, kAnnounce, kBoard, kMusic}) {
            Post p;
            p.author = demo_;
            p.subject = store_.Conf(Conf(c))->name;
            p.body = "What this conference is for, and what it is not for.";
            p.to = {Conf(kConfPres)};
            store_.EditConf(Conf(c)).presentation = WriteNow(p);
        }
    }

    // The message of the day and the welcome conference's notice.
    void WriteNotices()
    {
        Post p;
        p.author = demo_;
        p.subject = "Welcome to the demo system";
        p.body = "This server is seeded with discussions to read.\nPress space to read the next unread text.";
        p.to = {Conf(kNotices)};
        store_.EditInfo().motdText = WriteNow(p);
        Post m;
        m.author = demo_;
        m.subject = "Please read before posting";
        m.body = "Be kind, stay on topic, and write a presentation of yourself.";
        m.to = {Conf(kNotices)};
        store_.EditConf(Conf(kWelcome)).motd = WriteNow(m);
    }

    // Threads of comments in random conferences until there are 400 texts,
    // with a carbon copy or a footnote now and then.
    void WriteDiscussions()
    {
        const int32_t general = Conf(kGeneral), programming = Conf(kProgramming), announce = Conf(kAnnounce),
                      board = Conf(kBoard), music = Conf(kMusic);
        const std::vector<int32_t> discussion = {general, programming, announce, music, Conf(kWelcome), board};
        while (store_.TextCount() < 400) {
            const int32_t conf = discussion[rnd_.Below(discussion.size())];
            const bool closed = conf == board;
            std::vector<int32_t> thread;
            const size_t length = 3 + rnd_.Below(12);
            for (size_t k = 0; k < length; ++k) {
                Post p;
                p.author = closed ? persons_[rnd_.Below(3)] : persons_[1 + rnd_.Below(persons_.size() - 1)];
                if (rnd_.Below(5) == 0) p.author = demo_;
                p.subject = kSubjects[(thread.empty() ? rnd_.Below(kSubjects.size()) : 0)];
                if (!thread.empty()) p.subject = store_.GetText(thread.front())->body.substr(
                                         0, store_.GetText(thread.front())->body.find('\n'));
                p.body = std::string(kLines[rnd_.Below(kLines.size())]) + "\n" + kLines[rnd_.Below(kLines.size())];
                // Comments to announcements go to the super conference.
                p.to = {(conf == announce && !thread.empty()) ? programming : conf};
                if (!thread.empty()) p.commentTo = thread[rnd_.Below(thread.size())];
                if (!closed && rnd_.Below(12) == 0) p.cc = {p.to[0] == general ? music : general};
                const int32_t n = WriteNow(p);
                thread.push_back(n);
                all_.push_back(n);
                if (!closed && rnd_.Below(15) == 0) {
                    Post f;
                    f.author = p.author;
                    f.subject = p.subject;
                    f.body = "A footnote: I meant the second version, not the first.";
                    f.to = p.to;
                    f.footnoteTo = n;
                    all_.push_back(WriteNow(f));
                }
            }
        }
    }

    // Texts that someone else added to a second conference.
    void AddToSecondConferences()
    {
        const int32_t general = Conf(kGeneral);
        for (size_t i = 5; i < all_.size(); i += 47) {
            Text& t = store_.EditText(all_[i]);
            if (t.misc.empty() || t.misc[0].number == Conf(kBoard)) continue;
            const int32_t target = t.misc[0].number == general ? Conf(kProgramming) : general;
            bool already = false;
            for (const MiscItem& m : t.misc) already = already || (m.IsRecipient() && m.number == target);
            if (already) continue;
            MiscItem m;
            m.kind = MiscKind::Recipient;
            m.number = target;
            m.local = store_.AppendToConference(target, t.number, when_);
            m.received = when_;
            m.sentBy = persons_[3];
            m.sentAt = when_;
            t.misc.push_back(m);
        }
    }

    void AddAuxItemsAndMarks()
    {
        AddAux(store_, all_[10], 6); // read confirmation requested
        AddAux(store_, all_[20], 4); // no comments wanted
        AddAux(store_, all_[30], 5); // personal comments only
        for (size_t i = 0; i < all_.size(); i += 53)
            store_.SetMark(demo_, all_[i], 100 + static_cast<int32_t>(i % 50));
    }

    // The demo user has read the older half of the general discussion and
    // all but the last three texts of the welcome conference.
    void SetReadPositions()
    {
        const Conference* g = store_.Conf(Conf(kGeneral));
        store_.EditMembership(demo_, Conf(kGeneral)).lastRead =
            g->firstLocal - 1 + static_cast<int32_t>(g->map.size() / 2);
        const Conference* w = store_.Conf(Conf(kWelcome));
        store_.EditMembership(demo_, Conf(kWelcome)).lastRead = w->HighestLocal() - 3;
    }

    Store& store_;
    const int passwordIterations_;
    const TDateTime start_;
    TDateTime when_ = 0;
    Lcg rnd_;
    std::array<int32_t, kConferences.size()> confs_{};
    std::vector<int32_t> persons_;
    int32_t demo_ = 0;
    std::vector<int32_t> all_; // the discussions' texts, in the order written
};

} // namespace

void DemoSeed::Fill(Store& store, int passwordIterations)
{
    Seeder(store, std::min(passwordIterations, kDemoIterations)).Run();
}

} // namespace miravod
