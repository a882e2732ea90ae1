// The name prompt: asks for one person or conference by name and gives its
// number, or -1 when cancelled. Where only conferences are asked for and none
// matches, it says so and offers to create one by that name.
#pragma once

#include "gui/common/MiravoCompletionEdit.h"

#include <QDialog>

class QPushButton;

namespace pellar {

struct GuiServices;

class TGetNameForm : public QDialog {
    Q_OBJECT

public:
    TGetNameForm(const GuiServices* services, QWidget* parent = nullptr);

    // Sets the caption, the default name (not verified) and the kinds of names.
    void Prepare(const QString& title, const QString& defaultName, TMVConfTypes types);
    // The chosen number after Ok; -1 otherwise.
    int32_t Number() const { return number_; }

    TMiravoCompletionEdit* NameEdit() const { return nameEdit_; }
    QPushButton* OkButton() const { return okButton_; }

    // Shows the prompt modally; the chosen number or -1.
    static int32_t Prompt(const GuiServices* services, QWidget* parent, const QString& title,
                          const QString& defaultName, TMVConfTypes types);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OkClick();
    enum class NewConference { NotOffered, Declined, Created };
    // No conference matches name: offers to create one (number_ set when
    // it was).
    NewConference OfferNewConference(const QString& name);

    const GuiServices* services_;
    TMiravoCompletionEdit* nameEdit_;
    QPushButton* okButton_ = nullptr;
    int32_t number_ = -1;
};

} // namespace pellar
