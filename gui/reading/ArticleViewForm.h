// The article pane of the reading window: shows one text in the article
// layout, offers commands for the number or address under the caret, and
// turns keys typed into it into user commands through the shortcut map.
#pragma once

#include "core/reading/ArticlePanePort.h"
#include "core/reading/PreparedArticle.h"
#include "core/reading/TypedCommands.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;

namespace pellar {

class TMainStatusBar;
class TMiravoTextEdit;
class ContextWordSource;

class TArticleViewForm : public QWidget, private TypedCommandPort {
    Q_OBJECT

public:
    // port: what the pane asks of the reading side; it outlives the pane.
    explicit TArticleViewForm(ArticlePanePort& port, QWidget* parent = nullptr);
    ~TArticleViewForm() override;

    // Clears the pane and draws the prepared text (nothing when it could
    // not be had).
    void ShowArticle(const PreparedArticle& article);
    void Clear();

    void SetReformat(bool on) { reformat_ = on; }
    bool Reformat() const { return reformat_; }
    // Panel 1 shows the keys typed so far.
    void SetStatusBar(TMainStatusBar* bar);

    TMiravoTextEdit* MainEdit() const { return mainEdit_; }
    QMenu* PopupMenu1() const { return popupMenu_; }
    QAction* ReadTextAction() const { return readText_; }
    QAction* ViewPresentationAction() const { return viewPresentation_; }
    QAction* OpenURLAction() const { return openUrl_; }
    QAction* DeleteTextAction() const { return deleteText_; }
    QAction* MarkTextAction() const { return markText_; }
    QAction* TextPropertiesAction() const { return textProperties_; }
    QAction* NosuchtextofconferenceItem() const { return noSuchText_; }
    const std::string& TypedKeys() const { return interpreter_.Buffer(); }

    // The word under the caret (or the selection), before trimming.
    QString WordAtCaret() const;
    // Asks the port what the menu offers for the word at the caret; the
    // answer sets which items show and, when any does and at is given, pops
    // the menu up there (in global coordinates). The window keeps painting
    // meanwhile; an answer to an older question is dropped.
    void AskPopupMenu(std::optional<QPoint> at = std::nullopt);
    // The last question has its answer; and whether that showed any item.
    bool PopupAnswered() const { return popupAnswered_ == popupAsked_; }
    bool PopupOffered() const { return popupOffered_; }
    // The read-next key: true when there was more to scroll to instead.
    bool ScrollPageIfMore();

    // Prompts for numbers and questions; tests answer them without dialogs.
    struct Prompts {
        std::function<std::optional<QString>(const QString& title, const QString& prompt)> askText;
        std::function<bool(const QString& question)> confirm;
        std::function<bool(const QString& url)> openUrl;
    };
    void SetPrompts(Prompts prompts) { prompts_ = std::move(prompts); }

signals:
    // The reading window shows the text and adds it to its history.
    void ReadTextRequested(int32_t text);
    void PresentationRequested(int32_t confOrPerson);
    void TextPropertiesRequested(int32_t text);
    // A typed user command (1..26) for the reading window to run.
    void UserCommandRequested(int command);
    void ConnectRequested();
    // A key typed while offline, for the main window.
    void KeyForwarded(QChar key);

protected:
    // Alt+Enter in the text belongs to this view, not to the frame's
    // "Text properties" with the same keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TypedCommandPort
    bool IsConnected() override;
    void Connect() override;
    void ShowTypedKeys(const std::string& keys) override;
    void RunCommand(int command) override;
    void ForwardKey(char key) override;

    void CreateActions();
    void OnKeyPressed(QChar key);
    // The trimmed word as a number, or the number prompt's answer.
    std::optional<int32_t> NumberOrPrompt(const QString& title);
    void ReadTextActionExecute();
    void ViewPresentationActionExecute();
    void OpenURLActionExecute();
    void DeleteTextActionExecute();
    void MarkTextActionExecute();
    void TextPropertiesActionExecute();
    // Shows the items the offer names; false when it names none.
    bool ApplyOffer(const ContextMenuOffer& offer);

    ArticlePanePort& port_;
    TMiravoTextEdit* mainEdit_;
    QMenu* popupMenu_;
    QAction* noSuchText_ = nullptr;
    QAction* readText_ = nullptr;
    QAction* viewPresentation_ = nullptr;
    QAction* openUrl_ = nullptr;
    QAction* n5_ = nullptr;
    QAction* deleteText_ = nullptr;
    QAction* markText_ = nullptr;
    QAction* n7_ = nullptr;
    QAction* textProperties_ = nullptr;
    QPointer<TMainStatusBar> statusBar_;
    // Questions to the port about the menu, and the last one answered.
    uint64_t popupAsked_ = 0;
    uint64_t popupAnswered_ = 0;
    bool popupOffered_ = false;
    TypedCommandInterpreter interpreter_;
    Prompts prompts_;
    bool reformat_ = false;
};

} // namespace pellar
