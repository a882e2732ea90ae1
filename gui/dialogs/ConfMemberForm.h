// Asks for a person and a conference, for adding or removing a member.
#pragma once

#include <QDialog>

#include <cstdint>

class QPushButton;

namespace pellar {

struct GuiServices;
class TMiravoCompletionEdit;

class TConfMemberForm : public QDialog {
    Q_OBJECT

public:
    TConfMemberForm(const GuiServices* services, QWidget* parent = nullptr);

    // Sets the caption and empties both fields.
    void Prepare(const QString& caption);

    // Valid after Ok.
    int32_t PersonNumber() const { return person_; }
    int32_t ConferenceNumber() const { return conference_; }

    TMiravoCompletionEdit* ConfEdit() const { return confEdit_; }
    TMiravoCompletionEdit* UserEdit() const { return userEdit_; }
    QPushButton* OkButton() const { return okButton_; }

private:
    void OkClick();

    const GuiServices* services_;
    TMiravoCompletionEdit* confEdit_;
    TMiravoCompletionEdit* userEdit_;
    QPushButton* okButton_ = nullptr;
    int32_t person_ = -1;
    int32_t conference_ = -1;
};

} // namespace pellar
