#include "core/reading/MarkedTexts.h"

#include "core/protocol/TMiravoText.h"
#include "core/reading/ArticleLayout.h"
#include "core/reading/ReadingServices.h"

namespace pellar {

MarkedTexts::MarkedTexts(ReadingServices& services, MarkedTextsView& view, GuiHandOvers gui)
    : services_(services), view_(view), gui_(gui), run_(std::move(gui))
{
}

MarkedTexts::~MarkedTexts()
{
    Stop();
}

bool MarkedTexts::Refresh()
{
    return run_.Start([this](GuiThread& gui) {
        return std::make_unique<TAsyncUpdateMarkedTextsThread>(services_, gui, static_cast<MarkedTextsView&>(*this));
    });
}

void MarkedTexts::Preview(int32_t text, std::function<void(int32_t, const std::string&)> done)
{
    if (!previews_)
        previews_ = std::make_unique<GuiAnswers>(gui_.make());
    previews_->DropQueued();
    previews_->Ask([this, text, done = std::move(done)]() -> std::function<void()> {
        const auto body = text > 0 ? services_.GetText(text) : nullptr;
        std::string shown = body ? ArticleLayout::ReformatBody(body->Body()) : std::string();
        return [text, done, shown = std::move(shown)] { done(text, shown); };
    });
}

void MarkedTexts::Stop()
{
    run_.Stop();
    if (previews_) {
        previews_->Stop();
        previews_.reset();
    }
}

void MarkedTexts::SetWorkingLabel(const std::string& text)
{
    view_.SetWorkingLabel(text);
}

void MarkedTexts::AddMarkRow(const std::string& text, const std::string& type, const std::string& subject)
{
    view_.AddMarkRow(text, type, subject);
}

void MarkedTexts::LoaderFinished()
{
    view_.LoaderFinished();
    run_.ForgetWhenDone();
}

} // namespace pellar
