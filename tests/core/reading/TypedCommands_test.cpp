#include "core/reading/TypedCommands.h"

#include <gtest/gtest.h>

#include "core/config/ShortcutMap.h"

namespace pellar {
namespace {

class FakePort : public TypedCommandPort {
public:
    bool connected = true;
    int connects = 0;
    std::vector<std::string> panel;
    std::vector<int> commands;
    std::string forwarded;

    bool IsConnected() override { return connected; }
    void Connect() override { ++connects; }
    void ShowTypedKeys(const std::string& keys) override { panel.push_back(keys); }
    void RunCommand(int command) override { commands.push_back(command); }
    void ForwardKey(char key) override { forwarded += key; }
};

class TypedCommandsTest : public ::testing::Test {
protected:
    FakePort port;
    std::vector<std::string> bindings{"nt=readnext", "ni=writetext", "k=writecom", "x=nosuchcommand"};
    TypedCommandInterpreter interp{port, [this] { return bindings; }};
};

TEST_F(TypedCommandsTest, MatchingFollowsBindingsInOrder)
{
    EXPECT_EQ(TypedCommandInterpreter::Match(bindings, "q"), kShortcutNone);
    EXPECT_EQ(TypedCommandInterpreter::Match(bindings, "n"), kShortcutPartial);
    EXPECT_EQ(TypedCommandInterpreter::Match(bindings, "nt"), static_cast<int>(UserCommand::ReadNext));
    EXPECT_EQ(TypedCommandInterpreter::Match(bindings, "x"), kShortcutPartial);  // unknown command key
    // A second equal binding cancels the first.
    std::vector<std::string> twice{"k=writecom", "k=writefoot"};
    EXPECT_EQ(TypedCommandInterpreter::Match(twice, "k"), kShortcutNone);
    // An exact binding wins over a longer one listed before or after it.
    std::vector<std::string> both{"kk=writefoot", "k=writecom", "kj=writetext"};
    EXPECT_EQ(TypedCommandInterpreter::Match(both, "k"), static_cast<int>(UserCommand::WriteCom));
}

TEST_F(TypedCommandsTest, UnboundKeyClearsBufferAndPanel)
{
    interp.KeyPressed('q');
    EXPECT_EQ(interp.Buffer(), "");
    ASSERT_EQ(port.panel.size(), 2u);
    EXPECT_EQ(port.panel[0], "q");
    EXPECT_EQ(port.panel[1], "");
    EXPECT_TRUE(port.commands.empty());
}

TEST_F(TypedCommandsTest, TwoKeyBindingCollectsThenRuns)
{
    interp.KeyPressed('n');
    EXPECT_EQ(interp.Buffer(), "n");
    EXPECT_TRUE(port.commands.empty());
    interp.KeyPressed('i');
    EXPECT_EQ(interp.Buffer(), "");
    EXPECT_EQ(port.commands, std::vector<int>{static_cast<int>(UserCommand::WriteText)});
    EXPECT_EQ(port.panel.back(), "");
}

TEST_F(TypedCommandsTest, DefaultMapBindsItsFirstItem)
{
    bindings = DefaultShortcutMap();
    for (char c : ShortcutKeys(bindings.front()))
        interp.KeyPressed(c);
    EXPECT_EQ(port.commands, std::vector<int>{static_cast<int>(UserCommand::ReadComTo)});
}

TEST_F(TypedCommandsTest, EscapeClearsPartialBuffer)
{
    interp.KeyPressed('n');
    interp.KeyPressed(TypedCommandInterpreter::kEscape);
    EXPECT_EQ(interp.Buffer(), "");
    interp.KeyPressed('t');
    EXPECT_TRUE(port.commands.empty());  // "t" alone binds nothing
}

TEST_F(TypedCommandsTest, OfflineEnterConnectsAndOtherKeysAreForwarded)
{
    port.connected = false;
    interp.KeyPressed('n');
    interp.KeyPressed('\r');
    interp.KeyPressed('\n');
    EXPECT_EQ(port.connects, 2);
    EXPECT_EQ(port.forwarded, "n");
    EXPECT_EQ(interp.Buffer(), "");
}

} // namespace
} // namespace pellar
