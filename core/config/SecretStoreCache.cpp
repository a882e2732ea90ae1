#include "core/config/SecretStoreCache.h"

namespace pellar {

SecretStoreCache::SecretStoreCache(std::shared_ptr<SecretStore> keyring) : keyring_(std::move(keyring)) {}

SecretStoreCache::~SecretStoreCache()
{
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& t : workers)
        t.join();
}

void SecretStoreCache::Keep(const std::string& key, Status status, const std::string& secret)
{
    std::lock_guard lock(mutex_);
    if (status == Status::Unavailable)
        answers_.erase(key);
    else
        answers_[key] = Answer{status, status == Status::Ok ? secret : std::string()};
}

void SecretStoreCache::Prefetch(const std::string& key, std::function<void()> done)
{
    {
        std::lock_guard lock(mutex_);
        if (const auto running = fetching_.find(key); running != fetching_.end()) {
            // That look-up's answer serves this caller too.
            if (done)
                running->second.push_back(std::move(done));
            return;
        }
        if (!answers_.count(key)) {
            auto& waiting = fetching_[key];
            if (done)
                waiting.push_back(std::move(done));
            workers_.emplace_back([this, key] {
                std::string secret;
                const Status status = keyring_->Read(key, secret);
                Keep(key, status, secret);
                std::vector<std::function<void()>> waiting;
                {
                    std::lock_guard lock(mutex_);
                    waiting.swap(fetching_[key]);
                    fetching_.erase(key);
                }
                fetched_.notify_all();
                for (auto& call : waiting)
                    call();
            });
            return;
        }
    }
    if (done)
        done();
}

bool SecretStoreCache::Knows(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    return answers_.count(key) != 0;
}

SecretStore::Status SecretStoreCache::Read(const std::string& key, std::string& secret)
{
    {
        std::unique_lock lock(mutex_);
        fetched_.wait(lock, [&] { return !fetching_.count(key); });
        if (const auto it = answers_.find(key); it != answers_.end()) {
            if (it->second.status == Status::Ok)
                secret = it->second.secret;
            return it->second.status;
        }
    }
    std::string fresh;
    const Status status = keyring_->Read(key, fresh);
    Keep(key, status, fresh);
    if (status == Status::Ok)
        secret = fresh;
    return status;
}

SecretStore::Status SecretStoreCache::Write(const std::string& key, const std::string& secret)
{
    {
        std::lock_guard lock(mutex_);
        if (const auto it = answers_.find(key);
            it != answers_.end() && it->second.status == Status::Ok && it->second.secret == secret)
            return Status::Ok;
    }
    const Status status = keyring_->Write(key, secret);
    if (status == Status::Ok)
        Keep(key, Status::Ok, secret);
    else
        Keep(key, Status::Unavailable, {});  // not known any more
    return status;
}

SecretStore::Status SecretStoreCache::Remove(const std::string& key)
{
    const Status status = keyring_->Remove(key);
    Keep(key, status == Status::Ok ? Status::NotFound : Status::Unavailable, {});
    return status;
}

} // namespace pellar
