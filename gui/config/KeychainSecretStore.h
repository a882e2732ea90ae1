// Saved passwords in the desktop's secret service, through QtKeychain. The
// jobs answer asynchronously, through the GUI thread's event loop, for a few
// seconds at most: a call on the GUI thread waits in a local event loop (the
// windows keep painting); a call from another thread starts its job there
// and waits on its own, the GUI thread running on meanwhile. A service that
// does not answer, or is not there, is not asked again in this run, so the
// settings file's obscured form takes over at once.
#pragma once

#include "core/config/SecretStore.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QObject;

namespace QKeychain {
class Job;
}

namespace pellar {

class KeychainSecretStore : public SecretStore {
public:
    explicit KeychainSecretStore(QString service = QStringLiteral("Pellar"),
                                 std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

    Status Write(const std::string& key, const std::string& secret) override;
    Status Read(const std::string& key, std::string& secret) override;
    Status Remove(const std::string& key) override;

    // False once the service failed to answer or said it is not there.
    bool Answering() const { return !unavailable_->load(); }

private:
    struct Outcome;
    // Has the job that make builds run on the GUI thread and waits for its
    // answer; secret receives what a read found. make copies what it needs:
    // it may run after this call gave up.
    Status Run(std::function<QKeychain::Job*()> make, std::string* secret);
    // On the GUI thread: starts the job; its answer goes to outcome, then
    // then() runs, as long as receiver (null: the job) lives.
    static void Start(const std::function<QKeychain::Job*()>& make, const std::shared_ptr<Outcome>& outcome,
                      const std::shared_ptr<std::atomic<bool>>& unavailable, QObject* receiver,
                      std::function<void()> then);

    const QString service_;
    const std::chrono::milliseconds timeout_;
    // Shared with jobs that may answer after this store is gone.
    std::shared_ptr<std::atomic<bool>> unavailable_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace pellar
