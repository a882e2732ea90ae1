// ReadingServices over the running client: its caches, transaction table,
// configuration and debug log.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/reading/ReadingServices.h"

namespace pellar {

class Client;

class ClientReadingServices : public ReadingServices
{
public:
    // Most requests one RunTogether call has in flight at once.
    static constexpr int kMaxParallel = 8;
    // Most requests FetchTogether has in flight at once.
    static constexpr size_t kMaxInFlight = 128;
    // Texts per part of an outline fetch (a status and a subject each).
    static constexpr size_t kOutlinePart = 256;
    // Bytes of a text asked for to learn its subject line: most subjects
    // fit, and a longer one is asked for again with kLongSubjectBytes (and
    // whole beyond that), so that a list of subjects costs little more than
    // the subjects themselves.
    static constexpr int32_t kSubjectBytes = 48;
    static constexpr int32_t kLongSubjectBytes = 1024;
    // How long background work holds back for a user's request at most
    // before it goes on with one more part.
    static constexpr int kMaxYieldMs = 2000;
    // A round trip up to this long (a machine on the local network) makes
    // fetching every unread text ahead cost nothing the user would notice.
    static constexpr int64_t kNearbyRoundTripUs = 3000;

    explicit ClientReadingServices(Client& client) : client_(client) {}
    // Stops the helper threads (after the jobs they run have ended).
    ~ClientReadingServices() override;
    ClientReadingServices(const ClientReadingServices&) = delete;
    ClientReadingServices& operator=(const ClientReadingServices&) = delete;

    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override;
    bool IsTextStatCached(int32_t text) override;
    std::shared_ptr<TMiravoText> GetText(int32_t text) override;
    std::shared_ptr<TMiravoMembership> Membership(int32_t conf) override;
    std::shared_ptr<TMiravoConference> Conference(int32_t conf) override;
    std::vector<int32_t> MemberConferences() override;
    bool IsNameCached(int32_t number) override;
    void FetchName(int32_t number) override;
    std::string GetName(int32_t number) override;
    void RunTogether(std::vector<std::function<void()>> jobs) override;
    // Pipelined on the calling thread: one synchroniser, one wait per round.
    void FetchTogether(const FetchList& list, int slowAfterMs = 0,
                       const std::function<void()>& whileSlow = {}) override;
    // Pipelined with up to twice kOutlinePart texts' requests in flight:
    // one part is answered while the next travels.
    void FetchOutline(const std::vector<int32_t>& texts, const std::function<bool()>& stop,
                      const std::function<void(const std::vector<int32_t>&)>& landed) override;
    std::string Subject(int32_t text) override;
    void PreloadTextMap(int32_t conf, int32_t firstLocal, int32_t count) override;
    bool PrefetchEverything() override;
    std::optional<CacheVersion> Version() override;
    std::optional<std::string> Request(std::string_view label, const WireRequest& request) override;
    void Send(std::string_view label, const WireRequest& request) override;
    int32_t CurrentPerson() override;
    const LocalePort& Locale() override;
    bool FilterAddedTexts() override;
    bool DisconnectInProgress() override;
    void Log(std::string_view tag, std::string_view text) override;

private:
    void HelperLoop();

    Client& client_;

    // Helpers started on first use and kept: a prefetch hands them a few
    // jobs per read-next step, too often to start threads each time.
    std::mutex poolMutex_;
    std::condition_variable poolCond_;
    std::deque<std::function<void()>> poolJobs_;
    std::vector<std::thread> helpers_;
    bool stopping_ = false;
};

} // namespace pellar
