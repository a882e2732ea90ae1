// A locale for core tests that differs from the plain one in every way a
// test can see: dates written day first without leading zeros, and a
// collation that ignores the case of ISO-8859-1 letters too and files the
// accented a's (Ä ä Å å) under "a".
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/base/LocalePort.h"

namespace pellar::test {

class FakeLocale final : public LocalePort {
public:
    std::string FormatDateTime(const CalendarTime& t) const override
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%d.%d.%04d %d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
        return buf;
    }

    int CompareNames(std::string_view a, std::string_view b) const override
    {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const unsigned char x = Key(a[i]), y = Key(b[i]);
            if (x != y)
                return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }

private:
    static unsigned char Key(char c)
    {
        auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
            u = static_cast<unsigned char>(u + 0x20);
        if (u == 0xE4 || u == 0xE5)  // ä å
            return 'a';
        return u;
    }
};

} // namespace pellar::test
