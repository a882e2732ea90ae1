#include "gui/shell/Translations.h"

#include "gui/common/CoreTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace pellar {

namespace {

constexpr char kResourceDir[] = ":/i18n";

// The translators in use; replaced as a whole when the language changes.
std::unique_ptr<QTranslator>& Own()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

std::unique_ptr<QTranslator>& QtOwn()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

void Uninstall(std::unique_ptr<QTranslator>& translator)
{
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

QStringList TranslatedLanguages()
{
    QStringList codes;
    for (const QString& file : QDir(QString::fromLatin1(kResourceDir)).entryList({QStringLiteral("pellar_*.qm")})) {
        QString code = file.mid(7);
        code.chop(3);
        codes << code;
    }
    return codes;
}

namespace {

QString Install(const QString& language)
{
    Uninstall(Own());
    Uninstall(QtOwn());
    const QStringList wanted = language.isEmpty() ? QLocale::system().uiLanguages() : QStringList{language};
    for (const QString& name : wanted) {
        const QLocale locale(name);
        // Written in English: nothing to translate, and a later language in
        // the list is not the user's first choice.
        if (locale.language() == QLocale::English || locale.language() == QLocale::C)
            return QStringLiteral("en");
        auto own = std::make_unique<QTranslator>();
        if (!own->load(locale, QStringLiteral("pellar"), QStringLiteral("_"), QString::fromLatin1(kResourceDir)))
            continue;
        QCoreApplication::installTranslator(own.get());
        Own() = std::move(own);
        // Qt's texts where it has them; without, its dialogs stay English.
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            QtOwn() = std::move(qt);
        }
        return QLocale::languageToCode(locale.language());
    }
    return QStringLiteral("en");
}

} // namespace

QString InstallTranslations(const QString& language)
{
    const QString installed = Install(language);
    // Core's labels as remembered in the language before.
    ForgetCoreLabels();
    return installed;
}

} // namespace pellar
