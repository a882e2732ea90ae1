#include "core/search/TTextSearchThread.h"

#include <functional>

#include <gtest/gtest.h>

#include "core/base/GuiThread.h"
#include "core/search/SearchWorld.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

class FakeResults : public FindTextResults {
public:
    std::vector<int32_t> texts;
    std::vector<std::string> subjects;
    std::vector<int> progress;
    int finished = 0;
    std::function<void()> onResult;

    void AddResult(int32_t text, const std::string&, const std::string& subject) override
    {
        texts.push_back(text);
        subjects.push_back(subject);
        if (onResult)
            onResult();
    }
    void Progress(int percent) override { progress.push_back(percent); }
    void Finished() override { ++finished; }
};

class FindTextTest : public ::testing::Test, protected test::SearchWorld {
protected:
    void Run()
    {
        worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
        worker->Start();
        worker->Join();
    }

    FakeResults results;
    InlineGuiThread gui;
    std::unique_ptr<TTextSearchThread> worker;
};

TEST_F(FindTextTest, AuthorAloneListsExactlyThatPersonsTexts)
{
    Seed(1, 8);
    params.author = 7;
    Run();
    ASSERT_EQ(results.texts, (std::vector<int32_t>{1001, 1003, 1005, 1007}));
    EXPECT_EQ(results.subjects.front(), "Subject 1");
    EXPECT_EQ(results.finished, 1);
    EXPECT_EQ(results.progress.back(), 100);
    EXPECT_FALSE(worker->Running());
}

TEST_F(FindTextTest, LastTenExaminesTheNewestElevenLocals)
{
    Seed(1, 500);
    params.author = 6;
    params.lastN = 10;
    Run();
    EXPECT_EQ(worker->Examined(), 11);
    EXPECT_EQ(results.texts.front(), 1490);
    EXPECT_EQ(results.texts.back(), 1500);
}

TEST_F(FindTextTest, SubstringIgnoresCasePatternDoesNot)
{
    Seed(1, 3);
    SetText(1, "Meeting at NOON\nbody");
    SetText(2, "noon walk\nbody");
    SetText(3, "other\nwe meet at Noon");
    params.subjectPattern = "NOON";
    Run();
    EXPECT_EQ(results.texts, (std::vector<int32_t>{1001, 1002}));

    results = FakeResults{};
    params.usePatterns = true;
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1001});

    results = FakeResults{};
    params.subjectPattern.clear();
    params.bodyPattern = "N[a-z]+n";
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1003});
}

TEST_F(FindTextTest, SubstringFoldsLettersOfTheProfilesCharacterSet)
{
    Seed(1, 4);
    SetText(1, "\xc3\x85ngstr\xc3\xb6m units\nbody");                 // Ångström, UTF-8
    SetText(2, "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac\nbody");  // Ελληνικά
    SetText(3, "other\n\xd0\x9c\xd0\x9e\xd0\xa1\xd0\x9a\xd0\x92\xd0\x90");  // МОСКВА in the body
    SetText(4, "\xc5ngstr\xf6m in Latin-1\nbody");                      // Ångström, ISO-8859-1
    params.charset = WireCharset::Utf8;
    params.subjectPattern = "\xc3\xa5ngstr\xc3\xb6m";  // ångström
    Run();
    // Bytes that are not UTF-8 read as ISO-8859-1 letters, so the word an
    // older client wrote is found as well.
    EXPECT_EQ(results.texts, (std::vector<int32_t>{1001, 1004}));

    results = FakeResults{};
    params.subjectPattern = "\xce\xb5\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac";  // ελληνικά
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1002});

    results = FakeResults{};
    params.subjectPattern.clear();
    params.bodyPattern = "\xd0\xbc\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0";  // москва
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1003});

    // The same word in ISO-8859-1 folds by that set's letters.
    results = FakeResults{};
    params.charset = WireCharset::Latin1;
    params.bodyPattern.clear();
    params.subjectPattern = "\xe5ngstr\xf6m";
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1004});
    EXPECT_EQ(worker->Found(), 1);
}

TEST(FindTextSummary, SaysNothingWasFoundAndCountsUndecidedTexts)
{
    EXPECT_EQ(TTextSearchThread::Summary(0, 0, false), "No texts found");
    EXPECT_EQ(TTextSearchThread::Summary(1, 0, false), "1 text found");
    EXPECT_EQ(TTextSearchThread::Summary(12, 0, true), "Stopped: 12 texts found");
    EXPECT_EQ(TTextSearchThread::Summary(2, 3, false),
              "2 texts found. 3 texts were too long or too complex to search with this pattern");
}

TEST_F(FindTextTest, DateAndReadStateFilter)
{
    Seed(1, 6);
    params.author = 6;
    params.fromDate = 45004;  // locals 4.. are new enough
    Run();
    EXPECT_EQ(results.texts, (std::vector<int32_t>{1004, 1006}));

    results = FakeResults{};
    params.fromDate = 0;
    params.membership->MarkRead(2, false);
    params.includeRead = false;
    Run();
    EXPECT_EQ(results.texts, (std::vector<int32_t>{1004, 1006}));

    results = FakeResults{};
    params.includeRead = true;
    params.includeUnread = false;
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1002});

    results = FakeResults{};
    params.includeRead = false;
    Run();
    EXPECT_TRUE(results.texts.empty());
    EXPECT_EQ(results.finished, 1);
}

TEST_F(FindTextTest, MissingBodyOrStatusSkipsOnlyThatText)
{
    Seed(1, 4, 2);  // local 2 has no text
    source.texts.erase(1003);
    source.stats.erase(1004);
    params.subjectPattern = "subject";
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1001});
}

TEST_F(FindTextTest, SingleTextConferenceReportsFullProgress)
{
    Seed(5, 5);
    params.author = 7;
    Run();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1005});
    EXPECT_EQ(results.progress, std::vector<int>{100});
}

TEST_F(FindTextTest, StopIsHonouredBeforeMovingOn)
{
    Seed(1, 50);
    params.author = 6;
    worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
    results.onResult = [this] { worker->Stop(); };
    worker->Start();
    worker->Join();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1002});
    EXPECT_EQ(results.finished, 1);
}

TEST_F(FindTextTest, RunawayPatternIsBoundedAndTheSearchGoesOn)
{
    Seed(1, 2);
    SetText(1, "x\n" + std::string(40, 'a'));
    SetText(2, "x\naaac");
    params.bodyPattern = "[a{aa}]*";
    params.usePatterns = true;
    worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
    worker->SetStepBudget(100000);
    worker->Start();
    worker->Join();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1002});
    EXPECT_EQ(worker->Undecided(), 1);
}

TEST_F(FindTextTest, ATextIsUndecidedOnceAndOnlyWhenNoPatternMatchedIt)
{
    Seed(1, 2);
    const std::string runaway(40, 'a');
    SetText(1, runaway + "\n" + runaway);    // the subject gives up, the body does not match
    SetText(2, runaway + "\nhit " + runaway);  // the subject gives up, the body matches
    params.subjectPattern = "[a{aa}]*";
    params.bodyPattern = "hit";
    params.usePatterns = true;
    worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
    worker->SetStepBudget(100000);
    worker->Start();
    worker->Join();
    EXPECT_EQ(results.texts, std::vector<int32_t>{1002});
    EXPECT_EQ(worker->Undecided(), 1);
    EXPECT_EQ(worker->Found(), 1);
}

TEST_F(FindTextTest, StopInterruptsAMatchInProgress)
{
    Seed(1, 1);
    SetText(1, "x\n" + std::string(60, 'a'));
    params.bodyPattern = "[a{aa}]*";
    params.usePatterns = true;
    worker = std::make_unique<TTextSearchThread>(params, source, results, gui);
    worker->SetStepBudget(UINT64_MAX);  // without the stop flag this would never end
    worker->Start();
    ASSERT_TRUE(test::WaitUntil([&] { return source.bodyFetches.load() > 0; }));
    worker->Stop();
    worker->Join();
    EXPECT_TRUE(results.texts.empty());
    EXPECT_EQ(results.finished, 1);
}

TEST(FindTextChecks, StartChecksLastNAndPatterns)
{
    EXPECT_EQ(TTextSearchThread::CheckStart(0, false), "Conference to seek in is required");
    EXPECT_EQ(TTextSearchThread::CheckStart(20, false), "You are not a member of that conference");
    EXPECT_FALSE(TTextSearchThread::CheckStart(20, true));
    EXPECT_EQ(TTextSearchThread::ParseLastN("-1"), -1);
    EXPECT_EQ(TTextSearchThread::ParseLastN(TTextSearchThread::kAllTexts), -1);
    EXPECT_EQ(TTextSearchThread::ParseLastN("All"), -1);
    EXPECT_EQ(TTextSearchThread::ParseLastN("alla"), 1000);
    EXPECT_EQ(TTextSearchThread::ParseLastN("25"), 25);
    EXPECT_EQ(TTextSearchThread::ParseLastN("many"), 1000);
    FindTextParams p;
    p.usePatterns = true;
    p.subjectPattern = "{ab";
    EXPECT_TRUE(TTextSearchThread::CheckPatterns(p));
    p.usePatterns = false;
    EXPECT_FALSE(TTextSearchThread::CheckPatterns(p));
}

} // namespace
} // namespace pellar
