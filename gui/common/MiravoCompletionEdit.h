// Single-line entry for the name of a person or conference. Ctrl+K completes
// the typed part of a name, Ctrl+N resolves a typed number; a resolved entry
// is underlined and carries its number until the user edits it again.
#pragma once

#include <QFlags>
#include <QLineEdit>

#include <cstdint>

namespace pellar {

struct GuiServices;

enum class TMVConfType { ctUsers = 0x1, ctConferences = 0x2 };
Q_DECLARE_FLAGS(TMVConfTypes, TMVConfType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMVConfTypes)

class TMiravoCompletionEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TMiravoCompletionEdit(QWidget* parent = nullptr);

    void SetServices(const GuiServices* services) { services_ = services; }

    TMVConfTypes ConfTypes() const { return confTypes_; }
    void SetConfTypes(TMVConfTypes types) { confTypes_ = types; }

    // The text is a verified name and ConferenceNumber belongs to it.
    bool IsOK() const { return isOK_; }

    // Shows a text as typed: not verified, not underlined.
    void SetText(const QString& text);

    // The resolved number; runs completion first when the text is not
    // verified, and gives -1 when it still is not.
    int32_t ConferenceNumber();
    // Shows the number's name, verified.
    void SetConferenceNumber(int32_t number);

    // The last look-up by name failed (the user was told why): a -1 from
    // ConferenceNumber then does not mean that no name matched.
    bool LookupFailed() const { return lookupFailed_; }

    // The "..." buttons of the dialogs run this.
    void Complete();
    void LookupNumber();

    static inline const QString kWorkingText = QStringLiteral("***working***");

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static bool IsCommandKey(const QKeyEvent* event);
    int32_t FindByName(const QString& text);
    void ShowResult(int32_t number, const QString& typed);
    void ShowVerified(int32_t number, const QString& name);
    void ShowUnverified(const QString& text);
    void SetUnderline(bool on);

    const GuiServices* services_ = nullptr;
    TMVConfTypes confTypes_ = TMVConfType::ctUsers | TMVConfType::ctConferences;
    int32_t number_ = -1;
    bool isOK_ = false;
    bool lookupFailed_ = false;
};

} // namespace pellar
