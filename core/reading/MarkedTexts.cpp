#include "core/reading/MarkedTexts.h"

#include "core/wire/TMiravoText.h"
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
    if (CommandsPending() > 0) {
        refreshAfterCommands_ = true;
        return true;
    }
    if (refreshAfterCommands_)
        return false;
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

void MarkedTexts::Command(std::string label, WireRequest request, std::function<void()> done)
{
    if (!commands_)
        commands_ = std::make_unique<GuiAnswers>(gui_.make());
    commands_->Ask([this, label = std::move(label), request = std::move(request),
                    done = std::move(done)]() -> std::function<void()> {
        services_.Request(label, request);
        return [this, done] {
            if (done)
                done();
            // The last command answered here: a load asked meanwhile starts.
            if (refreshAfterCommands_ && commands_->Outstanding() == 0) {
                refreshAfterCommands_ = false;
                Refresh();
            }
        };
    });
}

void MarkedTexts::DeleteMark(int32_t text, std::function<void()> done)
{
    Command("Delete mark", requests::UnmarkText(text), std::move(done));
}

void MarkedTexts::ChangeMarkType(int32_t text, int32_t markType, std::function<void()> done)
{
    Command("Change mark type", requests::MarkText(text, markType), std::move(done));
}

void MarkedTexts::Stop()
{
    run_.Stop();
    refreshAfterCommands_ = false;
    if (commands_) {
        commands_->Stop();
        commands_.reset();
    }
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
