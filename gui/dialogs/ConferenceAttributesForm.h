// "Conference attributes": a conference's type flags, super-conference and
// supervisor, loaded on show and stored by Ok or Apply.
#pragma once

#include "core/admin/ConferenceAttributes.h"
#include "core/writing/WritingServices.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace pellar {

class WritingSession;
class TMiravoCompletionEdit;
struct GuiServices;

class TConferenceAttributesForm : public QWidget {
    Q_OBJECT

public:
    TConferenceAttributesForm(WritingSession& session, const GuiServices* services, int32_t conf, QWidget* parent = nullptr);

    // False when loading failed (the message has been shown).
    bool Load();
    void Save();

    // Messages go here instead of a message box when set (tests).
    void SetMessageShower(std::function<void(const QString&)> show) { show_ = std::move(show); }

    QLineEdit* NameEdit() const { return nameEdit_; }
    QCheckBox* OpenCheckBox() const { return open_; }
    QCheckBox* AllowCommentsCheckBox() const { return allowComments_; }
    QCheckBox* SecretCheckBox() const { return secret_; }
    QCheckBox* AllowAnonCheckBox() const { return allowAnon_; }
    TMiravoCompletionEdit* SuperConfEdit() const { return superConf_; }
    TMiravoCompletionEdit* SupervisorEdit() const { return supervisor_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowMessage(const std::string& message);

    std::unique_ptr<WritingServices> writing_;
    ConferenceAttributes model_;
    std::function<void(const QString&)> show_;
    bool loaded_ = false;

    QLineEdit* nameEdit_;
    QCheckBox* open_;
    QCheckBox* allowComments_;
    QCheckBox* secret_;
    QCheckBox* allowAnon_;
    TMiravoCompletionEdit* superConf_;
    TMiravoCompletionEdit* supervisor_;
    QPushButton* ok_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

} // namespace pellar
