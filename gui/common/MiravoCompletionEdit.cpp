#include "gui/common/MiravoCompletionEdit.h"

#include "gui/common/GuiServices.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"

#include <QKeyEvent>
#include <QToolTip>

namespace pellar {

TMiravoCompletionEdit::TMiravoCompletionEdit(QWidget* parent) : QLineEdit(parent)
{
    // The keys are the keyboard's way to what the "..." button does.
    setAccessibleDescription(tr("Ctrl+K completes the name, Ctrl+N takes it as a number"));
    // Any edit by the user makes the name unverified again.
    connect(this, &QLineEdit::textEdited, this, [this] {
        isOK_ = false;
        SetUnderline(false);
    });
}

void TMiravoCompletionEdit::SetText(const QString& text)
{
    ShowUnverified(text);
}

int32_t TMiravoCompletionEdit::ConferenceNumber()
{
    if (!isOK_)
        Complete();
    return isOK_ ? number_ : -1;
}

void TMiravoCompletionEdit::SetConferenceNumber(int32_t number)
{
    std::optional<std::string> name;
    if (services_ && services_->names)
        name = services_->names->NameOf(number);
    ShowVerified(number, name ? FromWire(*name) : QString::number(number));
}

void TMiravoCompletionEdit::Complete()
{
    const QString typed = text();
    setText(kWorkingText);
    repaint(); // the look-up blocks the event loop; show that it is under way
    ShowResult(FindByName(typed), typed);
}

void TMiravoCompletionEdit::LookupNumber()
{
    const QString typed = text();
    setText(kWorkingText);
    repaint();
    bool ok = false;
    const int32_t number = typed.trimmed().toInt(&ok);
    ShowResult(ok ? number : -1, typed);
}

int32_t TMiravoCompletionEdit::FindByName(const QString& text)
{
    lookupFailed_ = false;
    // An empty entry names nobody; asking the server would match everyone.
    if (!services_ || !services_->names || text.trimmed().isEmpty())
        return -1;
    // A name the profile's set cannot hold cannot be on the server either.
    if (const QString missing = UnencodableCharacters(text); !missing.isEmpty()) {
        const QString note = UnencodableNameNote(missing);
        setToolTip(note);
        QToolTip::showText(mapToGlobal(QPoint(0, height())), note, this);
        return -1;
    }
    const bool persons = confTypes_.testFlag(TMVConfType::ctUsers);
    const bool conferences = confTypes_.testFlag(TMVConfType::ctConferences);
    NameLookupResult found = services_->names->Lookup(ToWire(text), persons, conferences);
    lookupFailed_ = found.failed;
    if (found.failed && !found.error.empty())
        PostUserMessage(services_, "!" + found.error, this);
    const std::vector<NameMatch>& matches = found.matches;
    if (matches.empty())
        return -1;
    if (matches.size() == 1)
        return matches.front().number;
    return ChooseName(services_, matches, this).value_or(-1);
}

void TMiravoCompletionEdit::ShowResult(int32_t number, const QString& typed)
{
    std::optional<std::string> name;
    if (number != -1 && services_ && services_->names)
        name = services_->names->NameOf(number);
    if (name)
        ShowVerified(number, FromWire(*name));
    else
        ShowUnverified(typed);
}

void TMiravoCompletionEdit::ShowVerified(int32_t number, const QString& name)
{
    setText(name);
    setToolTip(QString());
    number_ = number;
    isOK_ = true;
    SetUnderline(true);
}

void TMiravoCompletionEdit::ShowUnverified(const QString& text)
{
    setText(text);
    isOK_ = false;
    SetUnderline(false);
}

void TMiravoCompletionEdit::SetUnderline(bool on)
{
    QFont f = font();
    if (f.underline() == on)
        return;
    f.setUnderline(on);
    setFont(f);
}

bool TMiravoCompletionEdit::IsCommandKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (!(mods & Qt::ControlModifier) || (mods & Qt::ShiftModifier))
        return false;
    return event->key() == Qt::Key_K || event->key() == Qt::Key_N;
}

bool TMiravoCompletionEdit::event(QEvent* event)
{
    // Keep Ctrl+K and Ctrl+N away from window shortcuts while we have focus.
    if (event->type() == QEvent::ShortcutOverride && IsCommandKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void TMiravoCompletionEdit::keyPressEvent(QKeyEvent* event)
{
    if (IsCommandKey(event)) {
        if (event->key() == Qt::Key_K)
            Complete();
        else
            LookupNumber();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace pellar
