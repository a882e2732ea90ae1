// The text-search worker: walks the local numbers of one conference and
// reports every text whose author, subject or body matches, with progress,
// through a results port on the GUI thread. Stop is honoured between texts
// and inside a pattern match.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "core/wire/DateTime.h"
#include "core/wire/WireCharset.h"
#include "core/session/TextSource.h"
#include "core/search/RegExp.h"

namespace pellar {

class GuiThread;
class MVCache;
class TextStatType;
class TMiravoConference;
class TMiravoMembership;
class TMiravoText;

// Where the rows go (the search controller, then its window); every call
// arrives on the GUI thread.
class FindTextResults {
public:
    virtual ~FindTextResults() = default;
    // A result row: caption the global number, then author name and subject.
    virtual void AddResult(int32_t text, const std::string& author, const std::string& subject) = 0;
    virtual void Progress(int percent) = 0;
    // The search is over (done, stopped or refused); the window goes idle.
    virtual void Finished() = 0;
};

struct FindTextParams {
    std::shared_ptr<TMiravoConference> conference;
    // Where the worker gets the conference's record when none is given
    // (taking it may wait for another thread that loads it).
    std::function<std::shared_ptr<TMiravoConference>()> conferenceLookup;
    std::shared_ptr<TMiravoMembership> membership;
    int32_t author = -1;  // -1: no author given
    std::string subjectPattern;
    std::string bodyPattern;
    int32_t lastN = -1;   // negative: every text
    TDateTime fromDate = 0;
    bool includeRead = true;
    bool includeUnread = true;
    bool usePatterns = false;
    // The profile's character set: substring mode folds letter case per
    // character in it (Å and å, Σ and σ), not only A-Z.
    WireCharset charset = WireCharset::Latin1;
};

class TTextSearchThread {
public:
    static constexpr int32_t kDefaultLastN = 1000;
    // What the "last N" field shows for every text; the search takes it as
    // -1, so the user never sees that number.
    static constexpr char kAllTexts[] = "all";

    TTextSearchThread(FindTextParams params, TextSource& source, FindTextResults& results, GuiThread& gui);
    // Stops and waits.
    ~TTextSearchThread();
    TTextSearchThread(const TTextSearchThread&) = delete;
    TTextSearchThread& operator=(const TTextSearchThread&) = delete;

    // The start checks of the window: an error text for a plain message
    // box, or none when the search may start.
    static std::optional<std::string> CheckStart(int32_t conference, bool isMember);
    // The "last N" field as a number: -1 for kAllTexts (in any case),
    // kDefaultLastN when it is not a number.
    static int32_t ParseLastN(const std::string& field);
    // An error text when a pattern would not compile in pattern mode.
    static std::optional<std::string> CheckPatterns(const FindTextParams& params);

    // Starts the worker thread.
    void Start();
    // Asks the worker to stop; it finishes the current step and reports
    // Finished. Never blocks.
    void Stop() { stop_.store(true); }
    bool Running() const { return running_.load(); }
    // Waits for the worker to end. From the GUI thread, cancel the worker's
    // hand-over (CancellableGuiThread::Cancel) first.
    void Join();

    // Texts examined, texts listed, and texts the pattern engine gave up on
    // (its step budget ran out on every pattern that did not match, so the
    // text is not listed though it might match) in the last run.
    int Examined() const { return examined_.load(); }
    int Found() const { return found_.load(); }
    int Undecided() const { return undecided_.load(); }
    // Whether the last run ended because it was asked to stop.
    bool Stopped() const { return stop_.load(); }

    // The line the window shows when a search ends: "No texts found" or how
    // many were, and how many texts the patterns could not decide.
    static std::string Summary(int found, int undecided, bool stopped);

    // Pattern-match step budget per text and pattern.
    void SetStepBudget(uint64_t steps) { limits_.stepBudget = steps; }

private:
    void Run();
    void Examine(int32_t local);
    bool Matches(const TMiravoText& text);
    bool PatternMatches(const std::optional<RegExp>& re, const std::string& text, bool& gaveUp);
    bool ContainsFolded(const std::u32string& pattern, const std::string& text) const;

    FindTextParams params_;
    TextSource& source_;
    FindTextResults& results_;
    GuiThread& gui_;
    std::optional<RegExp> subjectRe_;
    std::optional<RegExp> bodyRe_;
    std::u32string subjectFolded_;
    std::u32string bodyFolded_;
    RegexpLimits limits_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> examined_{0};
    std::atomic<int> found_{0};
    std::atomic<int> undecided_{0};
    std::thread thread_;
};

} // namespace pellar
