#include "gui/reading/ArticleViewForm.h"

#include "core/reading/ContextWords.h"
#include "gui/common/ArticleRenderer.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"

#include <QAction>
#include <QDesktopServices>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>

namespace pellar {

namespace {

// The author chose the word, so only addresses that hand it to a browser,
// mail or news reader are opened; anything else could start a program.
bool IsSafeScheme(const QString& url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp") ||
           scheme == QLatin1String("mailto") || scheme == QLatin1String("news");
}

bool IsBlank(QChar c)
{
    return c.isSpace() || c == QChar(0);
}

} // namespace

TArticleViewForm::TArticleViewForm(ArticlePanePort& port, QWidget* parent)
    : QWidget(parent), port_(port), mainEdit_(new TMiravoTextEdit(this)), popupMenu_(new QMenu(this)),
      interpreter_(*this, [&port] { return port.Shortcuts(); })
{
    setObjectName(QStringLiteral("ArticleViewForm"));
    mainEdit_->setObjectName(QStringLiteral("MainEdit"));
    mainEdit_->setAccessibleName(tr("Text"));
    mainEdit_->setReadOnly(true);
    mainEdit_->SetAutoWrap(false);
    mainEdit_->setAcceptRichText(false);
    mainEdit_->setLineWrapMode(QTextEdit::NoWrap);
    // Keyboard navigation stays possible in a read-only pane.
    mainEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    mainEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mainEdit_);
    setFocusProxy(mainEdit_);
    CreateActions();
    connect(mainEdit_, &TMiravoTextEdit::KeyPressed, this, &TArticleViewForm::OnKeyPressed);
    mainEdit_->installEventFilter(this);
    connect(mainEdit_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { AskPopupMenu(mainEdit_->viewport()->mapToGlobal(pos)); });
}

TArticleViewForm::~TArticleViewForm() = default;

void TArticleViewForm::SetStatusBar(TMainStatusBar* bar)
{
    statusBar_ = bar;
}

void TArticleViewForm::CreateActions()
{
    auto add = [this](const char* name, const QString& caption, void (TArticleViewForm::*slot)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        popupMenu_->addAction(action);
        return action;
    };
    noSuchText_ = add("NosuchtextofconferenceItem", tr("No such text of conference"), nullptr);
    noSuchText_->setEnabled(false);
    readText_ = add("ReadTextAction", tr("&Read text"), &TArticleViewForm::ReadTextActionExecute);
    viewPresentation_ = add("ViewPresentationAction", tr("Read &presentation"),
                            &TArticleViewForm::ViewPresentationActionExecute);
    openUrl_ = add("OpenURLAction", tr("Open &URL"), &TArticleViewForm::OpenURLActionExecute);
    n5_ = popupMenu_->addSeparator();
    deleteText_ = add("DeleteTextAction", tr("&Delete text"), &TArticleViewForm::DeleteTextActionExecute);
    markText_ = add("MarkTextAction", tr("&Mark text"), &TArticleViewForm::MarkTextActionExecute);
    n7_ = popupMenu_->addSeparator();
    textProperties_ = add("TextPropertiesAction", tr("&Properties..."),
                          &TArticleViewForm::TextPropertiesActionExecute);
    // The keys show in the menu; eventFilter carries them out, so that they
    // never compete with the frame's action of the same keys.
    textProperties_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    textProperties_->setShortcutContext(Qt::WidgetShortcut);
    addAction(textProperties_);
}

void TArticleViewForm::ShowArticle(const PreparedArticle& article)
{
    Clear();
    mainEdit_->setUpdatesEnabled(false);
    ArticleRenderer::AppendRuns(*mainEdit_, article.runs);
    QTextCursor start(mainEdit_->document());
    mainEdit_->setTextCursor(start);
    mainEdit_->ensureCursorVisible();
    mainEdit_->setUpdatesEnabled(true);
}

void TArticleViewForm::Clear()
{
    mainEdit_->clear();
}

QString TArticleViewForm::WordAtCaret() const
{
    const QTextCursor caret = mainEdit_->textCursor();
    if (caret.hasSelection())
        return caret.selectedText();
    const QString line = caret.block().text();
    const int index = caret.position() - caret.block().position();
    int start = std::min<int>(index, static_cast<int>(line.size()));
    int end = start;
    while (start > 0 && !IsBlank(line.at(start - 1)))
        --start;
    while (end < line.size() && !IsBlank(line.at(end)))
        ++end;
    return line.mid(start, end - start);
}

void TArticleViewForm::AskPopupMenu(std::optional<QPoint> at)
{
    const uint64_t asked = ++popupAsked_;
    QPointer<TArticleViewForm> guard(this);
    port_.OfferFor(ToWire(WordAtCaret()), [guard, asked, at](const ContextMenuOffer& offer) {
        // The window went, or the user asked again meanwhile.
        if (!guard || asked != guard->popupAsked_)
            return;
        guard->popupAnswered_ = asked;
        guard->popupOffered_ = guard->ApplyOffer(offer);
        if (guard->popupOffered_ && at)
            guard->popupMenu_->popup(*at);
    });
}

bool TArticleViewForm::ApplyOffer(const ContextMenuOffer& offer)
{
    viewPresentation_->setVisible(offer.presentation);
    readText_->setVisible(offer.textCommands);
    deleteText_->setVisible(offer.textCommands);
    markText_->setVisible(offer.textCommands);
    textProperties_->setVisible(offer.textCommands);
    n5_->setVisible(offer.textCommands);
    n7_->setVisible(offer.textCommands);
    openUrl_->setVisible(offer.openUrl);
    noSuchText_->setVisible(offer.noSuchText);
    return offer.Any();
}

bool TArticleViewForm::ScrollPageIfMore()
{
    // The line at the bottom-left corner against the last line of the text.
    const QRect view = mainEdit_->viewport()->rect();
    const QTextCursor bottom = mainEdit_->cursorForPosition(QPoint(2, view.height() - 2));
    QTextCursor last(mainEdit_->document());
    last.movePosition(QTextCursor::End);
    if (bottom.blockNumber() >= last.blockNumber() &&
        mainEdit_->verticalScrollBar()->value() >= mainEdit_->verticalScrollBar()->maximum())
        return false;
    mainEdit_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    return true;
}

void TArticleViewForm::OnKeyPressed(QChar key)
{
    const ushort code = key.unicode();
    // Keys outside Latin-1 cannot be in the shortcut map.
    interpreter_.KeyPressed(code < 256 ? static_cast<char>(code) : '?');
}

bool TArticleViewForm::IsConnected()
{
    return port_.IsConnected();
}

void TArticleViewForm::Connect()
{
    emit ConnectRequested();
}

void TArticleViewForm::ShowTypedKeys(const std::string& keys)
{
    if (statusBar_)
        statusBar_->SetKeyCommand(FromWire(keys));
}

void TArticleViewForm::RunCommand(int command)
{
    if (command == static_cast<int>(UserCommand::ReadNext) && ScrollPageIfMore())
        return;
    emit UserCommandRequested(command);
}

void TArticleViewForm::ForwardKey(char key)
{
    emit KeyForwarded(QChar(static_cast<uchar>(key)));
}

std::optional<int32_t> TArticleViewForm::NumberOrPrompt(const QString& title)
{
    if (auto number = ContextWords::Number(ContextWords::Trim(ToWire(WordAtCaret()))))
        return number;
    std::optional<QString> answer;
    if (prompts_.askText) {
        answer = prompts_.askText(title, tr("Global text number:"));
    } else {
        bool ok = false;
        const QString text = QInputDialog::getText(this, title, tr("Global text number:"),
                                                   QLineEdit::Normal, QString(), &ok);
        if (ok)
            answer = text;
    }
    if (!answer)
        return std::nullopt;
    return ContextWords::Number(ToWire(answer->trimmed()));
}

void TArticleViewForm::ReadTextActionExecute()
{
    if (auto number = ContextWords::Number(ContextWords::Trim(ToWire(WordAtCaret()))))
        emit ReadTextRequested(*number);
}

void TArticleViewForm::ViewPresentationActionExecute()
{
    if (auto number = ContextWords::Number(ContextWords::Trim(ToWire(WordAtCaret()))))
        emit PresentationRequested(*number);
}

void TArticleViewForm::OpenURLActionExecute()
{
    const QString url = FromWire(ContextWords::UrlToOpen(ContextWords::Trim(ToWire(WordAtCaret()))));
    if (!IsSafeScheme(url)) {
        port_.PostUserMessage("!Only web, ftp, mail and news addresses can be opened");
        return;
    }
    if (prompts_.openUrl)
        prompts_.openUrl(url);
    else
        QDesktopServices::openUrl(QUrl(url));
}

void TArticleViewForm::DeleteTextActionExecute()
{
    const auto number = NumberOrPrompt(tr("Delete text"));
    if (!number)
        return;
    const QString question = tr("Really delete text %1?").arg(*number);
    const bool ok = prompts_.confirm ? prompts_.confirm(question)
                                     : QMessageBox::warning(this, QStringLiteral("Pellar"), question,
                                                            QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    if (!ok)
        return;
    port_.DeleteText(*number);
}

void TArticleViewForm::MarkTextActionExecute()
{
    const auto number = NumberOrPrompt(tr("Mark text"));
    if (!number)
        return;
    port_.MarkText(*number);
}

bool TArticleViewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mainEdit_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool altEnter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                              (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
        if (altEnter) {
            // Accepting the override turns the shortcut into a key press here.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                TextPropertiesActionExecute();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TArticleViewForm::TextPropertiesActionExecute()
{
    if (const auto number = NumberOrPrompt(tr("Edit text properties")))
        emit TextPropertiesRequested(*number);
}

} // namespace pellar
