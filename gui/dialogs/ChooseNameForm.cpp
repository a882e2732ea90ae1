#include "gui/dialogs/ChooseNameForm.h"

#include "gui/common/GuiServices.h"
#include "gui/common/WireCodec.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pellar {

TChooseNameForm::TChooseNameForm(const GuiServices* services, QWidget* parent)
    : QDialog(parent), services_(services)
{
    setWindowTitle(tr("Select name"));

    auto* namesGroup = new QGroupBox(tr("&Matching names"), this);
    nameList_ = new QListWidget(namesGroup);
    nameList_->setObjectName(QStringLiteral("NameListBox"));
    nameList_->setAccessibleName(tr("Matching names"));
    auto* namesLayout = new QVBoxLayout(namesGroup);
    namesLayout->addWidget(nameList_);

    auto* filterGroup = new QGroupBox(tr("&Filter"), this);
    filterEdit_ = new QLineEdit(filterGroup);
    filterEdit_->setObjectName(QStringLiteral("FilterEdit"));
    auto* filterLayout = new QFormLayout(filterGroup);
    filterLayout->addRow(tr("&Substring:"), filterEdit_);

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(tr("Ok"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    presentationButton_ = buttons->addButton(tr("Presentation"), QDialogButtonBox::ActionRole);
    okButton_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(namesGroup, 1);
    layout->addWidget(filterGroup);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(presentationButton_, &QPushButton::clicked, this, &TChooseNameForm::PresentationClick);
    connect(filterEdit_, &QLineEdit::textChanged, this, &TChooseNameForm::Refill);
    connect(nameList_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(nameList_, &QListWidget::currentRowChanged, this, &TChooseNameForm::UpdateOk);
    resize(320, 360);
}

void TChooseNameForm::SetMatches(std::vector<NameMatch> matches)
{
    matches_ = std::move(matches);
    Refill();
}

void TChooseNameForm::Refill()
{
    const QString filter = filterEdit_->text();
    QStringList names;
    for (const NameMatch& match : matches_) {
        const QString name = FromWire(match.name);
        if (filter.isEmpty() || name.contains(filter, Qt::CaseInsensitive))
            names << name;
    }
    // Sorted as a reader expects: "anna" next to "Anna", not after "Zeta".
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    nameList_->clear();
    nameList_->addItems(names);
    if (nameList_->count() > 0)
        nameList_->setCurrentRow(0);
    UpdateOk();
}

void TChooseNameForm::UpdateOk()
{
    // With nothing selected there is nothing to choose.
    okButton_->setEnabled(nameList_->currentItem() != nullptr);
}

std::optional<int32_t> TChooseNameForm::ChosenNumber() const
{
    const QListWidgetItem* item = nameList_->currentItem();
    if (!item)
        return std::nullopt;
    const std::string chosen = ToWire(item->text());
    for (const NameMatch& match : matches_)
        if (match.name == chosen)
            return match.number;
    return std::nullopt;
}

void TChooseNameForm::PresentationClick()
{
    const std::optional<int32_t> number = ChosenNumber();
    if (!number) {
        QApplication::beep();
        return;
    }
    emit PresentationRequested(*number);
    if (services_ && services_->showPresentation)
        services_->showPresentation(*number);
}

NameChooser DialogNameChooser(const GuiServices* services)
{
    return [services](const std::vector<NameMatch>& matches, QWidget* parent) -> std::optional<int32_t> {
        TChooseNameForm form(services, parent);
        form.SetMatches(matches);
        if (form.exec() != QDialog::Accepted)
            return std::nullopt;
        return form.ChosenNumber();
    };
}

} // namespace pellar
