#include "gui/common/UserMessageIcon.h"

namespace pellar {

QMessageBox::Icon UserMessageIcon(std::string_view message)
{
    if (message.empty())
        return QMessageBox::NoIcon;
    const std::string_view text = message.substr(1);
    switch (message.front()) {
    case '!': {
        // What the user asked for had nothing to act on or could not be
        // read: nothing failed.
        static constexpr std::string_view kHints[] = {
            "No current article", "No matching names", "Not a valid", "Only web, ftp, mail and news addresses",
            "Footnotes to texts can only be added", "Too many recipients"};
        for (const std::string_view hint : kHints)
            if (text.substr(0, hint.size()) == hint)
                return QMessageBox::Warning;
        return QMessageBox::Critical;
    }
    case 'i':
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace pellar
