#include "gui/search/FindTextForm.h"
#include "gui/common/CoreTexts.h"

#include "gui/common/QtLocalePort.h"
#include "gui/common/WindowFrame.h"

#include "core/wire/DateTime.h"
#include "core/session/MVCache.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/QtCancellableGuiThread.h"


#include <algorithm>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

namespace {

QPushButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QComboBox* PatternBox(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->addItems(TFindTextForm::PresetPatterns());
    box->setCurrentIndex(-1);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(30);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

} // namespace

const QStringList& TFindTextForm::PresetPatterns()
{
    static const QStringList presets{
        QStringLiteral(R"({[Uu][rR][lL] *\:}*[a-zA-Z][a-zA-Z0-9]*\://[a-zA-Z0-9\?\=\+\.\-_/~]+)"),
        QStringLiteral(R"([a-zA-Z0-9\.]+@[a-zA-Z0-9]+\.[a-zA-Z0-9\.]+)"),
        QStringLiteral(R"({[0-9] *}{[0-9] *}{[0-9] *}*\-{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}{[0-9] *}*)"),
        QStringLiteral(R"(\(0-90-90-9\)[0-9 ]+\-[0-9 ]+)")};
    return presets;
}

TFindTextForm::TFindTextForm(MVCache& records, const GuiServices* services, QWidget* parent)
    : QWidget(parent),
      source_(std::make_unique<CacheTextSource>(records)),
      search_(std::make_unique<TextSearch>(*source_, static_cast<TextSearchView&>(*this), QtGuiHandOvers(this),
                                           &records))
{
    setObjectName(QStringLiteral("FindTextForm"));
    setWindowTitle(tr("Find texts"));
    setAttribute(Qt::WA_DeleteOnClose);

    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(tr("Find texts"));
    tabs_->addTab(CreateFindPage(), tr("Find"));
    tabs_->addTab(CreateTextPage(), tr("Text"));
    rcptEdit_->SetServices(services);
    byEdit_->SetServices(services);

    results_ = new QTreeWidget(this);
    results_->setObjectName(QStringLiteral("ListView1"));
    results_->setAccessibleName(tr("Texts found"));
    results_->setHeaderLabels({tr("Text#"), tr("By"), tr("Subject")});
    results_->setColumnWidth(0, 60);
    results_->setColumnWidth(1, 100);
    results_->setColumnWidth(2, 200);
    results_->setRootIsDecorated(false);
    results_->setSelectionBehavior(QAbstractItemView::SelectRows);
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    find_ = Button(tr("&Find"), "FindButton", this);
    find_->setDefault(true);
    stop_ = Button(tr("S&top"), "StopButton", this);
    done_ = Button(tr("&Done"), "DoneButton", this);
    // The buttons beside the pages come before the list of texts below them.
    setTabOrder(done_, results_);
    animate_ = new QLabel(this);
    animate_->setObjectName(QStringLiteral("Animate1"));
    animate_->setAlignment(Qt::AlignCenter);
    animate_->setMinimumWidth(70);
    animateTimer_ = new QTimer(this);
    animateTimer_->setInterval(150);
    connect(animateTimer_, &QTimer::timeout, this, [this] {
        static const QString frames[] = {QStringLiteral("\u25d0"), QStringLiteral("\u25d3"),
                                         QStringLiteral("\u25d1"), QStringLiteral("\u25d2")};
        animatePhase_ = (animatePhase_ + 1) % 4;
        animate_->setText(tr("%1 Searching").arg(frames[animatePhase_]));
    });
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 100);
    progress_->setVisible(false);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("SummaryLabel"));
    summary_->setWordWrap(true);

    auto* side = new QVBoxLayout;
    side->addWidget(find_);
    side->addWidget(stop_);
    side->addWidget(done_);
    side->addWidget(animate_);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(tabs_, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(results_, 1);
    layout->addWidget(summary_);
    layout->addWidget(progress_);

    connect(find_, &QPushButton::clicked, this, &TFindTextForm::FindButtonClick);
    connect(stop_, &QPushButton::clicked, this, [this] { search_->RequestStop(); });
    connect(done_, &QPushButton::clicked, this, [this] { CloseWithFrame(this); });
    connect(rcptEdit_, &QLineEdit::textChanged, this, &TFindTextForm::ConferenceChanged);
    connect(rcptBrowse_, &QPushButton::clicked, rcptEdit_, &TMiravoCompletionEdit::Complete);
    connect(byBrowse_, &QPushButton::clicked, byEdit_, &TMiravoCompletionEdit::Complete);
    connect(results_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit ReadTextRequested(item->text(0).toInt()); });
    stop_->setEnabled(false);
    Open();
    resize(620, 480);
}

TFindTextForm::~TFindTextForm()
{
    search_->Stop();
}

QWidget* TFindTextForm::CreateFindPage()
{
    auto* page = new QWidget(this);
    rcptEdit_ = new TMiravoCompletionEdit(page);
    rcptEdit_->setObjectName(QStringLiteral("RcptMVEdit"));
    byEdit_ = new TMiravoCompletionEdit(page);
    byEdit_->setObjectName(QStringLiteral("ByMVEdit"));
    byEdit_->SetConfTypes(TMVConfType::ctUsers);
    rcptBrowse_ = Button(QStringLiteral("..."), "RcptBrowseButton", page);
    byBrowse_ = Button(QStringLiteral("..."), "ByBrowseButton", page);
    for (QPushButton* b : {rcptBrowse_, byBrowse_})
        b->setFixedWidth(28);
    rcptBrowse_->setAccessibleName(tr("Complete the recipient"));
    byBrowse_->setAccessibleName(tr("Complete the author"));
    subjCombo_ = PatternBox("SubjComboBox", page);
    bodyCombo_ = PatternBox("BodyComboBox", page);
    subjCombo_->lineEdit()->setAccessibleName(tr("Subj"));
    bodyCombo_->lineEdit()->setAccessibleName(tr("Body"));
    regexpCheck_ = new QCheckBox(tr("&Regexp search (subj and body)"), page);
    regexpCheck_->setObjectName(QStringLiteral("RegexpCheckBox"));
    regexpCheck_->setToolTip(tr("Supported regexp functions: \\ [] {} . + * a-c"));

    auto* grid = new QGridLayout(page);
    auto label = [page](const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, page);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("&Rcpt:"), rcptEdit_), 0, 0);
    grid->addWidget(rcptEdit_, 0, 1);
    grid->addWidget(rcptBrowse_, 0, 2);
    grid->addWidget(new QLabel(tr("required"), page), 0, 3);
    grid->addWidget(label(tr("&By:"), byEdit_), 1, 0);
    grid->addWidget(byEdit_, 1, 1);
    grid->addWidget(byBrowse_, 1, 2);
    grid->addWidget(new QLabel(tr("or"), page), 1, 3);
    grid->addWidget(label(tr("&Subj:"), subjCombo_), 2, 0);
    grid->addWidget(subjCombo_, 2, 1, 1, 2);
    grid->addWidget(new QLabel(tr("or"), page), 2, 3);
    grid->addWidget(label(tr("B&ody:"), bodyCombo_), 3, 0);
    grid->addWidget(bodyCombo_, 3, 1, 1, 2);
    grid->addWidget(regexpCheck_, 4, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    // Each name, then its complete button, row by row.
    setTabOrder(rcptEdit_, rcptBrowse_);
    setTabOrder(rcptBrowse_, byEdit_);
    setTabOrder(byEdit_, byBrowse_);
    return page;
}

QWidget* TFindTextForm::CreateTextPage()
{
    auto* page = new QWidget(this);
    lastEdit_ = new QLineEdit(QString::fromLatin1(TTextSearchThread::kAllTexts), page);
    lastEdit_->setObjectName(QStringLiteral("LLastEdit"));
    lastEdit_->setMaximumWidth(80);
    datePicker_ = new QDateEdit(page);
    datePicker_->setObjectName(QStringLiteral("DateTimePicker"));
    datePicker_->setCalendarPopup(true);
    datePicker_->setDisplayFormat(QtLocalePort::DateFormatForEditing());
    includeRead_ = new QCheckBox(tr("Include &read texts"), page);
    includeRead_->setObjectName(QStringLiteral("IncludeReadCheckBox"));
    includeUnread_ = new QCheckBox(tr("Include &unread texts"), page);
    includeUnread_->setObjectName(QStringLiteral("IncludeUnreadCheckBox"));

    auto* lastRow = new QHBoxLayout;
    auto* lastLabel = new QLabel(tr("Search the &last"), page);
    lastLabel->setBuddy(lastEdit_);
    lastRow->addWidget(lastLabel);
    lastRow->addWidget(lastEdit_);
    lastRow->addWidget(new QLabel(tr("texts in the conference"), page));
    lastRow->addStretch();
    auto* dateRow = new QHBoxLayout;
    auto* fromLabel = new QLabel(tr("From"), page);
    fromLabel->setBuddy(datePicker_);
    dateRow->addWidget(fromLabel);
    dateRow->addWidget(datePicker_);
    dateRow->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(lastRow);
    layout->addLayout(dateRow);
    layout->addWidget(includeRead_);
    layout->addWidget(includeUnread_);
    layout->addStretch();
    return page;
}

void TFindTextForm::Open()
{
    rcptEdit_->SetText(QString());
    byEdit_->SetText(QString());
    subjCombo_->setCurrentIndex(-1);
    subjCombo_->setEditText(QString());
    bodyCombo_->setCurrentIndex(-1);
    bodyCombo_->setEditText(QString());
    datePicker_->setDate(QDate::currentDate().addDays(-365));
    includeRead_->setChecked(true);
    includeUnread_->setChecked(true);
    ConferenceChanged();
}

void TFindTextForm::ConferenceChanged()
{
    const bool any = !rcptEdit_->text().isEmpty();
    for (QWidget* w : std::initializer_list<QWidget*>{byEdit_, byBrowse_, subjCombo_, bodyCombo_})
        w->setEnabled(any);
    find_->setEnabled(any && !search_->Searching());
}

void TFindTextForm::ShowMessage(const std::string& message)
{
    const QString text = CoreText(message);
    if (show_)
        show_(text);
    else
        QMessageBox::information(this, windowTitle(), text);
}

void TFindTextForm::FindButtonClick()
{
    if (search_->Searching())
        return;
    const int32_t conf = rcptEdit_->ConferenceNumber();
    if (auto error = TTextSearchThread::CheckStart(conf, true)) {
        ShowMessage(*error);
        return;
    }
    const QString missing =
        UnencodableCharacters(subjCombo_->currentText() + bodyCombo_->currentText());
    if (!missing.isEmpty()) {
        ShowMessage(ToWire(tr("No text can hold %1: this profile sends %2.")
                               .arg(DescribeCharacters(missing),
                                    QString::fromLatin1(WireCharsetName(ActiveWireCharset())))));
        return;
    }
    FindTextParams params;
    params.author = byEdit_->text().isEmpty() ? -1 : byEdit_->ConferenceNumber();
    params.subjectPattern = ToWire(subjCombo_->currentText());
    params.bodyPattern = ToWire(bodyCombo_->currentText());
    params.lastN = TTextSearchThread::ParseLastN(ToWire(lastEdit_->text().trimmed()));
    const QDate from = datePicker_->date();
    params.fromDate = EncodeDateTime(from.year(), from.month(), from.day(), 0, 0, 0);
    params.includeRead = includeRead_->isChecked();
    params.includeUnread = includeUnread_->isChecked();
    params.usePatterns = regexpCheck_->isChecked();
    params.charset = ActiveWireCharset();
    if (auto error = search_->StartIn(conf, std::move(params))) {
        ShowMessage(*error);
        return;
    }

    // The worker's first rows wait in the event queue behind this.
    results_->clear();
    summary_->clear();
    find_->setEnabled(false);
    stop_->setEnabled(true);
    animatePhase_ = 0;
    animate_->setText(tr("%1 Searching").arg(QStringLiteral("\u25d0")));
    animateTimer_->start();
    progress_->setValue(0);
    progress_->setVisible(true);
}

void TFindTextForm::AddResult(int32_t text, const std::string& author, const std::string& subject)
{
    auto* item = new QTreeWidgetItem(results_);
    item->setText(0, QString::number(text));
    item->setText(1, FromWire(author));
    item->setText(2, FromWire(subject));
}

void TFindTextForm::Progress(int percent)
{
    progress_->setValue(std::clamp(percent, 0, 100));
}

void TFindTextForm::Finished()
{
    stop_->setEnabled(false);
    animateTimer_->stop();
    animate_->clear();
    progress_->setVisible(false);
}

void TFindTextForm::SearchIdle()
{
    ConferenceChanged();
}

void TFindTextForm::SearchSummary(const std::string& line)
{
    summary_->setText(CoreText(line));
}

void TFindTextForm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    // Return on a result row belongs to the list, not to the search.
    if (enter && mods == Qt::NoModifier && !results_->hasFocus()) {
        if (find_->isEnabled())
            FindButtonClick();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFindTextForm::closeEvent(QCloseEvent* event)
{
    search_->Stop();
    event->accept();
}

} // namespace pellar
