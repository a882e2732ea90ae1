#include "gui/dialogs/ViewMarksForm.h"

#include "core/wire/TMiravoText.h"
#include "core/reading/ArticleLayout.h"
#include "core/session/MVCache.h"
#include "core/session/Client.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/common/QtCancellableGuiThread.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

namespace {

// Text number and mark type sort as numbers, the subject as the locale does.
class MarkItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 2)
            return QString::localeAwareCompare(text(2), other.text(2)) < 0;
        return text(column).toLongLong() < other.text(column).toLongLong();
    }
};

} // namespace

TViewMarksForm::TViewMarksForm(std::unique_ptr<ReadingServices> services, QWidget* parent)
    : QWidget(parent),
      reading_(std::move(services)),
      marks_(std::make_unique<MarkedTexts>(*reading_, static_cast<MarkedTextsView&>(*this), QtGuiHandOvers(this)))
{
    setObjectName(QStringLiteral("ViewMarksForm"));
    setWindowTitle(tr("Marked texts"));
    setAttribute(Qt::WA_DeleteOnClose);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setAccessibleName(tr("Marked texts"));
    list_->setHeaderLabels({tr("Text #"), tr("Mark type"), tr("Subject")});
    list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->setColumnWidth(0, 60);
    list_->setColumnWidth(1, 70);
    list_->setColumnWidth(2, 300);
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(0, Qt::AscendingOrder);

    preview_ = new TMiravoTextEdit(this);
    preview_->setObjectName(QStringLiteral("RichEdit1"));
    preview_->setReadOnly(true);
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    preview_->setAccessibleName(tr("Text"));
    preview_->setAcceptRichText(false);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->addWidget(list_);
    splitter_->addWidget(preview_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    popup_->addAction(tr("&Delete"), this, &TViewMarksForm::DeleteSelected);
    popup_->addAction(tr("&View"), this, &TViewMarksForm::ViewSelected);
    popup_->addAction(tr("Change &type"), this, &TViewMarksForm::ChangeTypeOfSelected);

    attach_ = new QToolButton(this);
    attach_->setObjectName(QStringLiteral("AttachSpeedButton"));
    attach_->setText(tr("Attach"));
    attach_->setToolTip(tr("Attach/Detach"));
    attach_->setCheckable(true);
    attach_->setChecked(true);
    working_ = new QLabel(this);
    working_->setObjectName(QStringLiteral("WorkingLabel"));

    auto* top = new QHBoxLayout;
    top->addWidget(attach_);
    top->addWidget(working_);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter_);

    connect(list_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (list_->itemAt(at))
            popup_->popup(list_->viewport()->mapToGlobal(at));
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &TViewMarksForm::ViewSelected);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &TViewMarksForm::ShowPreview);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &TViewMarksForm::SortBy);
    connect(attach_, &QToolButton::toggled, this, &TViewMarksForm::AttachToggled);
    resize(520, 460);
}

TViewMarksForm::~TViewMarksForm()
{
    marks_->Stop();
}

void TViewMarksForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_) {
        shown_ = true;
        Refresh();
    }
}

void TViewMarksForm::closeEvent(QCloseEvent* event)
{
    marks_->Stop();
    event->accept();
}

void TViewMarksForm::Refresh()
{
    if (!marks_->Refresh())
        return;
    // The loader's first rows wait in the event queue behind this.
    list_->clear();
    preview_->clear();
}

void TViewMarksForm::SetWorkingLabel(const std::string& text)
{
    working_->setText(FromWire(text));
}

void TViewMarksForm::AddMarkRow(const std::string& text, const std::string& type, const std::string& subject)
{
    auto* item = new MarkItem(list_);
    item->setText(0, FromWire(text));
    item->setText(1, FromWire(type));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(2, FromWire(subject));
}

void TViewMarksForm::LoaderFinished()
{
    working_->clear();
    list_->sortItems(sortColumn_, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TViewMarksForm::SortBy(int column)
{
    if (column == sortColumn_)
        sortDescending_ = !sortDescending_;
    else {
        sortColumn_ = column;
        sortDescending_ = false;
    }
    const Qt::SortOrder order = sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder;
    list_->header()->setSortIndicator(sortColumn_, order);
    list_->sortItems(sortColumn_, order);
}

int32_t TViewMarksForm::SelectedText() const
{
    const auto selected = list_->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->text(0).toInt();
}

void TViewMarksForm::ShowPreview()
{
    preview_->clear();
    const int32_t text = SelectedText();
    if (text <= 0)
        return;
    marks_->Preview(text, [this](int32_t shown, const std::string& body) {
        // A selection that moved on meanwhile asked for its own.
        if (shown == SelectedText())
            preview_->setPlainText(FromWire(body));
    });
}

void TViewMarksForm::ViewSelected()
{
    if (const int32_t text = SelectedText(); text > 0)
        emit ReadTextRequested(text);
}

void TViewMarksForm::DeleteSelected()
{
    const auto selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* item = selected.front();
    marks_->DeleteMark(item->text(0).toInt());
    delete item;
}

void TViewMarksForm::ChangeTypeOfSelected()
{
    const int32_t text = SelectedText();
    if (text <= 0)
        return;
    std::optional<QString> answer;
    if (askType_) {
        answer = askType_();
    } else {
        bool ok = false;
        const QString typed = QInputDialog::getText(this, tr("Change mark type"),
                                                    tr("New mark type (0-255)"), QLineEdit::Normal,
                                                    QString(), &ok);
        if (ok)
            answer = typed;
    }
    if (!answer)
        return;
    marks_->ChangeMarkType(text, MarkTypeFromInput(ToWire(answer->trimmed())));
    // Listed again once the server has the new type.
    Refresh();
}

} // namespace pellar
