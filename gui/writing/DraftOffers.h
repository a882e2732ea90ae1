// The program's side of kept drafts: after a logon it offers again the texts
// a crash, a restart or a closed window left unsent by the same person on the
// same server, and before the program quits it asks about the texts still
// open.
#pragma once

#include "core/writing/DraftStore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace pellar {

class TWriteTextForm;

class DraftOffers : public QObject {
    Q_OBJECT

public:
    enum class Offer { Open, Discard, Later };

    explicit DraftOffers(std::filesystem::path dir, QObject* parent = nullptr);

    const DraftStore& Store() const { return store_; }

    // Offers every kept draft that belongs here (DraftStore::ListFor) and
    // that no open window is writing; open puts an accepted one into a
    // window.
    void OfferKept(const std::string& profile, const DraftPlace& here, QWidget* parent,
                   const std::function<void(const Draft&)>& open);
    // True when the program may quit: no unsent text is open, or the user
    // agreed to quit (the texts are kept as drafts then).
    bool ConfirmQuit(QWidget* parent);

    // The questions go here instead of message boxes when set (tests).
    void SetOfferAnswerer(std::function<Offer(const QString&)> answer) { offerAnswer_ = std::move(answer); }
    void SetQuitAnswerer(std::function<bool(const QString&)> answer) { quitAnswer_ = std::move(answer); }

    // Every writing window, in the frame or on its own.
    static QList<TWriteTextForm*> OpenWritingWindows();
    // The lines of an offer: the subject, when it was saved, and where it
    // was written (or that this is not known).
    static QString Describe(const Draft& draft);

private:
    Offer AskOffer(QWidget* parent, const QString& question);
    bool AskQuit(QWidget* parent, const QString& question);

    DraftStore store_;
    std::function<Offer(const QString&)> offerAnswer_;
    std::function<bool(const QString&)> quitAnswer_;
};

} // namespace pellar
