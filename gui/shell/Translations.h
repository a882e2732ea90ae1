// The windows' texts in the user's language: the program's own translation
// (translations/pellar_<lang>.ts, compiled into the program) for the first of
// the user's interface languages it has one for, with Qt's own texts (the
// buttons of its dialogs) in the same language. English is the texts as
// written: an English entry ahead in the list, or "en" asked for, keeps them.
#pragma once

#include <QString>
#include <QStringList>

namespace pellar {

// The languages the program has a translation of, as codes ("de").
QStringList TranslatedLanguages();

// Puts the translation for language in place of any installed before
// (language: a code such as "de" or "de_AT"; empty: the user's interface
// languages, from LANGUAGE, LC_ALL, LC_MESSAGES and LANG). Returns the code
// of the language the windows now speak, "en" when no translation is used.
QString InstallTranslations(const QString& language = QString());

} // namespace pellar
