#include "gui/writing/TextRcptEditForm.h"
#include "gui/common/CoreTexts.h"

#include "gui/common/WindowFrame.h"

#include "core/writing/WritingSession.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iterator>

namespace pellar {

namespace {

void FillList(QTreeWidget* list, const std::vector<RcptEditorRow>& rows)
{
    list->clear();
    for (const RcptEditorRow& row : rows) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, FromWire(row.number));
        item->setText(1, FromWire(row.name));
    }
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TTextRcptEditForm::TTextRcptEditForm(WritingSession& session, const GuiServices* services, int32_t text, QWidget* parent)
    : QWidget(parent), writing_(session.Services({})), model_(*writing_, text), text_(text)
{
    setObjectName(QStringLiteral("TextRcptEditForm"));
    setWindowTitle(tr("Text properties"));
    setAttribute(Qt::WA_DeleteOnClose);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("PageControl"));
    tabs_->setAccessibleName(tr("Text properties"));
    tabs_->addTab(CreateReferencesPage(), tr("References"));
    confEdit_->SetServices(services);

    auto* auxPage = new QWidget(tabs_);
    auxList_ = MakeList("AuxItemsListView",
                        {tr("Id"), tr("Tag"), tr("Creator"), tr("Data")},
                        {30, 40, 150, 300});
    auto* auxLayout = new QVBoxLayout(auxPage);
    auxList_->setAccessibleName(tr("Aux info"));
    auxLayout->addWidget(auxList_);
    tabs_->addTab(auxPage, tr("Aux info"));

    viewText_ = Button(tr("&View text"), "ViewTextButton", this);
    auto* close = Button(tr("Close"), "CloseButton", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(viewText_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    connect(viewText_, &QPushButton::clicked, this, [this] { emit ViewTextRequested(text_); });
    connect(close, &QPushButton::clicked, this, [this] { CloseWithFrame(this); });
    connect(addRcpt_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.AddRecipient(confEdit_->ConferenceNumber(), false)); });
    connect(addCC_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.AddRecipient(confEdit_->ConferenceNumber(), true)); });
    connect(removeRcpt_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.RemoveRecipient(SelectedNumber(rcptList_, nullptr))); });
    connect(removeCC_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.RemoveRecipient(SelectedNumber(ccList_, nullptr))); });
    connect(addCom_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.AddLink(ToWire(textEdit_->text().trimmed()), false)); });
    connect(addFoot_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.AddLink(ToWire(textEdit_->text().trimmed()), true)); });
    connect(removeCom_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.RemoveLink(SelectedNumber(comList_, nullptr), false)); });
    connect(removeFoot_, &QPushButton::clicked, this,
            [this] { AfterChange(model_.RemoveLink(SelectedNumber(footList_, nullptr), true)); });
    connect(confEdit_, &QLineEdit::textChanged, this, &TTextRcptEditForm::UpdateButtons);
    connect(textEdit_, &QLineEdit::textChanged, this, &TTextRcptEditForm::UpdateButtons);
    for (QTreeWidget* list : {rcptList_, ccList_, comList_, footList_})
        connect(list, &QTreeWidget::itemSelectionChanged, this, &TTextRcptEditForm::UpdateButtons);
    UpdateButtons();
    resize(620, 460);
}

QTreeWidget* TTextRcptEditForm::MakeList(const char* name, const QStringList& columns, const QList<int>& widths)
{
    auto* list = new QTreeWidget(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        list->setColumnWidth(i, widths[i]);
    list->setRootIsDecorated(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QWidget* TTextRcptEditForm::CreateReferencesPage()
{
    auto* page = new QWidget(this);
    const QStringList confColumns{QStringLiteral("#"), tr("Name")};
    const QStringList textColumns{tr("Text #"), tr("By")};
    rcptList_ = MakeList("RcptListView", confColumns, {50, 170});
    ccList_ = MakeList("CCListView", confColumns, {50, 170});
    comList_ = MakeList("ComListView", textColumns, {70, 150});
    footList_ = MakeList("FootListView", textColumns, {70, 150});

    confEdit_ = new TMiravoCompletionEdit(page);
    confEdit_->setObjectName(QStringLiteral("ConfEdit"));
    textEdit_ = new QLineEdit(page);
    textEdit_->setObjectName(QStringLiteral("TextEdit"));
    addRcpt_ = Button(tr("Add recipient >>"), "AddRcptButton", page);
    addCC_ = Button(tr("Add CC >>"), "AddCCButton", page);
    removeRcpt_ = Button(tr("Remove recipient <<"), "RemoveRcptButton", page);
    removeCC_ = Button(tr("Remove CC <<"), "RemoveCCButton", page);
    addCom_ = Button(tr("Add com to >>"), "AddComButton", page);
    removeCom_ = Button(tr("Remove com to <<"), "RemoveComButton", page);
    addFoot_ = Button(tr("Add footnote to >>"), "AddFootButton", page);
    removeFoot_ = Button(tr("Remove footn to <<"), "RemoveFootButton", page);

    auto group = [page](const QString& caption, QTreeWidget* list) {
        auto* box = new QGroupBox(caption, page);
        list->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        auto* l = new QVBoxLayout(box);
        l->addWidget(list);
        return box;
    };
    auto column = [](std::initializer_list<QWidget*> widgets) {
        auto* l = new QVBoxLayout;
        for (QWidget* w : widgets)
            l->addWidget(w);
        l->addStretch();
        return l;
    };

    auto* confLabel = new QLabel(tr("Con&ference or mailbox:"), page);
    confLabel->setBuddy(confEdit_);
    // The label sits outside the box that holds the edit and its complete
    // button, so it does not name the edit by itself.
    confEdit_->setAccessibleName(tr("Conference or mailbox"));
    auto* textLabel = new QLabel(tr("&Text nr:"), page);
    textLabel->setBuddy(textEdit_);

    auto* grid = new QGridLayout(page);
    auto* confSide = column({confLabel, WithCompleteButton(confEdit_, page), addRcpt_, addCC_, removeRcpt_, removeCC_});
    grid->addLayout(confSide, 0, 0, 2, 1);
    grid->addWidget(group(tr("&Recipients"), rcptList_), 0, 1);
    grid->addWidget(group(tr("&CC Recipients"), ccList_), 1, 1);
    auto* textSide = column({textLabel, textEdit_, addCom_, removeCom_, addFoot_, removeFoot_});
    grid->addLayout(textSide, 2, 0, 2, 1);
    grid->addWidget(group(tr("Co&mment to"), comList_), 2, 1);
    grid->addWidget(group(tr("&Footnote to"), footList_), 3, 1);
    // Each half down its column of edit and buttons, then through its lists.
    QWidget* const order[] = {confEdit_, addRcpt_, addCC_,     removeRcpt_, removeCC_,   rcptList_, ccList_,
                              textEdit_, addCom_,  removeCom_, addFoot_,    removeFoot_, comList_,  footList_};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    return page;
}

void TTextRcptEditForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!filled_) {
        filled_ = true;
        Fill();
    }
}

bool TTextRcptEditForm::Fill()
{
    if (!model_.Show()) {
        // Not from inside show(): the caller still holds the window.
        QTimer::singleShot(0, this, [this] { CloseWithFrame(this); });
        return false;
    }
    ShowReferences();
    auxList_->clear();
    for (const AuxEditorRow& row : model_.AuxItems()) {
        auto* item = new QTreeWidgetItem(auxList_);
        item->setText(0, FromWire(row.id));
        item->setText(1, FromWire(row.tag));
        item->setText(2, FromWire(row.creator));
        item->setText(3, FromWire(row.data));
    }
    tabs_->setCurrentIndex(0);
    return true;
}

void TTextRcptEditForm::ShowReferences()
{
    setWindowTitle(CoreText(model_.Caption()));
    FillList(rcptList_, model_.Recipients());
    FillList(ccList_, model_.CarbonCopies());
    FillList(comList_, model_.CommentTo());
    FillList(footList_, model_.FootnoteTo());
    UpdateButtons();
}

void TTextRcptEditForm::AfterChange(bool changed)
{
    // On success the model has read the text's status anew.
    if (changed)
        ShowReferences();
}

std::string TTextRcptEditForm::SelectedNumber(QTreeWidget* list, bool* any)
{
    const auto selected = list->selectedItems();
    if (any)
        *any = !selected.isEmpty();
    return selected.isEmpty() ? std::string() : ToWire(selected.front()->text(0));
}

void TTextRcptEditForm::UpdateButtons()
{
    const bool conf = TextRcptEditor::CanAdd(ToWire(confEdit_->text()));
    const bool text = TextRcptEditor::CanAdd(ToWire(textEdit_->text()));
    addRcpt_->setEnabled(conf);
    addCC_->setEnabled(conf);
    addCom_->setEnabled(text);
    addFoot_->setEnabled(text);
    auto removable = [](QTreeWidget* list) {
        bool any = false;
        const std::string number = SelectedNumber(list, &any);
        return TextRcptEditor::CanRemove(any ? &number : nullptr);
    };
    removeRcpt_->setEnabled(removable(rcptList_));
    removeCC_->setEnabled(removable(ccList_));
    removeCom_->setEnabled(removable(comList_));
    removeFoot_->setEnabled(removable(footList_));
}

} // namespace pellar
