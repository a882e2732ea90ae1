// A raw byte stream from the server fed through the receive thread's message
// handling, with requests of every reply shape outstanding. Whatever arrives,
// processing must end (the queue is interrupted as after a link loss) without
// a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "core/link/MVRequests.h"
#include "core/wire/MiravoTypes.h"
#include "core/link/ReadQueueThread.h"

namespace {

struct NullSender : pellar::RequestSender {
    void Send(std::string) override {}
};
struct NullSink : pellar::UserMessageSink {
    void PostUserMessage(std::string) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pellar;
    NullSender sender;
    NullSink sink;
    ProtocolCounters counters;
    ProtocolContext context(sender, sink, counters);
    context.SetProtocolVersion(size > 0 && (data[0] & 1) ? 10 : 9);

    // Targets of the typed requests outlive the table that may parse into them.
    TextStatType textStat;
    TSortedIntegerList<int32_t> textMap;
    std::vector<std::shared_ptr<TMiravoMembership>> memberships;
    TMiravoMembership membership;
    TMiravoConferenceBase conf(7);
    std::vector<int32_t> unread;

    TQueue queue{std::thread::id{}};  // no owner: this thread reads it
    TEvent connected(true, true);
    TAsyncList asyncList;
    {
        TMiravoActiveTransactions table(queue, connected);
        table.Execute(std::make_unique<TGenericTrans>(context, "g", requests::GetTime()));       // 1
        table.Execute(std::make_unique<TGetTextTrans>(context, 1));                                              // 2
        table.Execute(std::make_unique<TGetTextStatTrans>(context, 1, textStat));                                // 3
        table.Execute(std::make_unique<TGetTextMap>(context, textMap, 7, 1, 100));                              // 4
        table.Execute(std::make_unique<TNumberFromNameTrans>(context, "x", true, true));                         // 5
        table.Execute(std::make_unique<TGetMembershipTrans>(context, 6, memberships, nullptr));                  // 6
        table.Execute(std::make_unique<TQueryReadTextsTrans>(context, membership, 6, 7));                        // 7
        table.Execute(std::make_unique<TGetConfStatTrans>(context, conf, 7));                                    // 8
        table.Execute(std::make_unique<TGetUConfStatTrans>(context, conf, 7));                                   // 9
        table.Execute(std::make_unique<TGetUnreadConfs>(context, unread, 6));                                    // 10
        table.Execute(std::make_unique<TNameFromNumberTrans>(context, 6));                                       // 11
        table.Execute(std::make_unique<TLogonTrans>(context, 6, "pw", false));                                   // 12

        TReadQueueThread receiver(queue, table, asyncList, connected);
        queue.PutBuffer(reinterpret_cast<const char*>(data), size);
        queue.Interrupt();
        receiver.ProcessQueued();
    }
    std::string s;
    while (asyncList.Pop(s)) {
    }
    return 0;
}
