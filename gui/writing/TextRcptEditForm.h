// "Text properties": the recipients, carbon copies, comment and footnote
// links and aux items of one existing text, with the buttons that add and
// remove links on the server. Frees itself when closed.
#pragma once

#include "core/writing/TextRcptEditor.h"
#include "core/writing/WritingServices.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace pellar {

class WritingSession;
class TMiravoCompletionEdit;
struct GuiServices;

class TTextRcptEditForm : public QWidget {
    Q_OBJECT

public:
    TTextRcptEditForm(WritingSession& session, const GuiServices* services, int32_t text, QWidget* parent = nullptr);

    // Fills both tabs; false (and the window closes) when the text cannot be had.
    bool Fill();

    QTabWidget* PageControl() const { return tabs_; }
    QTreeWidget* RcptListView() const { return rcptList_; }
    QTreeWidget* CCListView() const { return ccList_; }
    QTreeWidget* ComListView() const { return comList_; }
    QTreeWidget* FootListView() const { return footList_; }
    QTreeWidget* AuxItemsListView() const { return auxList_; }
    TMiravoCompletionEdit* ConfEdit() const { return confEdit_; }
    QLineEdit* TextEdit() const { return textEdit_; }
    QPushButton* AddRcptButton() const { return addRcpt_; }
    QPushButton* AddCCButton() const { return addCC_; }
    QPushButton* RemoveRcptButton() const { return removeRcpt_; }
    QPushButton* RemoveCCButton() const { return removeCC_; }
    QPushButton* AddComButton() const { return addCom_; }
    QPushButton* RemoveComButton() const { return removeCom_; }
    QPushButton* AddFootButton() const { return addFoot_; }
    QPushButton* RemoveFootButton() const { return removeFoot_; }
    QPushButton* ViewTextButton() const { return viewText_; }

signals:
    // "&View text": the reading window shows the text.
    void ViewTextRequested(int32_t text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateReferencesPage();
    QTreeWidget* MakeList(const char* name, const QStringList& columns, const QList<int>& widths);
    void ShowReferences();
    void UpdateButtons();
    void AfterChange(bool changed);
    static std::string SelectedNumber(QTreeWidget* list, bool* any);

    std::unique_ptr<WritingServices> writing_;
    TextRcptEditor model_;
    int32_t text_;
    bool filled_ = false;

    QTabWidget* tabs_ = nullptr;
    QTreeWidget* rcptList_ = nullptr;
    QTreeWidget* ccList_ = nullptr;
    QTreeWidget* comList_ = nullptr;
    QTreeWidget* footList_ = nullptr;
    QTreeWidget* auxList_ = nullptr;
    TMiravoCompletionEdit* confEdit_ = nullptr;
    QLineEdit* textEdit_ = nullptr;
    QPushButton* addRcpt_ = nullptr;
    QPushButton* addCC_ = nullptr;
    QPushButton* removeRcpt_ = nullptr;
    QPushButton* removeCC_ = nullptr;
    QPushButton* addCom_ = nullptr;
    QPushButton* removeCom_ = nullptr;
    QPushButton* addFoot_ = nullptr;
    QPushButton* removeFoot_ = nullptr;
    QPushButton* viewText_ = nullptr;
};

} // namespace pellar
