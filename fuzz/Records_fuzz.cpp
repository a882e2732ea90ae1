// Feeds arbitrary bytes as one reply line to the record parsers: the text
// status with its aux items, a membership list, and both conference forms.
// Exceptions are an allowed outcome (the receive side completes the request as
// failed); crashes, hangs and oversized allocations are not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/wire/MiravoErrors.h"
#include "core/wire/MiravoTypes.h"

using namespace pellar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t pos = 0;
    try {
        switch (selector % 5) {
        case 0: {
            TextStatType stat;
            ParseTextStat(line, pos, stat);
            ParseAuxItemList(line, pos, stat);
            break;
        }
        case 1: {
            TextStatType stat;
            ParseAuxItemList(line, pos, stat);
            break;
        }
        case 2: {
            std::vector<std::shared_ptr<TMiravoMembership>> list;
            ParseMembershipList(line, pos, list, nullptr);
            for (const auto& m : list) {
                m->IsRead(m->LastTextRead() / 2 + 1);
                m->MarkRead(m->LastTextRead() / 2 + 2, false);
                m->UnreadCount();
            }
            break;
        }
        case 3: {
            TMiravoConference conf(1);
            ParseConfStatFull(line, pos, conf);
            conf.SetGlobal(conf.FirstLocalNo(), 1);
            break;
        }
        default: {
            TMiravoConference conf(1);
            ParseConfStatShort(line, pos, conf);
            break;
        }
        }
    } catch (const MiravoException&) {
    }
    return 0;
}
