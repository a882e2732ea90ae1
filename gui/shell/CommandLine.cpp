#include "gui/shell/CommandLine.h"

namespace pellar {

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--demo") {
            result.demo = true;
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        if (arg[1] == 'a') {
            result.autoConnect = true;
        } else if (arg[1] == 'c') {
            if (i + 1 >= args.size())
                break;
            result.startProfile = args[++i];
        }
    }
    return result;
}

} // namespace pellar
