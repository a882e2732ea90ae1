#include "core/search/TTextSearchThread.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "core/base/GuiThread.h"

namespace pellar {

namespace {

std::string CountOf(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string TTextSearchThread::Summary(int found, int undecided, bool stopped)
{
    std::string line = found == 0 ? std::string("No texts found") : CountOf(found, "text found", "texts found");
    if (stopped)
        line = "Stopped: " + line;
    if (undecided > 0) {
        line += ". " + CountOf(undecided, "text was", "texts were") +
                " too long or too complex to search with this pattern";
    }
    return line;
}

TTextSearchThread::TTextSearchThread(FindTextParams params, TextSource& source, FindTextResults& results,
                                         GuiThread& gui)
    : params_(std::move(params)), source_(source), results_(results), gui_(gui)
{
    limits_.stop = &stop_;
}

TTextSearchThread::~TTextSearchThread()
{
    Stop();
    Join();
}

std::optional<std::string> TTextSearchThread::CheckStart(int32_t conference, bool isMember)
{
    if (conference <= 0)
        return "Conference to seek in is required";
    if (!isMember)
        return "You are not a member of that conference";
    return std::nullopt;
}

int32_t TTextSearchThread::ParseLastN(const std::string& field)
{
    const std::string_view all = kAllTexts;
    const auto sameLetter = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; };
    if (field.size() == all.size() && std::equal(field.begin(), field.end(), all.begin(), sameLetter))
        return -1;
    int32_t n = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), n);
    if (field.empty() || ec != std::errc() || end != field.data() + field.size())
        return kDefaultLastN;
    return n;
}

std::optional<std::string> TTextSearchThread::CheckPatterns(const FindTextParams& params)
{
    if (!params.usePatterns)
        return std::nullopt;
    if (!params.subjectPattern.empty() && !RegExp::Compile(params.subjectPattern, "1"))
        return "The subject pattern has a group that is never closed";
    if (!params.bodyPattern.empty() && !RegExp::Compile(params.bodyPattern, "2"))
        return "The body pattern has a group that is never closed";
    return std::nullopt;
}

void TTextSearchThread::Start()
{
    running_.store(true);
    examined_.store(0);
    found_.store(0);
    undecided_.store(0);
    thread_ = std::thread([this] { Run(); });
}

void TTextSearchThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool TTextSearchThread::PatternMatches(const std::optional<RegExp>& re, const std::string& text, bool& gaveUp)
{
    if (!re)
        return false;
    const RegexpSearchResult r = re->Search(text, limits_);
    if (r.outcome == RegexpOutcome::BudgetExhausted)
        gaveUp = true;
    return r.matched();
}

bool TTextSearchThread::ContainsFolded(const std::u32string& pattern, const std::string& text) const
{
    return !pattern.empty() && FoldWireText(text, params_.charset).find(pattern) != std::u32string::npos;
}

bool TTextSearchThread::Matches(const TMiravoText& text)
{
    if (params_.usePatterns) {
        bool gaveUp = false;
        const bool matched =
            PatternMatches(subjectRe_, text.Subject(), gaveUp) || PatternMatches(bodyRe_, text.Body(), gaveUp);
        // Counted once per text, and only when no pattern settled it.
        if (!matched && gaveUp && !stop_.load())
            ++undecided_;
        return matched;
    }
    return ContainsFolded(subjectFolded_, text.Subject()) || ContainsFolded(bodyFolded_, text.Body());
}

void TTextSearchThread::Examine(int32_t local)
{
    TMiravoConference& conf = *params_.conference;
    const int32_t global = conf.GlobalOf(local, false);
    if (global <= 0)
        return;
    auto stat = source_.GetTextStat(global);
    if (!stat || stat->CreationTime() < params_.fromDate)
        return;
    const bool read = params_.membership->IsRead(local);
    if ((read && !params_.includeRead) || (!read && !params_.includeUnread))
        return;
    ++examined_;
    const int32_t author = stat->Author();
    bool matched = params_.author != -1 && params_.author == author;
    std::shared_ptr<TMiravoText> body;
    if (!matched) {
        if (params_.subjectPattern.empty() && params_.bodyPattern.empty())
            return;
        // A body that cannot be had cannot match; the search goes on.
        body = source_.GetText(global);
        if (!body || !Matches(*body))
            return;
        matched = true;
    } else {
        body = source_.GetText(global);
    }
    const std::string authorName = source_.GetName(author);
    const std::string subject = body ? body->Subject() : std::string();
    ++found_;
    gui_.invokeAndWait([&] { results_.AddResult(global, authorName, subject); });
}

void TTextSearchThread::Run()
{
    if (!params_.conference && params_.conferenceLookup)
        params_.conference = params_.conferenceLookup();
    if (params_.conference && params_.membership && !CheckPatterns(params_)) {
        TMiravoConference& conf = *params_.conference;
        const int32_t highest = conf.HighestLocalNo();
        const int32_t first = conf.FirstLocalNo();
        const bool all = params_.lastN < 0 || int64_t{highest} - first <= params_.lastN;
        const int32_t start = all ? first : highest - params_.lastN;
        if (params_.usePatterns) {
            if (!params_.subjectPattern.empty())
                subjectRe_ = RegExp::Compile(params_.subjectPattern, "1");
            if (!params_.bodyPattern.empty())
                bodyRe_ = RegExp::Compile(params_.bodyPattern, "2");
        } else {
            subjectFolded_ = FoldWireText(params_.subjectPattern, params_.charset);
            bodyFolded_ = FoldWireText(params_.bodyPattern, params_.charset);
        }
        int32_t current = start;
        while (!stop_.load() && current != -1 && current <= highest) {
            Examine(current);
            if (stop_.load())
                break;
            current = current >= highest
                          ? -1
                          : conf.FindNextText(current + 1, highest, params_.membership.get(), !params_.includeRead);
            const int64_t span = int64_t{highest} - start;
            const int64_t done = current == -1 ? span : int64_t{current} - start;
            const int percent = span <= 0 ? 100 : static_cast<int>(std::clamp<int64_t>(done * 100 / span, 0, 100));
            gui_.invokeAndWait([&] { results_.Progress(percent); });
        }
        subjectRe_.reset();
        bodyRe_.reset();
    }
    gui_.invokeAndWait([&] { results_.Finished(); });
    running_.store(false);
}

} // namespace pellar
