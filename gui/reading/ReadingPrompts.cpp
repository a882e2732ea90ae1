#include "gui/reading/ReadingPrompts.h"
#include "gui/common/CoreTexts.h"

#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

namespace pellar {

bool ReadingPrompts::AskYesNo(const std::string& question)
{
    if (ui_)
        return ui_->askYesNo(question);
    return QMessageBox::question(parent_, QStringLiteral("Pellar"), CoreText(question),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> ReadingPrompts::InputBox(const std::string& title, const std::string& prompt,
                                                    const std::string& preset)
{
    if (ui_)
        return ui_->inputBox(title, prompt, preset);
    const std::optional<QString> text = PromptSendableText(parent_, CoreText(title), CoreText(prompt), FromWire(preset));
    if (!text)
        return std::nullopt;
    return ToWire(*text);
}

int32_t ReadingPrompts::Choose(const std::string& title, NameKind kind, const std::string& preset)
{
    return ui_ ? ui_->chooseName(title, kind, preset) : -1;
}

int32_t ReadingPrompts::ChooseName(std::string_view title, std::string_view preset, NameKind kind)
{
    return Choose(std::string(title), kind, std::string(preset));
}

std::optional<std::string> ReadingPrompts::AskString(std::string_view title, std::string_view prompt)
{
    return InputBox(std::string(title), std::string(prompt));
}

void ReadingPrompts::ShowMessageBox(std::string_view text)
{
    if (showMessage_) {
        showMessage_(std::string(text));
        return;
    }
    QMessageBox::information(parent_, QStringLiteral("Pellar"), CoreText(text));
}

void ReadingPrompts::ShowTextInReadingWindow(int32_t text)
{
    if (showText_)
        showText_(text);
}

void ReadingPrompts::OpenComposition(PresentationKind kind, int32_t target, int32_t recipient,
                                     const std::string& subject)
{
    if (openComposition_)
        openComposition_(kind, target, recipient, subject);
}

} // namespace pellar
