#include "gui/events/ActiveUsersForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

#include "core/config/TMiravoConfiguration.h"
#include "core/events/EventsSession.h"
#include "core/link/MVTransaction.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/GuiServices.h"
#include "gui/common/WireCodec.h"
#include "gui/common/ToolBarOverflow.h"

namespace pellar {

namespace {

constexpr int kIdleIntervalMs = 60000;

} // namespace

TActiveUsersForm::TActiveUsersForm(EventsSession& session, const GuiServices* services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services)
{
    setObjectName(QStringLiteral("ActiveUsersForm"));
    setWindowTitle(tr("Active users"));
    resize(638, 425);

    CreateActions();
    QMenuBar* menuBar = BuildMenuBar();
    QToolBar* toolBar = BuildToolBar();
    BuildList();
    BuildPopup();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(listView_, 1);

    idleTimer_ = new QTimer(this);
    idleTimer_->setObjectName(QStringLiteral("IdleTimer"));
    idleTimer_->setInterval(kIdleIntervalMs);
    connect(idleTimer_, &QTimer::timeout, this, &TActiveUsersForm::IdleTimerTimer);
    idleTimer_->start();

    users_ = session_.NewActiveUsers(std::make_unique<QtCancellableGuiThread>(this), [this] { Render(); });
    UpdateActions();
}

void TActiveUsersForm::CreateActions()
{
    pinAction_ = new QAction(QIcon::fromTheme(QStringLiteral("window-pin")), tr("Pin"), this);
    pinAction_->setObjectName(QStringLiteral("PinActiveUsersAction"));
    pinAction_->setCheckable(true);
    pinAction_->setChecked(true);
    connect(pinAction_, &QAction::toggled, this, &TActiveUsersForm::PinToggled);
    refreshAction_ = new QAction(QIcon::fromTheme(QStringLiteral("view-refresh")), tr("&Refresh all"), this);
    refreshAction_->setObjectName(QStringLiteral("RefreshActiveAction"));
    refreshAction_->setShortcut(QKeySequence(Qt::Key_F5));
    connect(refreshAction_, &QAction::triggered, this, &TActiveUsersForm::RefreshActiveActionExecute);
    instantAction_ = new QAction(tr("&Instant update"), this);
    instantAction_->setObjectName(QStringLiteral("InstantUpdateActiveAction"));
    instantAction_->setShortcut(QKeySequence(Qt::Key_F7));
    instantAction_->setCheckable(true);
    connect(instantAction_, &QAction::toggled, this, &TActiveUsersForm::InstantUpdateActiveActionExecute);
    for (QAction* a : {refreshAction_, instantAction_}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
}

QMenuBar* TActiveUsersForm::BuildMenuBar()
{
    auto* menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);
    QMenu* userList = menuBar->addMenu(tr("&User list"));
    userList->setObjectName(QStringLiteral("Userlist1"));
    userList->addAction(refreshAction_);
    userList->addAction(instantAction_);
    return menuBar;
}

QToolBar* TActiveUsersForm::BuildToolBar()
{
    auto* toolBar = new QToolBar(this);
    NameToolBarOverflow(toolBar);
    toolBar->addAction(pinAction_);
    toolBar->addSeparator();
    updateSpeedButton_ = new QToolButton(this);
    updateSpeedButton_->setObjectName(QStringLiteral("UpdateSpeedButton"));
    updateSpeedButton_->setDefaultAction(refreshAction_);
    updateSpeedButton_->setToolTip(tr("Complete update"));
    activeUpdateSpeedButton_ = new QToolButton(this);
    activeUpdateSpeedButton_->setObjectName(QStringLiteral("ActiveUpdateSpeedButton"));
    activeUpdateSpeedButton_->setDefaultAction(instantAction_);
    activeUpdateSpeedButton_->setToolTip(tr("Instantly track events"));
    toolBar->addWidget(updateSpeedButton_);
    toolBar->addWidget(activeUpdateSpeedButton_);
    return toolBar;
}

void TActiveUsersForm::BuildList()
{
    listView_ = new QTreeWidget(this);
    listView_->setObjectName(QStringLiteral("ListView"));
    listView_->setAccessibleName(tr("Active users"));
    listView_->setRootIsDecorated(false);
    listView_->setUniformRowHeights(true);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setHeaderLabels({tr("Session"), tr("User"), tr("Conference"), tr("Activity"), tr("Idle (min)"),
                                tr("Client"), tr("Account"), tr("Host"), tr("Ident")});
    const std::pair<int, int> widths[] = {{colUser, 200},   {colConference, 200}, {colActivity, 100},
                                          {colAccount, 150}, {colHost, 150}};
    for (const auto& [column, width] : widths)
        listView_->setColumnWidth(column, width);
    listView_->header()->setSectionsClickable(true);
    listView_->header()->setSortIndicatorShown(false);
    connect(listView_->header(), &QHeaderView::sectionClicked, this, &TActiveUsersForm::SortByColumn);
}

void TActiveUsersForm::BuildPopup()
{
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("ListPopupMenu"));
    sendMessageAction_ = popup_->addAction(tr("&Send message"));
    viewPresentationAction_ = popup_->addAction(tr("&View presentation"));
    connect(sendMessageAction_, &QAction::triggered, this, [this] {
        const QString user = SelectedUser();
        if (!user.isEmpty())
            emit SendMessageRequested(user);
    });
    connect(viewPresentationAction_, &QAction::triggered, this, &TActiveUsersForm::ViewPresentationClick);
    listView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(listView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popup_->popup(listView_->viewport()->mapToGlobal(pos)); });
}

TActiveUsersForm::~TActiveUsersForm()
{
    users_->Shutdown();
}

void TActiveUsersForm::AddSession(int32_t, int32_t session, const std::string& personName,
                                  const std::string& client, const std::string& account, const std::string& host,
                                  const std::string& ident)
{
    users_->Table().AddSession(session, personName, client, account, host, ident);
    Render();
}

void TActiveUsersForm::RemoveSession(int32_t, int32_t session, const std::string&)
{
    users_->Table().RemoveSession(session);
    Render();
}

void TActiveUsersForm::UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                                      const std::string& doing, const std::string&)
{
    users_->Table().UpdatePresence(personName, confName, session, doing);
    Render();
}

void TActiveUsersForm::ClearRows()
{
    users_->Table().Clear();
    Render();
}

void TActiveUsersForm::SessionEnded()
{
    ClearRows();
    fillDue_ = true;
    // The next logon asks for no presence reports; the mark must not claim
    // otherwise. Offline, unchecking sends nothing.
    instantAction_->setChecked(false);
}

void TActiveUsersForm::Render()
{
    // Rebuilt from the table; the selected session stays selected.
    const ActiveUsersTable& table = users_->Table();
    const QString selected = listView_->currentItem() ? listView_->currentItem()->text(colSession) : QString();
    listView_->setUpdatesEnabled(false);
    while (listView_->topLevelItemCount() > static_cast<int>(table.Rows().size()))
        delete listView_->takeTopLevelItem(listView_->topLevelItemCount() - 1);
    for (size_t i = 0; i < table.Rows().size(); ++i) {
        QTreeWidgetItem* item = listView_->topLevelItem(static_cast<int>(i));
        if (!item)
            item = new QTreeWidgetItem(listView_);
        const ActiveUserRow& row = table.Rows()[i];
        for (int c = 0; c < kActiveUsersColumns; ++c)
            item->setText(c, FromWire(row.cells[static_cast<size_t>(c)]));
        if (!selected.isEmpty() && item->text(colSession) == selected)
            listView_->setCurrentItem(item);
    }
    listView_->setUpdatesEnabled(true);
}

void TActiveUsersForm::SortByColumn(int column)
{
    users_->Table().Sort(column);
    Render();
}

void TActiveUsersForm::IdleTimerTimer()
{
    users_->Table().IdleTick();
    Render();
}

void TActiveUsersForm::RefreshActiveActionExecute()
{
    users_->Refresh();
}

void TActiveUsersForm::InstantUpdateActiveActionExecute(bool checked)
{
    session_.AcceptPresenceReports(checked);
}

QString TActiveUsersForm::SelectedUser() const
{
    const QTreeWidgetItem* item = listView_->currentItem();
    return item ? item->text(colUser) : QString();
}

void TActiveUsersForm::ViewPresentationClick()
{
    const QString user = SelectedUser();
    if (user.isEmpty() || !services_ || !services_->names || !services_->showPresentation)
        return;
    // The logon's look-up: one match is taken, several are offered.
    const NameLookupResult found = services_->names->Lookup(ToWire(user), true, false);
    if (found.failed && !found.error.empty())
        PostUserMessage(services_, "!" + found.error, this);
    const std::vector<NameMatch>& matches = found.matches;
    if (matches.empty())
        return;
    std::optional<int32_t> number = matches.front().number;
    if (matches.size() > 1)
        number = ChooseName(services_, matches, this);
    if (number)
        services_->showPresentation(*number);
}

void TActiveUsersForm::ApplyWindowSettings()
{
    for (int i = 0; i < kActiveUsersColumns; ++i) {
        bool ok = false;
        const int width = QString::fromStdString(
                              session_.Config().ReadString("WhoIsOnListCol" + std::to_string(i), "-1"))
                              .toInt(&ok);
        if (ok && width >= 0)
            listView_->setColumnWidth(i, width);
    }
}

void TActiveUsersForm::SaveColumnWidths()
{
    for (int i = 0; i < kActiveUsersColumns; ++i)
        session_.Config().WriteString("WhoIsOnListCol" + std::to_string(i), std::to_string(listView_->columnWidth(i)));
}

void TActiveUsersForm::UpdateActions()
{
    const bool online = session_.IsConnected();
    refreshAction_->setEnabled(online);
    instantAction_->setEnabled(online);
    FillWhenSeen();
}

void TActiveUsersForm::FillWhenSeen()
{
    if (!fillDue_ || !isVisible() || !session_.IsConnected())
        return;
    // In a minimised frame the list is out of sight; it is seen once the
    // frame is restored.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && frame->isMinimized())
        return;
    fillDue_ = false;
    users_->Refresh();
}

void TActiveUsersForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FillWhenSeen();
}

bool TActiveUsersForm::event(QEvent* event)
{
    // A frame's restore does not show the list again: its state is watched.
    if (event->type() == QEvent::ParentAboutToChange && parentWidget())
        parentWidget()->removeEventFilter(this);
    if (event->type() == QEvent::ParentChange && parentWidget())
        parentWidget()->installEventFilter(this);
    return QWidget::event(event);
}

bool TActiveUsersForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show))
        QTimer::singleShot(0, this, &TActiveUsersForm::FillWhenSeen);
    return QWidget::eventFilter(watched, event);
}

void TActiveUsersForm::closeEvent(QCloseEvent* event)
{
    if (main_) {
        event->ignore();
        QWidget* frame = parentWidget() ? parentWidget() : this;
        frame->showMinimized();
        return;
    }
    QWidget::closeEvent(event);
}

void TActiveUsersForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        UpdateActions();
    QWidget::changeEvent(event);
}

} // namespace pellar
