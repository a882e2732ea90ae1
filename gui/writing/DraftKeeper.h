// Keeps the text of one writing window on disk while the user types: a few
// seconds after the last change, and at once when asked (close, quit). Once
// the text is sent or trashed its draft goes away.
#pragma once

#include "core/writing/DraftStore.h"

#include <QObject>

#include <functional>
#include <string>

class QTimer;

namespace pellar {

class DraftKeeper : public QObject {
    Q_OBJECT

public:
    // How long typing may go unsaved.
    static constexpr int kSaveDelayMs = 3000;

    // snapshot: what the window holds now; profile and place: where it is
    // written (a kept draft of an unknown place continues here).
    DraftKeeper(DraftStore store, std::string profile, DraftPlace place, std::function<Draft()> snapshot,
                QObject* parent = nullptr);

    // Continues a kept draft (same file) instead of starting a new one.
    void Adopt(const std::string& id) { id_ = id; }
    const std::string& Id() const { return id_; }

    // The text changed: save soon.
    void Changed();
    // Saves now unless the text is finished; an empty text leaves no file.
    void SaveNow();
    // Sent or trashed: the draft goes and nothing is saved any more.
    void Finish();
    bool Finished() const { return finished_; }
    bool Pending() const;

signals:
    // The draft could not be written (full disk, folder gone): why, in words.
    void SaveFailed(const QString& why);

private:
    DraftStore store_;
    std::string profile_;
    DraftPlace place_;
    std::function<Draft()> snapshot_;
    std::string id_;
    QTimer* timer_;
    bool finished_ = false;
};

} // namespace pellar
