// What the walk of a displayed conference sees while the outline of its
// texts is fetched beside it (see SubjectTreeAsyncThread::BuildTree).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/reading/ReadingServices.h"

namespace pellar {

// A status the fill is about to bring is waited for rather than asked for a
// second time. Everything else goes straight through.
class FillingServices : public ReadingServices {
public:
    // whileSlow runs (on the waiting thread) whenever a wait for the fill
    // has lasted slowAfter.
    FillingServices(ReadingServices& inner, std::chrono::milliseconds slowAfter, std::function<void()> whileSlow)
        : inner_(inner), slowAfter_(slowAfter), whileSlow_(std::move(whileSlow))
    {
    }

    // Texts the fill will bring.
    void Expect(const std::vector<int32_t>& texts)
    {
        std::lock_guard lock(mutex_);
        pending_.insert(texts.begin(), texts.end());
    }
    // Texts the fill has brought (or found missing).
    void Landed(const std::vector<int32_t>& texts)
    {
        std::lock_guard lock(mutex_);
        for (int32_t text : texts)
            pending_.erase(text);
        cond_.notify_all();
    }
    // The fill has ended, however: nothing more is waited for.
    void Finish()
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        pending_.clear();
        cond_.notify_all();
    }

    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        std::unique_lock lock(mutex_);
        auto ready = [&] { return finished_ || pending_.count(text) == 0; };
        while (!cond_.wait_for(lock, slowAfter_, ready)) {
            lock.unlock();
            whileSlow_();
            lock.lock();
        }
        lock.unlock();
        return inner_.GetTextStat(text);
    }
    std::shared_ptr<TMiravoText> GetText(int32_t text) override { return inner_.GetText(text); }
    std::string GetName(int32_t number) override { return inner_.GetName(number); }
    bool IsTextStatCached(int32_t text) override { return inner_.IsTextStatCached(text); }
    std::shared_ptr<TMiravoMembership> Membership(int32_t conf) override { return inner_.Membership(conf); }
    std::shared_ptr<TMiravoConference> Conference(int32_t conf) override { return inner_.Conference(conf); }
    std::vector<int32_t> MemberConferences() override { return inner_.MemberConferences(); }
    bool IsNameCached(int32_t number) override { return inner_.IsNameCached(number); }
    void FetchName(int32_t number) override { inner_.FetchName(number); }
    void RunTogether(std::vector<std::function<void()>> jobs) override { inner_.RunTogether(std::move(jobs)); }
    void FetchTogether(const FetchList& list, int slowAfterMs, const std::function<void()>& whileSlow) override
    {
        inner_.FetchTogether(list, slowAfterMs, whileSlow);
    }
    std::string Subject(int32_t text) override { return inner_.Subject(text); }
    std::optional<std::string> Request(std::string_view label, const WireRequest& request) override
    {
        return inner_.Request(label, request);
    }
    void Send(std::string_view label, const WireRequest& request) override { inner_.Send(label, request); }
    int32_t CurrentPerson() override { return inner_.CurrentPerson(); }
    bool FilterAddedTexts() override { return inner_.FilterAddedTexts(); }
    bool DisconnectInProgress() override { return inner_.DisconnectInProgress(); }
    void Log(std::string_view tag, std::string_view text) override { inner_.Log(tag, text); }

private:
    ReadingServices& inner_;
    const std::chrono::milliseconds slowAfter_;
    const std::function<void()> whileSlow_;
    std::mutex mutex_;
    std::condition_variable cond_;
    std::unordered_set<int32_t> pending_;
    bool finished_ = false;
};

} // namespace pellar
