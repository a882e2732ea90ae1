#include "gui/dialogs/AboutBox.h"

#include "core/base/ProgramVersion.h"
#include "gui/dialogs/AboutFigure.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pellar {

namespace {

QLabel* PlainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("About"));

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    figure_ = new TAboutFigure(panel);

    QLabel* product = PlainLabel(QStringLiteral("Pellar"), panel);
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    versionLabel_ = PlainLabel(QString(), panel);
    versionLabel_->setObjectName(QStringLiteral("Version"));

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(versionLabel_);
    text->addSpacing(8);
    text->addWidget(PlainLabel(tr("A client for the Miravo text-conferencing system."), panel));
    text->addWidget(PlainLabel(tr("Read, write and talk in conferences."), panel));
    text->addStretch(1);

    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(figure_);
    panelLayout->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(10);
    connect(timer_, &QTimer::timeout, figure_, &TAboutFigure::Step);
}

QString TAboutBox::VersionLine()
{
    return tr("Version %1.%2 %3")
        .arg(QString::fromStdString(ProgramMajorVersion()), QString::fromStdString(ProgramMinorVersion()),
             QStringLiteral("1999-05-30 (alpha)"));
}

bool TAboutBox::AnimationRunning() const
{
    return timer_->isActive();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    versionLabel_->setText(VersionLine());
    QDialog::showEvent(event);
    timer_->start();
}

void TAboutBox::hideEvent(QHideEvent* event)
{
    timer_->stop();
    QDialog::hideEvent(event);
}

} // namespace pellar
