// What the window tests share: the reference server with its demo data in
// this process, a session UI whose answers are given in advance, answering
// the next modal dialog, and screenshots on request.
#pragma once

#include "core/session/SessionUi.h"
#include "server/Server.h"

#include <QApplication>
#include <QDir>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellar::test {

// The demo system, without its companion, with cheap password hashes; null
// (and why) when it did not start.
inline std::unique_ptr<miravod::Server> StartDemoServer(std::string* why,
                                                       WireCharset charset = WireCharset::Latin1)
{
    miravod::ServerOptions options;
    options.demo = true;
    options.charset = charset;
    options.demoCompanion = false;
    options.passwordIterations = 1000;
    auto server = std::make_unique<miravod::Server>(options);
    if (!server->Start(why))
        return nullptr;
    return server;
}

// Answers the next modal dialog of type T once it is up.
template <typename T>
void AnswerDialog(std::function<void(T*)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}

// Saves a picture of the widget when PELLAR_SCREENSHOT_DIR is set, so the
// windows can be looked at without a display.
inline void SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("PELLAR_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Dialog answers given in advance (none left: no, cancel); what was asked
// is recorded.
class ScriptedSessionUi : public SessionUi {
public:
    ScriptedSessionUi() = default;
    explicit ScriptedSessionUi(LoginChoice choice) : login(std::move(choice)) {}

    std::optional<LoginChoice> login;
    std::deque<bool> yesNo;
    std::deque<std::optional<std::string>> inputs;
    std::deque<int32_t> names;
    std::vector<std::string> questions;
    std::vector<std::string> inputTitles;

    std::optional<LoginChoice> askLogin() override { return login; }
    void showProgress(std::string_view, int) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    bool askYesNo(std::string_view question) override
    {
        questions.emplace_back(question);
        return Next(yesNo, false);
    }
    int32_t chooseMatch(const std::vector<NameMatchRec>&) override { return -1; }
    bool askNewAccount(NewAccountFields&) override { return false; }
    bool askNoPresentation() override { return false; }
    void applyWindowSettings() override {}
    void setCaption(std::string_view) override {}
    void openPresentationEditor(int32_t) override {}
    void showText(int32_t) override {}
    void refreshConferenceList() override {}
    void dropConference(int32_t) override {}
    void goToConference(int32_t) override {}
    void setAdministratorMode(bool) override {}
    int32_t chooseName(std::string_view, NameKind, std::string_view) override { return Next(names, -1); }
    std::optional<std::string> inputBox(std::string_view title, std::string_view, std::string_view) override
    {
        inputTitles.emplace_back(title);
        return Next(inputs, std::optional<std::string>());
    }
    bool askCreateConference(CreateConfFields&) override { return false; }
    bool askChangePassword(ChangePasswordFields&) override { return false; }
    std::optional<ConfMember> askConfMember(std::string_view) override { return std::nullopt; }

private:
    template <typename T>
    static T Next(std::deque<T>& answers, T none)
    {
        if (answers.empty())
            return none;
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

} // namespace pellar::test
