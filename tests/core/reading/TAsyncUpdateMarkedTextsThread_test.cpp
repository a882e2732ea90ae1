#include "core/reading/TAsyncUpdateMarkedTextsThread.h"

#include <gtest/gtest.h>

#include "core/reading/FakeReadingServices.h"
#include "core/base/GuiThread.h"

namespace pellar {
namespace {

class FakeMarksView : public MarkedTextsView {
public:
    std::vector<std::string> labels;
    std::vector<std::vector<std::string>> rows;
    int finished = 0;
    void SetWorkingLabel(const std::string& text) override { labels.push_back(text); }
    void AddMarkRow(const std::string& text, const std::string& type, const std::string& subject) override
    {
        rows.push_back({text, type, subject});
    }
    void LoaderFinished() override { ++finished; }
};

TEST(ParseMarksReply, ReadsPairsAndNeverMoreThanTheLineHolds)
{
    struct Row {
        const char* line;
        std::vector<std::pair<int32_t, int32_t>> marks;
    } rows[] = {
        {"0 *", {}},
        {"2 { 10 100 12 7 }", {{10, 100}, {12, 7}}},
        {"1 { 10 100 12 7 }", {{10, 100}}},
        {"2000000000 { 5 1 }", {{5, 1}}},
        {"3 { 5 1 6", {{5, 1}}},
        {"", {}},
    };
    for (const Row& row : rows) {
        std::vector<std::pair<int32_t, int32_t>> got;
        for (const MarkRec& m : ParseMarksReply(row.line))
            got.emplace_back(m.text, m.type);
        EXPECT_EQ(got, row.marks) << row.line;
    }
}

TEST(MarkTypeFromInput, ANonNumberMeansOneHundred)
{
    EXPECT_EQ(MarkTypeFromInput("7"), 7);
    EXPECT_EQ(MarkTypeFromInput("255"), 255);
    EXPECT_EQ(MarkTypeFromInput("abc"), 100);
    EXPECT_EQ(MarkTypeFromInput(""), 100);
    EXPECT_EQ(MarkTypeFromInput("12x"), 100);
}

TEST(TAsyncUpdateMarkedTextsThread, AddsARowPerMarkWithTheSubjectAndForgetsItself)
{
    test::FakeReadingServices w;
    w.Post(10, "First subject", {});
    w.replies[23] = "2 { 10 100 11 5 }";
    InlineGuiThread gui;
    FakeMarksView view;
    TAsyncUpdateMarkedTextsThread loader(w, gui, view);
    loader.Start();
    loader.Join();
    ASSERT_EQ(w.requests.size(), 1u);
    EXPECT_EQ(w.requests[0], std::vector<int32_t>{23});
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0], (std::vector<std::string>{"10", "100", "First subject"}));
    EXPECT_EQ(view.rows[1], (std::vector<std::string>{"11", "5", ""}));  // body unavailable
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Working", ""}));
    EXPECT_EQ(view.finished, 1);
    EXPECT_FALSE(loader.Working());
}

TEST(TAsyncUpdateMarkedTextsThread, AFailedReplyOrADisconnectLeavesTheListEmpty)
{
    test::FakeReadingServices w;
    InlineGuiThread gui;
    FakeMarksView view;
    TAsyncUpdateMarkedTextsThread failed(w, gui, view);
    failed.Run();
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.finished, 1);

    w.disconnecting = true;
    w.replies[23] = "1 { 10 100 }";
    FakeMarksView view2;
    TAsyncUpdateMarkedTextsThread skipped(w, gui, view2);
    skipped.Run();
    EXPECT_EQ(w.requests.size(), 1u) << "no request while disconnecting";
    EXPECT_TRUE(view2.rows.empty());
    EXPECT_EQ(view2.labels, std::vector<std::string>{""});
    EXPECT_EQ(view2.finished, 1);
}

} // namespace
} // namespace pellar
