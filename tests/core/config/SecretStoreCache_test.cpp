#include "core/config/SecretStoreCache.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>

#include <gtest/gtest.h>

namespace pellar {
namespace {

using namespace std::chrono_literals;
using Status = SecretStore::Status;

// A keyring that answers only once the test opens it, as one does that
// prompts the user; it counts every question.
class GatedKeyring : public SecretStore {
public:
    std::atomic<int> calls{0};
    std::atomic<bool> answering{true};

    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        cond_.notify_all();
    }
    void Put(const std::string& key, const std::string& secret)
    {
        std::lock_guard lock(mutex_);
        entries_[key] = secret;
    }
    std::string Held(const std::string& key)
    {
        std::lock_guard lock(mutex_);
        return entries_.count(key) ? entries_[key] : "<none>";
    }

    Status Write(const std::string& key, const std::string& secret) override
    {
        std::unique_lock lock = Wait();
        if (!answering)
            return Status::Unavailable;
        entries_[key] = secret;
        return Status::Ok;
    }
    Status Read(const std::string& key, std::string& secret) override
    {
        std::unique_lock lock = Wait();
        if (!answering)
            return Status::Unavailable;
        const auto it = entries_.find(key);
        if (it == entries_.end())
            return Status::NotFound;
        secret = it->second;
        return Status::Ok;
    }
    Status Remove(const std::string& key) override
    {
        std::unique_lock lock = Wait();
        if (!answering)
            return Status::Unavailable;
        entries_.erase(key);
        return Status::Ok;
    }

private:
    std::unique_lock<std::mutex> Wait()
    {
        ++calls;
        std::unique_lock lock(mutex_);
        cond_.wait(lock, [this] { return open_; });
        return lock;
    }
    std::mutex mutex_;
    std::condition_variable cond_;
    bool open_ = false;
    std::map<std::string, std::string> entries_;
};

TEST(SecretStoreCache, APrefetchWaitsForTheKeyringOnAWorkerAndLaterReadsAskNothing)
{
    auto keyring = std::make_shared<GatedKeyring>();
    keyring->Put("k", "secret");
    SecretStoreCache cache(keyring);
    std::promise<void> arrived;
    // The keyring is still closed: the caller is not held up.
    cache.Prefetch("k", [&] { arrived.set_value(); });
    EXPECT_FALSE(cache.Knows("k"));
    auto later = arrived.get_future();
    EXPECT_EQ(later.wait_for(50ms), std::future_status::timeout);
    // A second prefetch joins the first instead of asking again.
    std::promise<void> alsoArrived;
    cache.Prefetch("k", [&] { alsoArrived.set_value(); });
    keyring->Open();
    ASSERT_EQ(later.wait_for(5s), std::future_status::ready);
    ASSERT_EQ(alsoArrived.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(cache.Knows("k"));
    EXPECT_EQ(keyring->calls.load(), 1);

    std::string secret;
    EXPECT_EQ(cache.Read("k", secret), Status::Ok);
    EXPECT_EQ(secret, "secret");
    // Known already: done runs at once, nothing is asked.
    bool ranAtOnce = false;
    cache.Prefetch("k", [&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce);
    EXPECT_EQ(keyring->calls.load(), 1);
}

TEST(SecretStoreCache, WritingWhatTheKeyringHoldsAsksNothingAndANewSecretGoesThrough)
{
    auto keyring = std::make_shared<GatedKeyring>();
    keyring->Open();
    keyring->Put("k", "old");
    SecretStoreCache cache(keyring);
    std::string secret;
    EXPECT_EQ(cache.Read("k", secret), Status::Ok);
    EXPECT_EQ(cache.Write("k", "old"), Status::Ok);
    EXPECT_EQ(keyring->calls.load(), 1);
    EXPECT_EQ(cache.Write("k", "new"), Status::Ok);
    EXPECT_EQ(keyring->calls.load(), 2);
    EXPECT_EQ(keyring->Held("k"), "new");
    EXPECT_EQ(cache.Read("k", secret), Status::Ok);
    EXPECT_EQ(secret, "new");
    EXPECT_EQ(keyring->calls.load(), 2);

    EXPECT_EQ(cache.Remove("k"), Status::Ok);
    EXPECT_EQ(keyring->Held("k"), "<none>");
    secret = "untouched";
    EXPECT_EQ(cache.Read("k", secret), Status::NotFound);
    EXPECT_EQ(secret, "untouched");
    EXPECT_EQ(keyring->calls.load(), 3);
}

TEST(SecretStoreCache, AKeyringThatDidNotAnswerIsAskedAgainAndAFailedWriteIsNotRemembered)
{
    auto keyring = std::make_shared<GatedKeyring>();
    keyring->Open();
    keyring->Put("k", "held");
    keyring->answering = false;
    SecretStoreCache cache(keyring);
    std::promise<void> arrived;
    cache.Prefetch("k", [&] { arrived.set_value(); });
    ASSERT_EQ(arrived.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(cache.Knows("k"));
    std::string secret;
    EXPECT_EQ(cache.Read("k", secret), Status::Unavailable);
    EXPECT_EQ(cache.Write("k", "other"), Status::Unavailable);
    keyring->answering = true;
    // Neither the silence nor the refused write stands in for the keyring.
    EXPECT_EQ(cache.Read("k", secret), Status::Ok);
    EXPECT_EQ(secret, "held");
    EXPECT_EQ(keyring->calls.load(), 4);
}

TEST(SecretStoreCache, GoingAwayWaitsForALookUpStillRunning)
{
    auto keyring = std::make_shared<GatedKeyring>();
    std::atomic<bool> done{false};
    auto opener = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(50ms);
        keyring->Open();
    });
    {
        SecretStoreCache cache(keyring);
        cache.Prefetch("k", [&] { done = true; });
    }
    EXPECT_TRUE(done.load());
    opener.get();
}

} // namespace
} // namespace pellar
