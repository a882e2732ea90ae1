#include "core/writing/TAddRcptThread.h"

#include "core/wire/TMiravoConference.h"
#include "core/base/GuiThread.h"
#include "core/writing/TextComposition.h"
#include "core/writing/WritingServices.h"

namespace pellar {

TAddRcptThread::TAddRcptThread(TextComposition& composition, GuiThread& gui) : composition_(composition), gui_(gui)
{
}

TAddRcptThread::~TAddRcptThread()
{
    Stop();
    Join();
}

void TAddRcptThread::Start()
{
    thread_ = std::thread([this] { Run(); });
}

void TAddRcptThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

int32_t TAddRcptThread::Substitute(int32_t number, TMiravoConference& conf, bool isComment)
{
    if (!isComment)
        return number;
    conf.SuperConf();  // loads the full status
    const ConfStatFields fields = conf.Snapshot();
    const bool sendsCommentsOn = fields.type.size() > 1 && fields.type.compare(1, 1, "1") == 0;
    // A conference without a super-conference keeps the comment itself
    // rather than sending it to conference 0.
    return sendsCommentsOn && fields.superConf > 0 ? fields.superConf : number;
}

void TAddRcptThread::Run()
{
    WritingServices& services = composition_.services_;
    while (!stop_.load()) {
        int32_t number = 0;
        {
            std::lock_guard lock(composition_.pendingMutex_);
            auto& pending = composition_.pending_.recipients;
            if (pending.empty())
                break;
            number = pending.front();
        }
        if (auto conf = services.GetConference(number)) {
            const int32_t added = Substitute(number, *conf, composition_.isComment_.load());
            gui_.invokeAndWait([&] { composition_.AddRow(LinkKind::Recipient, added); });
            if (const int32_t motd = conf->MsgOfDay(); motd != 0 && !stop_.load())
                gui_.invokeAndWait([&] { composition_.ui_.ShowNoteOnDoor(motd); });
        }
        std::lock_guard lock(composition_.pendingMutex_);
        auto& pending = composition_.pending_.recipients;
        if (!pending.empty())
            pending.erase(pending.begin());
    }
    if (!stop_.load()) {
        gui_.invokeAndWait([&] {
            if (!composition_.CommentChecks())
                composition_.ui_.PostTrashQuestion();
        });
    }
    composition_.workerRunning_.store(false);
}

} // namespace pellar
