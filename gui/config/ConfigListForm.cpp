#include "gui/config/ConfigListForm.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/common/WireCodec.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

namespace {

constexpr int kProfileRole = Qt::UserRole;  // the profile's name as bytes; absent on "Default"

// The desktop theme's padlock, or a plain one drawn here where the theme has
// none.
QIcon LockIcon()
{
    QPixmap lock(16, 16);
    lock.fill(Qt::transparent);
    QPainter p(&lock);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
    p.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 150, 30));
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7.5), 1.5, 1.5);
    p.end();
    return QIcon::fromTheme(QStringLiteral("security-high"), QIcon(lock));
}

} // namespace

TConfigListForm::TConfigListForm(std::shared_ptr<RegistryBackend> backend, std::string loginName, QWidget* parent)
    : QDialog(parent), backend_(std::move(backend)), loginName_(std::move(loginName)),
      store_(std::make_unique<TMiravoConfiguration>(backend_, loginName_))
{
    setWindowTitle(tr("Configurations"));
    setObjectName(QStringLiteral("ConfigListForm"));

    prompt_ = [](QWidget* owner, const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    runner_ = [this](TMiravoConfiguration& config) {
        TConfigForm form(this);
        form.SetConfiguration(&config);
        form.SetWindowSettingsHooks(hooks_);
        form.exec();
    };

    treeView_ = new QTreeWidget(this);
    treeView_->setObjectName(QStringLiteral("ConfigTreeView"));
    treeView_->setAccessibleName(windowTitle());
    treeView_->setHeaderHidden(true);
    treeView_->setSelectionMode(QAbstractItemView::SingleSelection);
    treeView_->setContextMenuPolicy(Qt::CustomContextMenu);
    treeView_->viewport()->installEventFilter(this);

    popupMenu_ = new QMenu(treeView_);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    propertiesAction_ = popupMenu_->addAction(tr("&Properties..."));
    connect(propertiesAction_, &QAction::triggered, this, &TConfigListForm::PropertiesClick);
    connect(treeView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        propertiesAction_->setEnabled(clickedNode_ != nullptr);
        popupMenu_->popup(treeView_->viewport()->mapToGlobal(pos));
    });

    addButton_ = new QPushButton(tr("&Add..."), this);
    addButton_->setObjectName(QStringLiteral("AddButton"));
    addButton_->setAutoDefault(false);
    removeButton_ = new QPushButton(tr("&Remove"), this);
    removeButton_->setObjectName(QStringLiteral("RemoveButton"));
    removeButton_->setAutoDefault(false);
    doneButton_ = new QPushButton(tr("Done"), this);
    doneButton_->setObjectName(QStringLiteral("DoneButton"));
    doneButton_->setDefault(true);
    connect(addButton_, &QPushButton::clicked, this, &TConfigListForm::AddClick);
    connect(removeButton_, &QPushButton::clicked, this, &TConfigListForm::RemoveClick);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(doneButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(treeView_, 1);
    layout->addLayout(buttons);
    resize(340, 260);
}

TConfigListForm::~TConfigListForm() = default;

void TConfigListForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Refill();
    QDialog::showEvent(event);
}

void TConfigListForm::MarkEncryption(QTreeWidgetItem* node, const std::string& profile)
{
    // What is in effect for the profile, inherited from Default or its own.
    TMiravoConfiguration config(backend_, loginName_);
    config.SetProfile(TMiravoConfiguration::ProfilePathFor(profile));
    if (!config.ReadFlag(ConfigKeys::UseTls, false)) {
        // A blank of the same size keeps the names in one column.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        node->setIcon(0, QIcon(blank));
        return;
    }
    node->setIcon(0, LockIcon());
    node->setToolTip(0, tr("Encrypted connection (TLS)"));
}

void TConfigListForm::Refill()
{
    clickedNode_ = nullptr;
    treeView_->clear();
    auto* root = new QTreeWidgetItem(treeView_, {tr("Default")});
    MarkEncryption(root, {});
    for (const std::string& name : store_->ProfileNames()) {
        auto* node = new QTreeWidgetItem(root, {FromWire(name, WireCharset::Latin1)});
        node->setData(0, kProfileRole, QByteArray::fromStdString(name));
        MarkEncryption(node, name);
    }
    treeView_->expandAll();
    treeView_->setCurrentItem(root);
}

std::string TConfigListForm::ProfileOf(const QTreeWidgetItem* node) const
{
    return node ? node->data(0, kProfileRole).toByteArray().toStdString() : std::string();
}

void TConfigListForm::AddClick()
{
    const auto name = prompt_(this, tr("Add configuration"), tr("Configuration name:"));
    if (!name)
        return;
    // The store refuses an empty name and one holding "\", which would not
    // be a profile of its own; an existing one is left as it is.
    store_->AddProfile(ToWire(*name, WireCharset::Latin1));
    Refill();
}

void TConfigListForm::RemoveClick()
{
    const QTreeWidgetItem* node = treeView_->currentItem();
    const std::string name = ProfileOf(node);
    if (name.empty())
        return;  // nothing selected, or "Default", which cannot go
    store_->RemoveProfile(name);
    Refill();
}

void TConfigListForm::PropertiesClick()
{
    QTreeWidgetItem* node = clickedNode_ ? clickedNode_ : treeView_->currentItem();
    if (!node)
        return;
    TMiravoConfiguration config(backend_, loginName_);
    config.SetSecretStore(store_->Secrets());
    config.SetProfile(TMiravoConfiguration::ProfilePathFor(ProfileOf(node)));
    runner_(config);
    Refill();
}

bool TConfigListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == treeView_->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Any button selects the node under the pointer, and the menu acts
        // on the node hit by the last click.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        clickedNode_ = treeView_->itemAt(mouse->position().toPoint());
        if (clickedNode_)
            treeView_->setCurrentItem(clickedNode_);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pellar
