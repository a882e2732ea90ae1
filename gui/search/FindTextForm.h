// "Find texts": searches one conference's texts by author, subject and body
// on a worker thread and lists the matches; a double-click reads one.
#pragma once

#include "core/search/TextSearch.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace pellar {

class MVCache;
class TMiravoCompletionEdit;
struct GuiServices;

class TFindTextForm : public QWidget, private TextSearchView {
    Q_OBJECT

public:
    // records: the caches the search reads texts, names and the
    // conference's record from, on its worker.
    TFindTextForm(MVCache& records, const GuiServices* services, QWidget* parent = nullptr);
    ~TFindTextForm() override;

    // Empty fields, the date a year back, both include boxes ticked.
    void Open();
    bool Searching() const { return search_->Searching(); }

    // Start-check messages go here instead of a message box when set (tests).
    void SetMessageShower(std::function<void(const QString&)> show) { show_ = std::move(show); }

    static const QStringList& PresetPatterns();

    TMiravoCompletionEdit* RcptMVEdit() const { return rcptEdit_; }
    TMiravoCompletionEdit* ByMVEdit() const { return byEdit_; }
    QComboBox* SubjComboBox() const { return subjCombo_; }
    QComboBox* BodyComboBox() const { return bodyCombo_; }
    QCheckBox* RegexpCheckBox() const { return regexpCheck_; }
    QLineEdit* LLastEdit() const { return lastEdit_; }
    QDateEdit* DateTimePicker() const { return datePicker_; }
    QCheckBox* IncludeReadCheckBox() const { return includeRead_; }
    QCheckBox* IncludeUnreadCheckBox() const { return includeUnread_; }
    QTreeWidget* ListView1() const { return results_; }
    QPushButton* FindButton() const { return find_; }
    QPushButton* StopButton() const { return stop_; }
    QPushButton* DoneButton() const { return done_; }
    QLabel* Animate1() const { return animate_; }
    QProgressBar* ProgressBar1() const { return progress_; }
    // The last search's outcome ("No texts found", texts the pattern could
    // not decide); empty while searching.
    QLabel* SummaryLabel() const { return summary_; }

signals:
    // A result was double-clicked: the reading window shows it.
    void ReadTextRequested(int32_t text);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Return in any field starts the search, as the Find button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // TextSearchView, on the GUI thread.
    void AddResult(int32_t text, const std::string& author, const std::string& subject) override;
    void Progress(int percent) override;
    void Finished() override;
    void SearchIdle() override;
    void SearchSummary(const std::string& line) override;

    QWidget* CreateFindPage();
    QWidget* CreateTextPage();
    void FindButtonClick();
    void ConferenceChanged();
    void ShowMessage(const std::string& message);

    std::unique_ptr<CacheTextSource> source_;
    std::unique_ptr<TextSearch> search_;
    std::function<void(const QString&)> show_;

    QTabWidget* tabs_ = nullptr;
    TMiravoCompletionEdit* rcptEdit_ = nullptr;
    TMiravoCompletionEdit* byEdit_ = nullptr;
    QPushButton* rcptBrowse_ = nullptr;
    QPushButton* byBrowse_ = nullptr;
    QComboBox* subjCombo_ = nullptr;
    QComboBox* bodyCombo_ = nullptr;
    QCheckBox* regexpCheck_ = nullptr;
    QLineEdit* lastEdit_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QCheckBox* includeRead_ = nullptr;
    QCheckBox* includeUnread_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* done_ = nullptr;
    QLabel* animate_ = nullptr;
    QTimer* animateTimer_ = nullptr;
    int animatePhase_ = 0;
    QProgressBar* progress_ = nullptr;
    QLabel* summary_ = nullptr;
};

} // namespace pellar
