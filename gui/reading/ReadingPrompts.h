// How the reading window asks the user: through the session's dialogs when
// the application hands them over (tests hand over scripted ones), else
// through plain Qt boxes. Also the conference commands' view of the window.
#pragma once

#include "core/reading/ConferenceCommands.h"
#include "core/session/SessionUi.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace pellar {

class ReadingPrompts : public ConferenceCommandUi {
public:
    explicit ReadingPrompts(QWidget* parent) : parent_(parent) {}

    void SetSessionUi(SessionQuestions* ui) { ui_ = ui; }
    SessionQuestions* Ui() const { return ui_; }
    // Where the conference commands send texts and presentations.
    void SetTextShower(std::function<void(int32_t)> show) { showText_ = std::move(show); }
    void SetCompositionOpener(std::function<void(PresentationKind, int32_t, int32_t, const std::string&)> open)
    {
        openComposition_ = std::move(open);
    }

    // Replaces the message box (tests).
    void SetMessageShower(std::function<void(const std::string&)> show) { showMessage_ = std::move(show); }

    bool AskYesNo(const std::string& question);
    std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                        const std::string& preset = std::string());
    // -1 when cancelled or when no chooser is available.
    int32_t Choose(const std::string& title, NameKind kind, const std::string& preset);

    // ConferenceCommandUi
    int32_t ChooseName(std::string_view title, std::string_view preset, NameKind kind) override;
    std::optional<std::string> AskString(std::string_view title, std::string_view prompt) override;
    void ShowMessageBox(std::string_view text) override;
    void ShowTextInReadingWindow(int32_t text) override;
    void OpenComposition(PresentationKind kind, int32_t target, int32_t recipient,
                         const std::string& subject) override;

private:
    QWidget* parent_;
    SessionQuestions* ui_ = nullptr;
    std::function<void(int32_t)> showText_;
    std::function<void(const std::string&)> showMessage_;
    std::function<void(PresentationKind, int32_t, int32_t, const std::string&)> openComposition_;
};

} // namespace pellar
