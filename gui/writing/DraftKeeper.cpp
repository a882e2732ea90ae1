#include "gui/writing/DraftKeeper.h"

#include <QTimer>

#include <chrono>

namespace pellar {

DraftKeeper::DraftKeeper(DraftStore store, std::string profile, DraftPlace place, std::function<Draft()> snapshot,
                         QObject* parent)
    : QObject(parent),
      store_(std::move(store)),
      profile_(std::move(profile)),
      place_(std::move(place)),
      snapshot_(std::move(snapshot)),
      id_(store_.NewId()),
      timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    timer_->setInterval(kSaveDelayMs);
    connect(timer_, &QTimer::timeout, this, &DraftKeeper::SaveNow);
}

void DraftKeeper::Changed()
{
    // Not restarted on every key: a steady typist is saved every few seconds.
    if (!finished_ && !timer_->isActive())
        timer_->start();
}

bool DraftKeeper::Pending() const
{
    return timer_->isActive();
}

void DraftKeeper::SaveNow()
{
    timer_->stop();
    if (finished_)
        return;
    Draft draft = snapshot_();
    if (draft.Empty()) {
        store_.Remove(id_);
        return;
    }
    draft.id = id_;
    draft.profile = profile_;
    draft.place = place_;
    draft.savedAt = std::chrono::duration_cast<std::chrono::seconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    std::string error;
    if (!store_.Save(draft, &error))
        emit SaveFailed(tr("The draft could not be saved: %1").arg(QString::fromLocal8Bit(error.c_str())));
}

void DraftKeeper::Finish()
{
    finished_ = true;
    timer_->stop();
    store_.Remove(id_);
}

} // namespace pellar
