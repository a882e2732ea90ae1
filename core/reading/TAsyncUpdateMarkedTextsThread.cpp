#include "core/reading/TAsyncUpdateMarkedTextsThread.h"

#include <charconv>
#include <exception>
#include <memory>

#include "core/wire/TMiravoText.h"
#include "core/wire/WireTokens.h"
#include "core/reading/ReadingServices.h"
#include "core/base/GuiThread.h"

namespace pellar {

std::vector<MarkRec> ParseMarksReply(std::string_view reply)
{
    size_t pos = 0;
    const int32_t count = ReadInt(reply, pos);
    ReadToken(reply, pos);
    std::vector<MarkRec> marks;
    for (int32_t i = 0; i < count && NextIsInt(reply, pos); ++i) {
        MarkRec rec;
        rec.text = ReadInt(reply, pos);
        if (!NextIsInt(reply, pos))
            break;
        rec.type = ReadInt(reply, pos);
        marks.push_back(rec);
    }
    return marks;
}

int32_t MarkTypeFromInput(std::string_view input)
{
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(input.data(), input.data() + input.size(), value);
    if (ec != std::errc() || end != input.data() + input.size() || input.empty())
        return 100;
    return value;
}

TAsyncUpdateMarkedTextsThread::TAsyncUpdateMarkedTextsThread(ReadingServices& services, GuiThread& gui,
                                                             MarkedTextsView& view)
    : services_(services), gui_(gui), view_(view)
{
}

TAsyncUpdateMarkedTextsThread::~TAsyncUpdateMarkedTextsThread()
{
    Join();
}

void TAsyncUpdateMarkedTextsThread::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void TAsyncUpdateMarkedTextsThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TAsyncUpdateMarkedTextsThread::Run()
{
    try {
        if (!services_.DisconnectInProgress()) {
            working_ = true;
            gui_.invokeAndWait([this] { view_.SetWorkingLabel("Working"); });
            if (const std::optional<std::string> reply = services_.Request("Get marks", requests::GetMarks())) {
                for (const MarkRec& mark : ParseMarksReply(*reply)) {
                    const std::shared_ptr<TMiravoText> body = services_.GetText(mark.text);
                    const std::string subject = body ? body->Subject() : std::string();
                    gui_.invokeAndWait([&] {
                        view_.AddMarkRow(std::to_string(mark.text), std::to_string(mark.type), subject);
                    });
                }
            }
        }
    } catch (const std::exception& e) {
        services_.Log("TAsyncUpdateMarkedTextsThread", e.what());
    }
    working_ = false;
    gui_.invokeAndWait([this] {
        view_.SetWorkingLabel("");
        view_.LoaderFinished();
    });
    finished_ = true;
}

} // namespace pellar
