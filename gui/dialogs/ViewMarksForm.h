// "Marked texts": the user's marks with a preview of the selected text; a
// mark can be deleted, given another type or opened in the reading window.
#pragma once

#include "core/reading/MarkedTexts.h"
#include "core/reading/ReadingServices.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellar {

class TMiravoTextEdit;

class TViewMarksForm : public QWidget, private MarkedTextsView {
    Q_OBJECT

public:
    // services: what the marks are loaded and changed through, the
    // window's own.
    explicit TViewMarksForm(std::unique_ptr<ReadingServices> services, QWidget* parent = nullptr);
    ~TViewMarksForm() override;

    // Clears the list and loads it anew; nothing while a load runs.
    void Refresh();
    bool Loading() const { return marks_->Loading(); }

    // The "Change mark type" input box; answered here when set (tests).
    void SetTypeAsker(std::function<std::optional<QString>()> ask) { askType_ = std::move(ask); }

    void DeleteSelected();
    void ChangeTypeOfSelected();
    void ViewSelected();
    void SortBy(int column);

    QTreeWidget* ListView1() const { return list_; }
    TMiravoTextEdit* RichEdit1() const { return preview_; }
    QLabel* WorkingLabel() const { return working_; }
    QMenu* PopupMenu1() const { return popup_; }
    QToolButton* AttachSpeedButton() const { return attach_; }

signals:
    // "&View" or a double-click: the reading window shows the text.
    void ReadTextRequested(int32_t text);
    // The attach button: the owner moves the window in or out of the main window.
    void AttachToggled(bool attached);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // MarkedTextsView, on the GUI thread.
    void SetWorkingLabel(const std::string& text) override;
    void AddMarkRow(const std::string& text, const std::string& type, const std::string& subject) override;
    void LoaderFinished() override;

    void ShowPreview();
    int32_t SelectedText() const;

    std::unique_ptr<ReadingServices> reading_;
    std::unique_ptr<MarkedTexts> marks_;
    std::function<std::optional<QString>()> askType_;
    int sortColumn_ = 0;
    bool sortDescending_ = false;
    bool shown_ = false;

    QTreeWidget* list_;
    TMiravoTextEdit* preview_;
    QSplitter* splitter_;
    QLabel* working_;
    QMenu* popup_;
    QToolButton* attach_;
};

} // namespace pellar
