#include "gui/writing/DraftOffers.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/common/QtLocalePort.h"
#include "gui/common/WireCodec.h"
#include "gui/writing/DraftKeeper.h"
#include "gui/writing/WriteTextForm.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

#include <set>

namespace pellar {

DraftOffers::DraftOffers(std::filesystem::path dir, QObject* parent) : QObject(parent), store_(std::move(dir)) {}

QList<TWriteTextForm*> DraftOffers::OpenWritingWindows()
{
    QList<TWriteTextForm*> forms;
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* form = qobject_cast<TWriteTextForm*>(widget))
            forms.append(form);
    return forms;
}

QString DraftOffers::Describe(const Draft& draft)
{
    const QDateTime saved = QDateTime::fromSecsSinceEpoch(draft.savedAt);
    const QString subject = draft.subject.empty() ? tr("(no subject)")
                                                  : QStringLiteral("\"%1\"").arg(FromWire(draft.subject));
    const DraftPlace& place = draft.place;
    const QString where =
        place.Known()
            ? tr("Written as %1 on %2, port %3.")
                  .arg(FromWire(place.personName), QString::fromStdString(place.server),
                       QString::fromStdString(place.port))
            : tr("Written where unknown (kept before drafts noted their server): "
                             "check its recipients before you submit it.");
    return tr("%1, last saved %2\n%3")
        .arg(subject, QtLocalePort::DateTimeText(saved), where);
}

void DraftOffers::OfferKept(const std::string& profile, const DraftPlace& here, QWidget* parent,
                            const std::function<void(const Draft&)>& open)
{
    std::set<std::string> inUse;
    for (TWriteTextForm* form : OpenWritingWindows())
        if (form->Drafts())
            inUse.insert(form->Drafts()->Id());
    for (const Draft& draft : store_.ListFor(profile, here)) {
        if (inUse.count(draft.id))
            continue;
        const QString question =
            tr("A text you were writing was not submitted:\n\n%1\n\nOpen it again?").arg(Describe(draft));
        switch (AskOffer(parent, question)) {
        case Offer::Open: open(draft); break;
        case Offer::Discard: store_.Remove(draft.id); break;
        case Offer::Later: break;
        }
    }
}

bool DraftOffers::ConfirmQuit(QWidget* parent)
{
    QList<TWriteTextForm*> unsent;
    for (TWriteTextForm* form : OpenWritingWindows())
        if (form->HasUnsentText())
            unsent.append(form);
    if (unsent.isEmpty())
        return true;
    const QString question =
        unsent.size() == 1
            ? tr("A text you are writing has not been submitted.\n\nQuit anyway? "
                             "The text is kept and offered again the next time you connect.")
            : tr("%n texts you are writing have not been submitted.\n\nQuit anyway? "
                 "The texts are kept and offered again the next time you connect.",
                 nullptr, int(unsent.size()));
    if (!AskQuit(parent, question))
        return false;
    for (TWriteTextForm* form : unsent)
        form->KeepForQuit();
    return true;
}

DraftOffers::Offer DraftOffers::AskOffer(QWidget* parent, const QString& question)
{
    if (offerAnswer_)
        return offerAnswer_(question);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pellar"), question, QMessageBox::NoButton, parent);
    QPushButton* open = box.addButton(tr("&Open"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(tr("&Later"), QMessageBox::RejectRole);
    box.setDefaultButton(open);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == open)
        return Offer::Open;
    return box.clickedButton() == discard ? Offer::Discard : Offer::Later;
}

bool DraftOffers::AskQuit(QWidget* parent, const QString& question)
{
    if (quitAnswer_)
        return quitAnswer_(question);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pellar"), question, QMessageBox::NoButton, parent);
    QPushButton* quit = box.addButton(tr("&Quit"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == quit;
}

} // namespace pellar
