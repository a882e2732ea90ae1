#include "core/reading/MarkedTexts.h"

namespace pellar {

MarkedTexts::MarkedTexts(ReadingServices& services, MarkedTextsView& view, GuiHandOvers gui)
    : services_(services), view_(view), run_(std::move(gui))
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

void MarkedTexts::Stop()
{
    run_.Stop();
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
