// The server's request reader and dispatcher over arbitrary bytes: every
// input must end in replies or a refused link, never a crash, a hang or
// unbounded memory. Each input runs against a small fresh system with one
// logged-on session and one anonymous one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/AsyncDelivery.h"
#include "server/Dispatcher.h"
#include "server/PasswordHash.h"
#include "server/RequestParser.h"
#include "server/SessionTable.h"
#include "server/Store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace miravod;
    Store store;
    SessionTable sessions;
    AsyncDelivery async(store, sessions, size > 0 && (data[0] & 1));
    DispatchConfig cfg;
    cfg.maxTextBytes = 4096;
    cfg.passwordIterations = 1;
    cfg.oldProtocol = size > 0 && (data[0] & 1);
    Dispatcher dispatcher(store, sessions, async, cfg);

    const TDateTime now = 45000.5;
    const int32_t anna = store.CreatePerson("Anna", PasswordHash::Make("pw", 1), now);
    const int32_t general = store.CreateConference("General", "00000000", anna, now);
    store.AddMember(anna, general, 100);
    std::string sink;
    Session& a = sessions.Create(now);
    a.person = anna;
    a.acceptedAsync = {0, 5, 6, 7, 9, 12, 13, 15};
    a.sink = [&sink](const std::string& b) { sink += b; };
    Session& guest = sessions.Create(now);
    guest.acceptedAsync = {5, 9, 12, 13};
    guest.sink = [&sink](const std::string& b) { sink += b; };
    const int32_t guestNumber = guest.number;

    RequestParser::Limits limits;
    limits.maxString = cfg.maxTextBytes;
    limits.maxTokenBytes = 4096;
    limits.maxArgs = 512;
    RequestParser parser(limits);
    std::string_view in(reinterpret_cast<const char*>(data), size);
    // Split in two places so that the reader's resumption is exercised too.
    const size_t cut = size / 3;
    int turn = 0;
    auto handle = [&](Request& r) {
        Session* s = sessions.Find((turn++ % 5 == 4) ? guestNumber : a.number);
        if (!s) return;
        sink += dispatcher.Handle(*s, r);
        async.Flush();
        if (sink.size() > (1u << 20)) sink.clear();
    };
    if (parser.Feed(in.substr(0, cut), handle)) parser.Feed(in.substr(cut), handle);
    return 0;
}
