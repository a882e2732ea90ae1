// Feeds arbitrary bytes as one received line to every token reader, in a
// sequence chosen by the first byte, and checks the cursor contract.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/wire/WireTokens.h"

using namespace pellar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t pos = selector % 4; // sometimes start inside or beyond the line
    for (int step = 0; step < 64 && pos < line.size(); ++step) {
        const size_t before = pos;
        switch ((selector / 4 + step) % 5) {
        case 0:
            ReadInt(line, pos);
            break;
        case 1:
            ReadToken(line, pos);
            break;
        case 2:
            ReadHollerith(line, pos);
            break;
        case 3:
            ReadTime(line, pos);
            break;
        default:
            if (NextIsInt(line, pos))
                ReadInt(line, pos);
            else
                ReadToken(line, pos);
            break;
        }
        if (pos < before || pos > line.size())
            std::abort(); // a reader moved backwards or out of the line
    }
    EncodeHollerith(line);
    LfToCrLf(line);
    FontToString(ParseFontString(line));
    return 0;
}
