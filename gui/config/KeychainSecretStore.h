// Saved passwords in the desktop's secret service, through QtKeychain. The
// jobs answer asynchronously: each call waits in a local event loop (the
// windows keep painting) for a few seconds at most. A service that does not
// answer, or is not there, is not asked again in this run, so the settings
// file's obscured form takes over at once.
#pragma once

#include "core/config/SecretStore.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>

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
    bool Answering() const { return !unavailable_.load(); }

private:
    // Starts the job made by make (on the GUI thread) and waits for it;
    // done reads its result once it finished in time.
    Status Run(const std::function<QKeychain::Job*()>& make, const std::function<void(QKeychain::Job&)>& done);
    Status RunHere(const std::function<QKeychain::Job*()>& make, const std::function<void(QKeychain::Job&)>& done);

    const QString service_;
    const std::chrono::milliseconds timeout_;
    std::atomic<bool> unavailable_{false};
};

} // namespace pellar
