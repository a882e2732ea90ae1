// The message box icon for a queued user message ("!" error, "i"
// information): the red cross of an error only for what failed; a command
// that had nothing to act on, or a word it cannot use, gets a warning.
#pragma once

#include <QMessageBox>

#include <string_view>

namespace pellar {

QMessageBox::Icon UserMessageIcon(std::string_view message);

} // namespace pellar
