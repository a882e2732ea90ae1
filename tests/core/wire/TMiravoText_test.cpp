#include "core/wire/TMiravoText.h"

#include <gtest/gtest.h>

#include "core/base/TSortedList.h"

namespace pellar {
namespace {

struct SubjectCase {
    const char* name;
    std::string contents;
    std::string subject;
    std::string body;
};

TEST(TMiravoText, SubjectAndBody)
{
    const std::vector<SubjectCase> cases = {
        {"no LF", "only a subject", "", ""},
        {"CR LF", "Hello\r\nline 1\r\nline 2", "Hello", "line 1\r\nline 2"},
        {"bare LF", "Hello\nbody", "Hello", "body"},
        {"only one CR removed", "Hi\r\r\nx", "Hi\r", "x"},
        {"empty subject", "\r\nbody", "", "body"},
        {"empty", "", "", ""},
    };
    for (const auto& c : cases) {
        TMiravoText t(1, c.contents);
        EXPECT_EQ(t.Subject(), c.subject) << c.name;
        EXPECT_EQ(t.Body(), c.body) << c.name;
    }
}

TEST(TMiravoText, SortsByNumberWithoutOverflow)
{
    TSortedList<TMiravoText> list;
    list.Add(std::make_shared<TMiravoText>(INT32_MAX, "a"));
    list.Add(std::make_shared<TMiravoText>(INT32_MIN + 1, "b"));
    list.Add(std::make_shared<TMiravoText>(5, "c"));
    EXPECT_EQ(list.Add(std::make_shared<TMiravoText>(5, "dup")), -1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0)->TextNo(), INT32_MIN + 1);
    EXPECT_EQ(list.Get(2)->TextNo(), INT32_MAX);
    EXPECT_EQ(list.Get(1)->Contents(), "c");
}

} // namespace
} // namespace pellar
