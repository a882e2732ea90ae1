// The configuration dialog's Spelling page: whether misspelt words are
// underlined while writing, and in which of the installed dictionaries'
// languages. Where none is installed the page says so, and nothing else does.
#include "gui/config/ConfigForm.h"

#include "core/config/ConfigKeys.h"
#include "core/config/SettingsPages.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/writing/SpellDictionaries.h"
#include "gui/config/InheritedHints.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace pellar {

namespace {

QString SpellCheckCaption()
{
    return QCoreApplication::translate("TConfigForm", "&Underline misspelt words while writing");
}

// "de_DE (German, Germany)"; the name alone where Qt does not know it.
QString DictionaryCaption(const std::string& language)
{
    const QString name = QString::fromStdString(language);
    const QLocale locale(name);
    if (locale.language() == QLocale::C || !name.startsWith(QLocale::languageToCode(locale.language())))
        return name;
    QString caption = QLocale::languageToString(locale.language());
    if (name.contains(u'_') && locale.territory() != QLocale::AnyTerritory)
        caption += QStringLiteral(", ") + QLocale::territoryToString(locale.territory());
    return QStringLiteral("%1 (%2)").arg(name, caption);
}

} // namespace

QWidget* TConfigForm::BuildSpellingPage()
{
    auto* page = new QWidget(this);
    spellCheckBox_ = NewCheckBox(SpellCheckCaption(), QStringLiteral("SpellCheckBox"));
    spellLanguageComboBox_ = new QComboBox(page);
    spellLanguageComboBox_->setObjectName(QStringLiteral("SpellLanguageComboBox"));
    spellNoteLabel_ = new QLabel(page);
    spellNoteLabel_->setObjectName(QStringLiteral("SpellNoteLabel"));
    spellNoteLabel_->setWordWrap(true);
    spellNoteLabel_->setText(
        tr("No spelling dictionary is installed, so nothing is checked. Install one (for example the "
                       "package hunspell-en-us, or another hunspell dictionary) and open this page again."));
    spellNoteLabel_->hide();

    auto* fields = new QFormLayout;
    auto* languageLabel = new QLabel(tr("&Language:"), page);
    languageLabel->setBuddy(spellLanguageComboBox_);
    fields->addRow(languageLabel, spellLanguageComboBox_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(spellCheckBox_);
    layout->addLayout(fields);
    layout->addWidget(spellNoteLabel_);
    layout->addStretch(1);
    return page;
}

void TConfigForm::LoadSpellingPage()
{
    const std::vector<SpellDictionary> installed =
        FindSpellDictionaries(dictionaryFolders_ ? *dictionaryFolders_ : SpellDictionaryFolders());
    const std::string locale = LocaleLanguage();

    const bool defaultOn = ConfigDefaultFlag(ConfigKeys::SpellCheck);
    loadedSpellCheck_ = config_->ReadTriState(ConfigKeys::SpellCheck, namedProfile_ ? TriState::Grayed
                                                                      : defaultOn ? TriState::Checked
                                                                                  : TriState::Unchecked);
    ShowTriState(spellCheckBox_, loadedSpellCheck_);
    const std::string inheritedOn =
        InheritedValue(*config_, ConfigKeys::SpellCheck, ConfigDefault(ConfigKeys::SpellCheck));
    ShowInheritedFlag(spellCheckBox_, SpellCheckCaption(), namedProfile_, inheritedOn != "0");

    loadedSpellLanguage_ = config_->ReadString(ConfigKeys::SpellLanguage, ConfigDefault(ConfigKeys::SpellLanguage));
    spellLanguageComboBox_->clear();
    // What an empty value comes to: the default profile's choice, or the locale's.
    const std::string inherited = namedProfile_ ? InheritedValue(*config_, ConfigKeys::SpellLanguage, "") : "";
    const std::optional<SpellDictionary> follows = ChooseSpellDictionary(installed, inherited, locale);
    const QString followsName = follows ? QString::fromStdString(follows->language) : tr("none");
    spellLanguageComboBox_->addItem(namedProfile_ ? tr("As the default profile (%1)").arg(followsName)
                                                  : tr("As the locale says (%1)").arg(followsName),
                                    QString());
    for (const SpellDictionary& dictionary : installed) {
        spellLanguageComboBox_->addItem(DictionaryCaption(dictionary.language),
                                        QString::fromStdString(dictionary.language));
    }
    const QString chosen = QString::fromStdString(loadedSpellLanguage_);
    int index = spellLanguageComboBox_->findData(chosen);
    if (index < 0) {
        // A choice whose dictionary went away stays the choice until changed.
        spellLanguageComboBox_->addItem(tr("%1 (not installed)").arg(chosen), chosen);
        index = spellLanguageComboBox_->count() - 1;
    }
    spellLanguageComboBox_->setCurrentIndex(index);

    spellNoteLabel_->setVisible(installed.empty());
    spellCheckBox_->setEnabled(!installed.empty());
    spellLanguageComboBox_->setEnabled(!installed.empty());
}

void TConfigForm::SaveSpellingPage()
{
    // Only what the user changed is written: a profile that never chose
    // keeps following the locale.
    const TriState on = TriStateOf(spellCheckBox_);
    if (on != loadedSpellCheck_)
        config_->WriteTriState(ConfigKeys::SpellCheck, on);
    const std::string language = spellLanguageComboBox_->currentData().toString().toStdString();
    if (language != loadedSpellLanguage_)
        config_->WriteString(ConfigKeys::SpellLanguage, language);
    loadedSpellCheck_ = on;
    loadedSpellLanguage_ = language;
}

} // namespace pellar
