// What the reading logic needs from the rest of the client: the caches, the
// name prefetch, a few plain requests, the settings it reads and the debug
// log. ClientReadingServices implements it over the client context; unit
// tests use a scripted fake. Every call may wait for the server.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/wire/DateTime.h"
#include "core/wire/RequestCatalogue.h"
#include "core/session/TextSource.h"

namespace pellar {

class TextStatType;
class TMiravoText;
class TMiravoMembership;
class TMiravoConference;

// Cache entries to fetch together: text statuses, text bodies and names.
struct FetchList {
    std::vector<int32_t> stats, texts, names;
};

class ReadingServices : public TextSource
{
public:
    virtual ~ReadingServices() = default;

    // The caches (texts, statuses and names through TextSource: null when
    // the server has nothing, or for 0). Looks only.
    virtual bool IsTextStatCached(int32_t text) = 0;
    // Looks only.
    virtual std::shared_ptr<TMiravoMembership> Membership(int32_t conf) = 0;
    virtual std::shared_ptr<TMiravoConference> Conference(int32_t conf) = 0;
    // Ascending conference numbers of every cached membership.
    virtual std::vector<int32_t> MemberConferences() = 0;

    virtual bool IsNameCached(int32_t number) = 0;
    // Fetches the name into the name cache and waits for it.
    virtual void FetchName(int32_t number) = 0;

    // Runs the jobs (cache fetches of different keys) side by side and
    // returns when all are done, so that one wait covers many requests.
    virtual void RunTogether(std::vector<std::function<void()>> jobs) = 0;
    // Fetches what the caches lack of the list with the requests in flight
    // side by side, and returns when all are answered. When the wait lasts
    // longer than slowAfterMs, whileSlow (if any) runs once on this thread
    // before waiting on. The base runs the look-ups through RunTogether.
    virtual void FetchTogether(const FetchList& list, int slowAfterMs = 0,
                               const std::function<void()>& whileSlow = {});

    // The outline of these texts, as a list of subjects needs it: each
    // text's status, subject line and author's name, fetched as background
    // work with many requests in flight, in the order given. landed runs
    // (on this thread) with each part once it is cached; stop, asked
    // between parts, ends the fetch early. The base fetches the statuses
    // and whole texts through FetchTogether.
    virtual void FetchOutline(const std::vector<int32_t>& texts, const std::function<bool()>& stop,
                              const std::function<void(const std::vector<int32_t>&)>& landed);
    // The subject line of a text: from the cache when an outline or the
    // text brought it, otherwise from the whole text. Empty when none.
    virtual std::string Subject(int32_t text);
    // The local-to-global map of [firstLocal, firstLocal + count) in one
    // round; the base leaves it to the map's own look-ups.
    virtual void PreloadTextMap(int32_t /*conf*/, int32_t /*firstLocal*/, int32_t /*count*/) {}
    // Fetch the bodies of texts nobody reads yet too (the link is fast
    // enough that it costs nothing), or only those about to be read.
    virtual bool PrefetchEverything() { return true; }
    // The caches' version (see CacheVersion); none when the caches cannot
    // tell, and then nothing built from them is kept.
    virtual std::optional<CacheVersion> Version() { return std::nullopt; }

    // A built request, sent and waited for: the reply line, or none on
    // failure.
    virtual std::optional<std::string> Request(std::string_view label, const WireRequest& request) = 0;
    // The same, without waiting for the reply.
    virtual void Send(std::string_view label, const WireRequest& request) = 0;

    virtual int32_t CurrentPerson() = 0;
    // How the user reads dates; the base has the plain form.
    virtual const LocalePort& Locale() { return PlainLocalePort(); }
    // "FilterAddedTexts", default on.
    virtual bool FilterAddedTexts() = 0;
    // The Disconnect command has started (no new server work then).
    virtual bool DisconnectInProgress() = 0;

    // One line "[tag] text" in the debug log.
    virtual void Log(std::string_view tag, std::string_view text) = 0;
};

} // namespace pellar
