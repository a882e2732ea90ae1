#include "support/ScriptedSessionUi.h"

namespace pellar::test {

namespace {

template <typename T>
bool PopInto(std::deque<T>& answers, T& into)
{
    if (answers.empty())
        return false;
    into = answers.front();
    answers.pop_front();
    return true;
}

} // namespace

bool ScriptedSessionUi::askYesNo(std::string_view question)
{
    questions.emplace_back(question);
    bool answer = false;
    PopInto(yesNo, answer);
    return answer;
}

int32_t ScriptedSessionUi::chooseMatch(const std::vector<NameMatchRec>& matches)
{
    matchLists.push_back(matches);
    return matchChoice;
}

bool ScriptedSessionUi::askNewAccount(NewAccountFields& fields)
{
    accountDialogs.push_back(fields);
    return PopInto(newAccounts, fields);
}

bool ScriptedSessionUi::askNoPresentation()
{
    ++noPresentationAsked;
    return writePresentation;
}

int32_t ScriptedSessionUi::chooseName(std::string_view title, NameKind kind, std::string_view defaultName)
{
    nameAsks.push_back({std::string(title), kind, std::string(defaultName)});
    int32_t answer = -1;
    PopInto(names, answer);
    return answer;
}

std::optional<std::string> ScriptedSessionUi::inputBox(std::string_view title, std::string_view prompt,
                                                       std::string_view defaultText)
{
    questions.push_back(std::string(title) + ": " + std::string(prompt));
    lastInputDefault = defaultText;
    return input;
}

bool ScriptedSessionUi::askCreateConference(CreateConfFields& fields)
{
    createConfDialogs.push_back(fields);
    if (!createConf)
        return false;
    fields = *createConf;
    return true;
}

bool ScriptedSessionUi::askChangePassword(ChangePasswordFields& fields)
{
    passwordDialogs.push_back(fields);
    return PopInto(passwords, fields);
}

std::optional<SessionUi::ConfMember> ScriptedSessionUi::askConfMember(std::string_view title)
{
    memberDialogs.emplace_back(title);
    return member;
}

std::vector<std::string> ScriptedSessionUi::ProgressTexts() const
{
    std::vector<std::string> texts;
    for (const auto& [text, percent] : progress)
        texts.push_back(text);
    return texts;
}

} // namespace pellar::test
