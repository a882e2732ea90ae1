#include "gui/dialogs/StatisticsForm.h"

#include "gui/common/WindowFrame.h"

#include "core/admin/StatisticsFormat.h"
#include "gui/common/WireCodec.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pellar {

namespace {

QLineEdit* Field(QFormLayout* form, const QString& label, const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setMinimumWidth(160);
    form->addRow(label, edit);
    return edit;
}

} // namespace

TStatisticsForm::TStatisticsForm(std::function<StatisticsFields()> collect, QWidget* parent)
    : QWidget(parent), collect_(std::move(collect))
{
    setObjectName(QStringLiteral("StatisiticsForm"));
    setWindowTitle(tr("Statistics"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* communication = new QGroupBox(tr("Communication"), this);
    auto* commForm = new QFormLayout(communication);
    bytesSent_ = Field(commForm, tr("Bytes sent:"), "BytesSentEdit");
    bytesReceived_ = Field(commForm, tr("Bytes received:"), "BytesReceivedEdit");
    transactions_ = Field(commForm, tr("Transactions:"), "TransactionsEdit");
    asyncMessages_ = Field(commForm, tr("Async messages:"), "AsyncMessagesEdit");

    auto* cache = new QGroupBox(tr("Cache"), this);
    auto* cacheForm = new QFormLayout(cache);
    nameHits_ = Field(cacheForm, tr("Name from number: "), "NameHitEdit");
    textStatHits_ = Field(cacheForm, tr("Text stat:"), "TextStatHitEdit");
    textBodyHits_ = Field(cacheForm, tr("Text body:"), "TextBodyHitEdit");

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(close, &QPushButton::clicked, this, [this] { CloseWithFrame(this); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(communication);
    layout->addWidget(cache);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(3000);
    connect(timer_, &QTimer::timeout, this, &TStatisticsForm::Refresh);
}

void TStatisticsForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
    timer_->start();
}

void TStatisticsForm::Refresh()
{
    const StatisticsFields f = collect_ ? collect_() : StatisticsFields{};
    bytesSent_->setText(FromWire(f.bytesSent));
    bytesReceived_->setText(FromWire(f.bytesReceived));
    transactions_->setText(FromWire(f.transactions));
    asyncMessages_->setText(FromWire(f.asyncMessages));
    nameHits_->setText(FromWire(f.nameHitRate));
    textStatHits_->setText(FromWire(f.textStatHitRate));
    textBodyHits_->setText(FromWire(f.textBodyHitRate));
}

} // namespace pellar
