// Drafts on disk: what goes in comes back byte for byte, per profile and
// newest first; damaged or foreign files are refused, never half read; the
// files are the user's alone.
#include "core/writing/DraftStore.h"

#include "core/base/PrivateFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace pellar {
namespace {

namespace fs = std::filesystem;

class DraftStoreTest : public ::testing::Test {
protected:
    static Draft Sample(std::string profile, int64_t saved, std::string subject)
    {
        Draft d;
        d.profile = std::move(profile);
        d.savedAt = saved;
        d.subject = std::move(subject);
        d.body = "line one\r\nline two with \xe5\xe4\xf6\n\nend\n";
        d.links = {{LinkKind::Recipient, 6, {}}, {LinkKind::CarbonCopy, 12, {}}, {LinkKind::CommentTo, 4711, {}}};
        d.checks.noComments = true;
        return d;
    }

    test::TempDir root{"drafts"};
};

TEST_F(DraftStoreTest, SerializedDraftParsesBackToTheSameFields)
{
    Draft d = Sample("Profiles\\Work", 1700000000, "Subject with\nnewline and end\nmarker");
    d.body = std::string("binary\0body\nend\n", 16);
    d.place = DraftPlace{"news.example.org", "4894", 17, "Anna\nBerg"};
    const auto back = DraftStore::Parse(DraftStore::Serialize(d));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->profile, d.profile);
    EXPECT_EQ(back->place.server, "news.example.org");
    EXPECT_EQ(back->place.port, "4894");
    EXPECT_EQ(back->place.person, 17);
    EXPECT_EQ(back->place.personName, "Anna\nBerg");
    EXPECT_EQ(back->savedAt, d.savedAt);
    EXPECT_EQ(back->subject, d.subject);
    EXPECT_EQ(back->body, d.body);
    EXPECT_EQ(back->links, d.links);
    EXPECT_FALSE(back->checks.readConfirmation);
    EXPECT_TRUE(back->checks.noComments);
    EXPECT_FALSE(back->checks.personalComments);
}

TEST_F(DraftStoreTest, DamagedOrForeignBytesAreRefused)
{
    Draft placed = Sample("p", 1, "s");
    placed.place = DraftPlace{"host", "1", 6, "Name"};
    const std::string good = DraftStore::Serialize(placed);
    ASSERT_TRUE(DraftStore::Parse(good));
    // Every cut short of the whole file is refused, not read as a shorter draft.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DraftStore::Parse(good.substr(0, n))) << "accepted a draft cut at " << n;
    EXPECT_FALSE(DraftStore::Parse(good + "trailing"));
    EXPECT_FALSE(DraftStore::Parse("not a draft at all\n"));
    // A length beyond the data must not be trusted.
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nsubject 99999999999\nabc\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nlink 9 5\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nlink 0 -5\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nchecks 012\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nunknown 1\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nperson 0\nend\n"));
    EXPECT_FALSE(DraftStore::Parse("pellar-draft 1\nperson x\nend\n"));
}

TEST_F(DraftStoreTest, ADraftIsOfferedOnlyToTheSamePersonOnTheSameServer)
{
    DraftStore store(root / "drafts");
    const DraftPlace here{"News.Example.org", "4894", 6, "Anna"};
    const auto save = [&](std::string profile, int64_t saved, std::string subject, DraftPlace place) {
        Draft d = Sample(std::move(profile), saved, std::move(subject));
        d.place = std::move(place);
        d.id = store.NewId();
        EXPECT_TRUE(store.Save(d));
    };
    save("Work", 10, "here", {"news.example.org", "4894", 6, "Anna"});
    save("Home", 20, "same place, other profile", {"news.example.org", "4894", 6, "Anna"});
    save("Work", 30, "moved port, same profile", {"news.example.org", "5000", 6, "Anna"});
    save("Home", 40, "other port and profile", {"news.example.org", "5000", 6, "Anna"});
    save("Work", 50, "other person", {"news.example.org", "4894", 7, "Bo"});
    save("Work", 60, "other server", {"chat.example.org", "4894", 6, "Anna"});
    save("Work", 70, "older, place unknown", {});
    save("Home", 80, "older, other profile", {});

    std::vector<std::string> offered;
    for (const Draft& d : store.ListFor("Work", here))
        offered.push_back(d.subject);
    EXPECT_EQ(offered, (std::vector<std::string>{"older, place unknown", "moved port, same profile",
                                                 "same place, other profile", "here"}));
    // Not logged on anywhere known: only the profile's older drafts.
    std::vector<std::string> nowhere;
    for (const Draft& d : store.ListFor("Work", DraftPlace{}))
        nowhere.push_back(d.subject);
    EXPECT_EQ(nowhere, std::vector<std::string>{"older, place unknown"});
}

TEST_F(DraftStoreTest, SavedDraftsAreListedPerProfileNewestFirst)
{
    DraftStore store(root / "drafts");
    Draft older = Sample("Work", 100, "older");
    older.id = store.NewId();
    Draft newer = Sample("Work", 200, "newer");
    newer.id = store.NewId();
    Draft other = Sample("Home", 300, "other profile");
    other.id = store.NewId();
    EXPECT_NE(older.id, newer.id);
    for (const Draft* d : {&older, &newer, &other})
        ASSERT_TRUE(store.Save(*d));

    const auto work = store.List("Work");
    ASSERT_EQ(work.size(), 2u);
    EXPECT_EQ(work[0].subject, "newer");
    EXPECT_EQ(work[0].id, newer.id);
    EXPECT_EQ(work[1].subject, "older");
    ASSERT_EQ(store.List("Home").size(), 1u);

    store.Remove(newer.id);
    const auto left = store.List("Work");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, older.id);
}

TEST_F(DraftStoreTest, SavingAgainReplacesTheDraftAndLeavesNoTemporaryFile)
{
    DraftStore store(root);
    Draft d = Sample("Work", 1, "first");
    d.id = store.NewId();
    ASSERT_TRUE(store.Save(d));
    d.subject = "second";
    d.savedAt = 2;
    ASSERT_TRUE(store.Save(d));
    const auto listed = store.List("Work");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].subject, "second");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".draft") << entry.path();
    }
    EXPECT_EQ(files, 1);
}

TEST_F(DraftStoreTest, UnreadableFilesAndUnsafeIdsAreSkipped)
{
    DraftStore store(root);
    std::ofstream(root / "broken.draft") << "pellar-draft 1\nsubject 5\nab";
    std::ofstream(root / "notes.txt") << DraftStore::Serialize(Sample("Work", 1, "not a draft file name"));
    EXPECT_TRUE(store.List("Work").empty());

    Draft escape = Sample("Work", 1, "x");
    escape.id = "../escape";
    EXPECT_FALSE(store.Save(escape));
    EXPECT_FALSE(fs::exists(root.path().parent_path() / "escape.draft"));
    EXPECT_FALSE(store.Load("../broken"));
}

TEST_F(DraftStoreTest, FilesAndTheirFolderArePrivate)
{
    DraftStore store(root / "new" / "drafts");
    Draft d = Sample("Work", 1, "private");
    d.id = store.NewId();
    ::umask(022);
    ASSERT_TRUE(store.Save(d));
    EXPECT_EQ(test::FileMode(root / "new" / "drafts"), 0700u);
    EXPECT_EQ(test::FileMode(root / "new" / "drafts" / (d.id + ".draft")), 0600u);
}

TEST_F(DraftStoreTest, SmallFileReaderRefusesWhatIsTooLarge)
{
    const fs::path file = root / "f";
    ASSERT_TRUE(WritePrivateFile(file, std::string(1000, 'x')));
    EXPECT_EQ(ReadSmallFile(file, 1000).value_or("").size(), 1000u);
    EXPECT_FALSE(ReadSmallFile(file, 999));
    EXPECT_FALSE(ReadSmallFile(root / "missing", 10));
}

} // namespace
} // namespace pellar
