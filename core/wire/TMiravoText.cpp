#include "core/wire/TMiravoText.h"

namespace pellar {

std::string TMiravoText::Subject() const
{
    const size_t lf = contents_.find('\n');
    if (lf == std::string::npos)
        return std::string();
    size_t end = lf;
    if (end > 0 && contents_[end - 1] == '\r')
        --end;
    return contents_.substr(0, end);
}

std::string TMiravoText::Body() const
{
    const size_t lf = contents_.find('\n');
    if (lf == std::string::npos)
        return std::string();
    return contents_.substr(lf + 1);
}

int TMiravoText::Compare(const TMiravoText& other) const
{
    // Compared rather than subtracted: the difference of two numbers far
    // apart would overflow.
    return textNo_ < other.textNo_ ? -1 : (textNo_ > other.textNo_ ? 1 : 0);
}

} // namespace pellar
