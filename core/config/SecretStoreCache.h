// Saved passwords as the keyring last answered for them. A keyring may take
// seconds to answer (or prompt the user), so the program asks it ahead, on a
// worker, and the GUI thread later reads the answer from here without
// waiting. Writing back what the keyring already holds asks it nothing.
#pragma once

#include "core/config/SecretStore.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pellar {

class SecretStoreCache : public SecretStore {
public:
    explicit SecretStoreCache(std::shared_ptr<SecretStore> keyring);
    // Waits for the look-ups still running: as long as the keyring takes
    // to answer or to give up.
    ~SecretStoreCache() override;
    SecretStoreCache(const SecretStoreCache&) = delete;
    SecretStoreCache& operator=(const SecretStoreCache&) = delete;

    // Reads key from the keyring on a worker and keeps the answer; then runs
    // done on that worker (also when the keyring did not answer). When the
    // answer is known already, done runs at once on the caller's thread;
    // while a look-up of key runs, done joins it.
    void Prefetch(const std::string& key, std::function<void()> done);
    // An answer for key is kept (a later Read asks the keyring nothing).
    bool Knows(const std::string& key) const;

    Status Write(const std::string& key, const std::string& secret) override;
    // A look-up of the same key still running is waited for, not repeated.
    Status Read(const std::string& key, std::string& secret) override;
    Status Remove(const std::string& key) override;

private:
    struct Answer {
        Status status;
        std::string secret;
    };
    // Keeps what the keyring said; an unavailable keyring is asked again.
    void Keep(const std::string& key, Status status, const std::string& secret);

    const std::shared_ptr<SecretStore> keyring_;
    mutable std::mutex mutex_;  // answers_, fetching_, workers_
    std::condition_variable fetched_;
    std::map<std::string, Answer> answers_;
    // Keys being looked up, with whoever waits for the answer.
    std::map<std::string, std::vector<std::function<void()>>> fetching_;
    std::vector<std::thread> workers_;
};

} // namespace pellar
