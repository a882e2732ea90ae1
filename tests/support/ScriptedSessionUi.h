// A SessionUi whose answers a test scripts in advance and whose calls it
// records, so logon and the session commands run without dialogs.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/session/SessionUi.h"

namespace pellar::test {

namespace detail {
template <typename T>
bool PopInto(std::deque<T>& answers, T& into)
{
    if (answers.empty())
        return false;
    into = answers.front();
    answers.pop_front();
    return true;
}
} // namespace detail

class ScriptedSessionUi : public SessionUi {
public:
    // --- Answers (an empty queue answers "cancel" / "No") ---------------
    std::optional<LoginChoice> login;
    std::deque<bool> yesNo;
    int32_t matchChoice = -1;
    std::deque<NewAccountFields> newAccounts;
    bool writePresentation = false;
    std::deque<int32_t> names;
    std::optional<std::string> input;                 // every input box, once inputs ran out
    std::deque<std::optional<std::string>> inputs;    // the next input boxes, one each
    std::optional<CreateConfFields> createConf;
    std::deque<ChangePasswordFields> passwords;
    std::optional<ConfMember> member;
    std::deque<bool> trustCertificate;

    // --- What happened ----------------------------------------------------
    std::vector<std::pair<std::string, int>> progress;  // showProgress calls
    std::vector<int> gauge;                              // setProgress calls
    int hidden = 0;
    int windowSettingsApplied = 0;
    std::vector<std::string> questions;
    std::vector<std::vector<NameMatchRec>> matchLists;
    std::vector<NewAccountFields> accountDialogs;  // fields as each showing got them
    int noPresentationAsked = 0;
    std::string caption;
    std::vector<int32_t> presentationEditors;
    std::vector<int32_t> shownTexts;
    std::vector<size_t> progressAtShownText;  // progress.size() at each showText
    int conferenceListRefreshes = 0;
    std::vector<int32_t> droppedConferences;
    std::vector<int32_t> wentTo;
    std::optional<bool> adminMode;
    struct NameAsk {
        std::string title;
        NameKind kind;
        std::string defaultName;
    };
    std::vector<NameAsk> nameAsks;
    std::vector<CreateConfFields> createConfDialogs;
    std::vector<ChangePasswordFields> passwordDialogs;
    std::vector<std::string> memberDialogs;
    struct TrustAsk {
        std::string server;
        TlsPeer peer;
    };
    std::vector<TrustAsk> trustAsks;

    std::optional<LoginChoice> askLogin() override { return login; }
    void showProgress(std::string_view text, int percent) override { progress.emplace_back(text, percent); }
    void setProgress(int percent) override { gauge.push_back(percent); }
    bool askTrustCertificate(std::string_view server, const TlsPeer& peer) override
    {
        trustAsks.push_back({std::string(server), peer});
        bool answer = false;
        detail::PopInto(trustCertificate, answer);
        return answer;
    }
    void hideProgress() override { ++hidden; }
    bool askYesNo(std::string_view question) override
    {
        questions.emplace_back(question);
        bool answer = false;
        detail::PopInto(yesNo, answer);
        return answer;
    }
    int32_t chooseMatch(const std::vector<NameMatchRec>& matches) override
    {
        matchLists.push_back(matches);
        return matchChoice;
    }
    bool askNewAccount(NewAccountFields& fields) override
    {
        accountDialogs.push_back(fields);
        return detail::PopInto(newAccounts, fields);
    }
    bool askNoPresentation() override
    {
        ++noPresentationAsked;
        return writePresentation;
    }
    void applyWindowSettings() override { ++windowSettingsApplied; }
    void setCaption(std::string_view text) override { caption = text; }
    void openPresentationEditor(int32_t conf) override { presentationEditors.push_back(conf); }
    void showText(int32_t text) override
    {
        shownTexts.push_back(text);
        progressAtShownText.push_back(progress.size());
    }
    void refreshConferenceList() override { ++conferenceListRefreshes; }
    void dropConference(int32_t conf) override { droppedConferences.push_back(conf); }
    void goToConference(int32_t conf) override { wentTo.push_back(conf); }
    void setAdministratorMode(bool on) override { adminMode = on; }
    int32_t chooseName(std::string_view title, NameKind kind, std::string_view defaultName) override
    {
        nameAsks.push_back({std::string(title), kind, std::string(defaultName)});
        int32_t answer = -1;
        detail::PopInto(names, answer);
        return answer;
    }
    std::optional<std::string> inputBox(std::string_view title, std::string_view prompt,
                                        std::string_view defaultText) override
    {
        questions.push_back(std::string(title) + ": " + std::string(prompt));
        lastInputDefault = defaultText;
        std::optional<std::string> answer = input;
        detail::PopInto(inputs, answer);
        return answer;
    }
    bool askCreateConference(CreateConfFields& fields) override
    {
        createConfDialogs.push_back(fields);
        if (!createConf)
            return false;
        fields = *createConf;
        return true;
    }
    bool askChangePassword(ChangePasswordFields& fields) override
    {
        passwordDialogs.push_back(fields);
        return detail::PopInto(passwords, fields);
    }
    std::optional<ConfMember> askConfMember(std::string_view title) override
    {
        memberDialogs.emplace_back(title);
        return member;
    }

    // The texts of the progress steps, in order.
    std::vector<std::string> ProgressTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& [text, percent] : progress)
            texts.push_back(text);
        return texts;
    }
    std::string lastInputDefault;
};

} // namespace pellar::test
