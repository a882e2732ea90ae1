// The windows' language for the texts core writes: progress steps, status
// lines, errors and the questions of the session's commands. Core is
// Qt-free and writes (and logs) them in English; here, where the windows
// show them, each is looked up in a table of the English texts (with %1...
// for the parts that vary, %n for a count) and shown in the user's language.
// A text the table does not know is shown as written.
#pragma once

#include <QString>

#include <string_view>

namespace pellar {

// The English text as the windows' language says it (one line or several;
// each line is looked up on its own). Parts that vary are looked up in turn,
// so "Stopped: 3 texts found" becomes a translation of both parts.
QString CoreText(const QString& english);
// Wire bytes from core (FromWire first).
QString CoreText(std::string_view wireText);

// The same for one of core's fixed labels ("Subject:"), asked for every
// article shown: each label is looked up once and remembered until the
// translations change. Any thread.
QString CoreLabel(const QString& english);
// Forgets the remembered labels; after the windows' language changed.
void ForgetCoreLabels();

// A user message as the session queues it: its first character says which
// icon it has ('!' a warning, 'i' information); the rest is the text.
QString CoreUserMessageText(std::string_view message);

} // namespace pellar
