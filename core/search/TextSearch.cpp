#include "core/search/TextSearch.h"

#include "core/session/MVCache.h"

namespace pellar {

TextSearch::TextSearch(TextSource& source, TextSearchView& view, GuiHandOvers gui, MVCache* records)
    : source_(source), view_(view), records_(records), run_(std::move(gui))
{
}

TextSearch::~TextSearch()
{
    Stop();
}

std::optional<std::string> TextSearch::Start(FindTextParams params)
{
    if (run_.Busy())
        return std::nullopt;
    if (!params.conference && !params.conferenceLookup)
        return "Conference to seek in is required";
    if (auto error = TTextSearchThread::CheckPatterns(params))
        return error;
    run_.Start([&](GuiThread& gui) {
        return std::make_unique<TTextSearchThread>(std::move(params), source_, static_cast<FindTextResults&>(*this),
                                                   gui);
    });
    return std::nullopt;
}

std::optional<std::string> TextSearch::StartIn(int32_t conf, FindTextParams params)
{
    if (run_.Busy())
        return std::nullopt;
    params.membership = conf > 0 && records_ ? records_->GetMembership(conf) : nullptr;
    if (auto error = TTextSearchThread::CheckStart(conf, params.membership != nullptr))
        return error;
    params.conference = nullptr;
    params.conferenceLookup = [records = records_, conf] { return records->GetConference(conf); };
    return Start(std::move(params));
}

void TextSearch::RequestStop()
{
    if (TTextSearchThread* worker = run_.Current())
        worker->Stop();
}

void TextSearch::Stop()
{
    RequestStop();
    run_.Stop();
}

void TextSearch::AddResult(int32_t text, const std::string& author, const std::string& subject)
{
    view_.AddResult(text, author, subject);
}

void TextSearch::Progress(int percent)
{
    view_.Progress(percent);
}

void TextSearch::Finished()
{
    view_.Finished();
    if (const TTextSearchThread* worker = run_.Current())
        view_.SearchSummary(TTextSearchThread::Summary(worker->Found(), worker->Undecided(), worker->Stopped()));
    run_.ForgetWhenDone([this] { view_.SearchIdle(); });
}

} // namespace pellar
