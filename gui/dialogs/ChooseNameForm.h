// "Select name": picks one of the names that a look-up found, with a
// substring filter and a look at each name's presentation.
#pragma once

#include "core/session/NameLookup.h"
#include "gui/common/GuiServices.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace pellar {

class TChooseNameForm : public QDialog {
    Q_OBJECT

public:
    explicit TChooseNameForm(const GuiServices* services, QWidget* parent = nullptr);

    // Must be set before the dialog is shown.
    void SetMatches(std::vector<NameMatch> matches);
    // The number of the chosen match; none when nothing is selected.
    std::optional<int32_t> ChosenNumber() const;

    QListWidget* NameListBox() const { return nameList_; }
    QLineEdit* FilterEdit() const { return filterEdit_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* PresentationButton() const { return presentationButton_; }

signals:
    void PresentationRequested(int32_t number);

private:
    void Refill();
    void PresentationClick();
    void UpdateOk();

    const GuiServices* services_;
    std::vector<NameMatch> matches_;
    QListWidget* nameList_;
    QLineEdit* filterEdit_;
    QPushButton* okButton_;
    QPushButton* presentationButton_;
};

// The dialog as the services' chooser: shows the matches, returns the
// chosen number, none when cancelled. The shell installs it at startup.
NameChooser DialogNameChooser(const GuiServices* services);

} // namespace pellar
