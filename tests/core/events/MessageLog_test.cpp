// The kept messages log: entries come back in order and byte for byte, only
// the newest thousand stay, a torn or foreign file never yields garbage,
// each profile has its own private file, and clearing removes it.
#include "core/events/MessageLog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/TempDir.h"

namespace pellar {
namespace {

namespace fs = std::filesystem;

class MessageLogTest : public ::testing::Test {
protected:
    test::TempDir dir{"msglog"};
};

TEST_F(MessageLogTest, EntriesSurviveAReload)
{
    const fs::path file = MessageLog::FileFor(dir / "messages", "Profiles\\Work");
    {
        MessageLog log(file);
        log.Load();
        EXPECT_TRUE(log.Entries().empty());
        ASSERT_TRUE(log.Append("to Demo User\r\nfrom Anna Berg:\r\nHello\r\n"));
        ASSERT_TRUE(log.Append(std::string("binary\0and\n12\nlines", 19)));
        ASSERT_TRUE(log.Append(""));
    }
    MessageLog again(file);
    again.Load();
    ASSERT_EQ(again.Entries().size(), 3u);
    EXPECT_EQ(again.Entries()[0], "to Demo User\r\nfrom Anna Berg:\r\nHello\r\n");
    EXPECT_EQ(again.Entries()[1], std::string("binary\0and\n12\nlines", 19));
    EXPECT_EQ(again.Entries()[2], "");
}

TEST_F(MessageLogTest, OnlyTheNewestThousandAreKept)
{
    MessageLog log(dir / "log");
    for (size_t i = 0; i < MessageLog::kMaxEntries + 5; ++i)
        ASSERT_TRUE(log.Append("entry " + std::to_string(i)));
    MessageLog again(dir / "log");
    again.Load();
    ASSERT_EQ(again.Entries().size(), MessageLog::kMaxEntries);
    EXPECT_EQ(again.Entries().front(), "entry 5");
    EXPECT_EQ(again.Entries().back(), "entry " + std::to_string(MessageLog::kMaxEntries + 4));
}

// Entries are appended to the file and it is rewritten now and then: what a
// later run reads is the newest thousand however many came, the file does not
// grow without bound, and a file cut by a crash or removed under a running
// log loses no entry saved after it.
TEST_F(MessageLogTest, AppendedEntriesStayBoundedAndSurviveACutOrRemovedFile)
{
    const size_t many = 3 * MessageLog::kMaxEntries + 7;
    {
        MessageLog log(dir / "log");
        for (size_t i = 0; i < many; ++i) {
            ASSERT_TRUE(log.Append("entry " + std::to_string(i)));
            ASSERT_LE(fs::file_size(dir / "log"), 2 * MessageLog::Serialize(log.Entries()).size() + 64) << i;
        }
    }
    {
        MessageLog again(dir / "log");
        again.Load();
        ASSERT_EQ(again.Entries().size(), MessageLog::kMaxEntries);
        EXPECT_EQ(again.Entries().back(), "entry " + std::to_string(many - 1));
        EXPECT_EQ(again.Entries().front(), "entry " + std::to_string(many - MessageLog::kMaxEntries));
    }

    // A crash in the middle of an append leaves a torn last record.
    fs::resize_file(dir / "log", fs::file_size(dir / "log") - 3);
    {
        MessageLog after(dir / "log");
        after.Load();
        ASSERT_EQ(after.Entries().back(), "entry " + std::to_string(many - 2));
        ASSERT_TRUE(after.Append("after the crash"));
        ASSERT_TRUE(after.Append("and one more"));
        fs::remove(dir / "log");
        ASSERT_TRUE(after.Append("after the file went"));
    }
    MessageLog last(dir / "log");
    last.Load();
    ASSERT_EQ(last.Entries().size(), MessageLog::kMaxEntries);
    EXPECT_EQ(last.Entries()[last.Entries().size() - 4], "entry " + std::to_string(many - 2));
    EXPECT_EQ(last.Entries()[last.Entries().size() - 3], "after the crash");
    EXPECT_EQ(last.Entries()[last.Entries().size() - 2], "and one more");
    EXPECT_EQ(last.Entries().back(), "after the file went");
}

TEST_F(MessageLogTest, TornOrForeignFilesGiveOnlyWholeEntries)
{
    const std::string good = MessageLog::Serialize({"first", "second entry"});
    // Every cut keeps the whole entries before it and nothing else.
    for (size_t n = 0; n < good.size(); ++n) {
        const auto parsed = MessageLog::Parse(good.substr(0, n));
        if (!parsed)
            continue;  // cut inside the header
        for (const std::string& entry : *parsed)
            EXPECT_TRUE(entry == "first" || entry == "second entry") << "cut at " << n << ": " << entry;
        if (n < good.size()) {
            EXPECT_LT(parsed->size(), 2u) << n;
        }
    }
    EXPECT_FALSE(MessageLog::Parse("some other file\n"));
    // A length that runs past the data is not believed.
    const auto huge = MessageLog::Parse("pellar-messages 1\n5\nfirst\n999999999999\nx\n");
    ASSERT_TRUE(huge);
    EXPECT_EQ(*huge, std::deque<std::string>{"first"});
    EXPECT_EQ(MessageLog::Parse("pellar-messages 1\n-1\nx\n")->size(), 0u);
}

TEST_F(MessageLogTest, ProfilesHaveTheirOwnPrivateFile)
{
    const fs::path folder = dir / "messages"; // made by the log
    const fs::path work = MessageLog::FileFor(folder, "Profiles\\Work");
    const fs::path home = MessageLog::FileFor(folder, "Profiles\\Home");
    EXPECT_NE(work, home);
    EXPECT_EQ(work, MessageLog::FileFor(folder, "Profiles\\Work"));
    EXPECT_EQ(work.parent_path(), folder);
    EXPECT_EQ(work.filename().string().find('\\'), std::string::npos);

    ::umask(022);
    MessageLog log(work);
    ASSERT_TRUE(log.Append("private"));
    EXPECT_EQ(test::FileMode(work), 0600u);
    EXPECT_EQ(test::FileMode(folder), 0700u);
    EXPECT_FALSE(fs::exists(home));
}

TEST_F(MessageLogTest, ClearForgetsAndRemovesTheFile)
{
    MessageLog log(dir / "log");
    ASSERT_TRUE(log.Append("gone soon"));
    ASSERT_TRUE(fs::exists(dir / "log"));
    log.Clear();
    EXPECT_TRUE(log.Entries().empty());
    EXPECT_FALSE(fs::exists(dir / "log"));
    MessageLog again(dir / "log");
    again.Load();
    EXPECT_TRUE(again.Entries().empty());
}

} // namespace
} // namespace pellar
