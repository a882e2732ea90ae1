// Sending text the profile's character set cannot hold is never silent: the
// user is shown which characters would become "?" and chooses to go back and
// edit or to send anyway.
#pragma once

#include "core/wire/WireCharset.h"

#include <QString>

#include <optional>

class QWidget;

namespace pellar {

// "日 (U+65E5), 本 (U+672C)": the characters as the question names them
// (the first twelve; "and N more" after them).
QString DescribeCharacters(const QString& characters);

// True when text may go out as it is or the user chose to send it with "?"
// in place of what the active set cannot hold; false to go back and edit.
// Asks only when something would be lost.
bool ConfirmSendable(QWidget* parent, const QString& text);
// The same for text that goes out in the given set (a profile being edited).
bool ConfirmSendable(QWidget* parent, const QString& text, WireCharset charset);

// A one-line text prompt whose answer goes to the server: asks as
// ConfirmSendable does, and "edit" shows the prompt again with the text.
// nullopt when the user cancels.
std::optional<QString> PromptSendableText(QWidget* parent, const QString& title, const QString& label,
                                          const QString& preset);

// The one-line note shown where a name with such characters is looked up.
QString UnencodableNameNote(const QString& characters);

} // namespace pellar
