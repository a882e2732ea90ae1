// "Configuration": edits every user setting of one profile on eight pages
// (General, Alerts, Activity msg, Keyboard, Filter, Misc, Fonts, Spelling). Values reach
// the store only through Ok or Apply; afterwards the open windows are asked to
// save and re-apply their own layout through hooks the opener supplies.
#pragma once

#include "core/config/SettingsPages.h"
#include "core/wire/WireTokens.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellar {

class TMiravoConfiguration;
class TTlsSettingsBox;

// What the other windows do after the settings are saved, called in this
// order; any of them may be empty.
struct WindowSettingsHooks {
    std::function<void()> saveMainPosition;        // main window: SaveWindowPosition
    std::function<void()> saveReadingLayout;       // reading window: SaveLayout
    std::function<void()> saveActiveUsersColumns;  // active users: SaveColumnWidths
    std::function<void()> applyReadingLayout;      // reading window: ApplyLayout
    std::function<void()> applyMainWindowSettings; // main window: ApplyWindowSettings
    std::function<void()> applySpelling;           // the editors' spell checker: Refresh
};

class TConfigForm : public QDialog {
    Q_OBJECT

public:
    // The modal pickers the dialog uses; tests replace them. nullopt / false
    // mean the user cancelled.
    using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)>;
    using ColorChooser = std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)>;
    using YesNoQuestion = std::function<bool(QWidget* parent, const QString& title, const QString& text)>;
    using Warning = std::function<void(QWidget* parent, const QString& title, const QString& text)>;

    explicit TConfigForm(QWidget* parent = nullptr);
    ~TConfigForm() override;

    // The configuration to edit; must outlive the dialog's showing. Its
    // inherit flag is cleared while the dialog is shown, and the pages are
    // loaded from its current profile each time the dialog is shown.
    void SetConfiguration(TMiravoConfiguration* config) { config_ = config; }
    TMiravoConfiguration* Configuration() const { return config_; }
    void SetWindowSettingsHooks(WindowSettingsHooks hooks) { hooks_ = std::move(hooks); }

    void SetFontChooser(FontChooser chooser) { fontChooser_ = std::move(chooser); }
    void SetColorChooser(ColorChooser chooser) { colorChooser_ = std::move(chooser); }
    void SetYesNoQuestion(YesNoQuestion question) { question_ = std::move(question); }
    // Tells why Ok or Apply refused a value.
    void SetWarning(Warning warning) { warning_ = std::move(warning); }
    // Where the Spelling page looks for dictionaries (tests); unset: the
    // usual places.
    void SetDictionaryFolders(std::vector<std::filesystem::path> folders) { dictionaryFolders_ = std::move(folders); }

    // Writes the pages to the profile and runs the window hooks (Apply).
    void Save();

    // --- Controls, for the tests ---------------------------------------
    QTabWidget* Pages() const { return pages_; }
    QLineEdit* HostEdit() const { return hostEdit_; }
    QLineEdit* PortEdit() const { return portEdit_; }
    // "As the default profile" (named profiles only), ISO-8859-1, UTF-8.
    QComboBox* CharsetComboBox() const { return charsetComboBox_; }
    QPushButton* KnownServersButton() const { return button1_; }
    QMenu* KnownServersMenu() const { return knownServersMenu_; }
    QLineEdit* NameEdit() const { return nameEdit_; }
    QLineEdit* PwdEdit() const { return pwdEdit_; }
    QCheckBox* SavePwdCheckBox() const { return savePwdCheckBox_; }
    // Says which of the keyring and the settings file holds the password.
    QLabel* PasswordPlaceLabel() const { return passwordPlaceLabel_; }
    QCheckBox* EnableProxyCheckBox() const { return enableProxyCheckBox_; }
    QLineEdit* ProxyServerEdit() const { return proxyServerEdit_; }
    QLineEdit* ProxyPortEdit() const { return proxyPortEdit_; }
    TTlsSettingsBox* TlsBox() const { return tlsBox_; }
    QLineEdit* AnswerTimeoutEdit() const { return answerTimeoutEdit_; }
    // In page order: sound, tray, focus; all / personal / priority.
    QCheckBox* AlertCheckBox(int index) const { return alertCheckBoxes_[index]; }
    // Sound, tray, focus.
    QLineEdit* PriorityEdit(int index) const { return priorityEdits_[index]; }
    // The tray icon stays, with the number of unread texts (off by default).
    QCheckBox* PermanentTrayCheckBox() const { return permanentTrayCheckBox_; }
    static constexpr const char* kPermanentTrayKey = "PermanentTrayIcon";
    QTreeWidget* ActivityListView() const { return listView1_; }
    QLineEdit* MessageEdit() const { return messageEdit_; }
    QPushButton* SetButton() const { return setButton_; }
    QTreeWidget* KeyMapListView() const { return keyMapListView_; }
    QLineEdit* NewKeymapEdit() const { return newKeymapEdit_; }
    QComboBox* KeyboardCmdComboBox() const { return keyboardCmdComboBox_; }
    QPushButton* AddKeyButton() const { return addKeyButton_; }
    QPushButton* RemoveKeyButton() const { return removeKeyButton_; }
    QPushButton* DefaultKeysButton() const { return defaultKeysButton_; }
    QCheckBox* FilterAddedCheckBox() const { return filterAddedCheckBox_; }
    QCheckBox* ShowSubjTreeCheckBox() const { return showSubjTreeCheckBox_; }
    QCheckBox* MarkReadCheckBox() const { return markReadCheckBox_; }
    QCheckBox* AutoReconnectCheckBox() const { return autoReconnectCheckBox_; }
    QCheckBox* LineWrapCheckBox() const { return lineWrapCheckBox_; }
    QCheckBox* AlignTopCheckBox() const { return alignTopCheckBox_; }
    QCheckBox* ShowCommentedCheckBox() const { return showCommentedCheckBox_; }
    QGroupBox* StartWSizeRadioGroup() const { return startWSizeRadioGroup_; }
    QRadioButton* StartWSizeRadio(int index) const { return startWSizeRadios_[index]; }
    // Item data: the PrefetchChoice as an int. "As the default profile"
    // only in a named profile.
    QComboBox* PrefetchComboBox() const { return prefetchComboBox_; }
    QLineEdit* MessagesKeptEdit() const { return messagesKeptEdit_; }
    QCheckBox* SpellCheckBox() const { return spellCheckBox_; }
    // Item data: the dictionary's name; "" follows the locale (or, in a
    // named profile, the default profile).
    QComboBox* SpellLanguageComboBox() const { return spellLanguageComboBox_; }
    // Says when no dictionary is installed; hidden otherwise.
    QLabel* SpellNoteLabel() const { return spellNoteLabel_; }
    QTextEdit* FontSampleRichEdit() const { return fontSampleRichEdit_; }
    QMenu* FontPopupMenu() const { return fontPopupMenu_; }
    // Beside the sample: says which parts show the theme's colour instead of
    // the one chosen (hidden while every chosen colour is readable).
    QLabel* FontColourNote() const { return fontColourNote_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* ApplyButton() const { return applyButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    // The font string each sample region shows now: header, body, message.
    std::string RegionFont(int region) const { return FontToString(regionFonts_[region]); }
    // The region of a line of the sample: 0 header, 1 body, 2 message.
    static int RegionOfLine(int line);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildGeneralPage();
    // The General page's groups, in the order they are made.
    QGroupBox* BuildServerGroup(QWidget* parent);
    QGroupBox* BuildUserGroup(QWidget* parent);
    QGroupBox* BuildProxyGroup(QWidget* parent);
    QWidget* BuildAlertsPage();
    QWidget* BuildActivityPage();
    QWidget* BuildKeyboardPage();
    QWidget* BuildFilterPage();
    QWidget* BuildMiscPage();
    QWidget* BuildFontsPage();
    QWidget* BuildSpellingPage();
    void LoadSpellingPage();
    void SaveSpellingPage();
    QCheckBox* NewCheckBox(const QString& caption, const QString& objectName);

    void Load();
    // Load's parts. The character set comes first: the others decode with
    // loadedCharset_.
    void LoadCharset(const SettingsPages& p);
    void LoadGeneralPage(const SettingsPages& p);
    void LoadAlertsPage(const SettingsPages& p);
    void LoadActivityPage(const SettingsPages& p);
    SettingsPages PagesFromControls() const;
    void ShowTriState(QCheckBox* box, TriState state) const;
    static TriState TriStateOf(const QCheckBox* box);
    void UpdateProxyEdits();
    // Asks before saving texts the chosen character set cannot hold; false:
    // the user goes back to edit them.
    bool ConfirmServerTextsFit();
    // Refuses a number out of its range: shows its page and field and says
    // why. False: nothing is saved.
    bool NumbersAcceptable();
    void LoadReadingSettings(const SettingsPages& p);

    void ActivitySelectionChanged();
    void SetButtonClick();

    void FillKeyMap(const std::vector<ShortcutRow>& rows);
    void AddKeyRow(const ShortcutRow& row);
    void KeyMapSelectionChanged();
    void AddKeyClick();
    void RemoveKeyClick();
    void DefaultKeysClick();

    void ApplyRegionFonts();
    void ShowColourNote();
    int CaretRegion() const;
    void ChangeFontClick();
    void CustomColorClick();
    void DefaultFontsClick();

    TMiravoConfiguration* config_ = nullptr;
    bool savedInherit_ = true;
    bool inheritCleared_ = false;
    bool namedProfile_ = false;
    SettingsPages loaded_;
    WindowSettingsHooks hooks_;
    FontChooser fontChooser_;
    ColorChooser colorChooser_;
    YesNoQuestion question_;
    Warning warning_;
    std::array<FontDesc, kFontRegionCount> regionFonts_;

    QTabWidget* pages_ = nullptr;
    QLineEdit* hostEdit_ = nullptr;
    QLineEdit* portEdit_ = nullptr;
    QComboBox* charsetComboBox_ = nullptr;
    WireCharset loadedCharset_ = WireCharset::Latin1;
    QPushButton* button1_ = nullptr;
    QMenu* knownServersMenu_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* pwdEdit_ = nullptr;
    QCheckBox* savePwdCheckBox_ = nullptr;
    QLabel* passwordPlaceLabel_ = nullptr;
    QCheckBox* enableProxyCheckBox_ = nullptr;
    QLineEdit* proxyServerEdit_ = nullptr;
    QLineEdit* proxyPortEdit_ = nullptr;
    TTlsSettingsBox* tlsBox_ = nullptr;
    QLineEdit* answerTimeoutEdit_ = nullptr;
    std::array<QCheckBox*, kAlertFlagCount> alertCheckBoxes_{};
    std::array<QString, kAlertFlagCount> alertCaptions_;
    QCheckBox* permanentTrayCheckBox_ = nullptr;
    std::array<QLineEdit*, kAlertLevelCount> priorityEdits_{};
    QTreeWidget* listView1_ = nullptr;
    QLineEdit* messageEdit_ = nullptr;
    QPushButton* setButton_ = nullptr;
    QTreeWidget* keyMapListView_ = nullptr;
    QLineEdit* newKeymapEdit_ = nullptr;
    QComboBox* keyboardCmdComboBox_ = nullptr;
    QPushButton* addKeyButton_ = nullptr;
    QPushButton* removeKeyButton_ = nullptr;
    QPushButton* defaultKeysButton_ = nullptr;
    QCheckBox* filterAddedCheckBox_ = nullptr;
    QCheckBox* showSubjTreeCheckBox_ = nullptr;
    QCheckBox* markReadCheckBox_ = nullptr;
    QCheckBox* autoReconnectCheckBox_ = nullptr;
    QCheckBox* lineWrapCheckBox_ = nullptr;
    QCheckBox* alignTopCheckBox_ = nullptr;
    QCheckBox* showCommentedCheckBox_ = nullptr;
    QGroupBox* startWSizeRadioGroup_ = nullptr;
    QButtonGroup* startWSizeButtons_ = nullptr;
    std::array<QRadioButton*, 3> startWSizeRadios_{};
    QComboBox* prefetchComboBox_ = nullptr;
    QLineEdit* messagesKeptEdit_ = nullptr;
    QTextEdit* fontSampleRichEdit_ = nullptr;
    QCheckBox* spellCheckBox_ = nullptr;
    QComboBox* spellLanguageComboBox_ = nullptr;
    QLabel* spellNoteLabel_ = nullptr;
    std::optional<std::vector<std::filesystem::path>> dictionaryFolders_;
    TriState loadedSpellCheck_ = TriState::Grayed;
    std::string loadedSpellLanguage_;
    QMenu* fontPopupMenu_ = nullptr;
    QLabel* fontColourNote_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace pellar
