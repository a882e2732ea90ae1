#include "core/admin/ConferenceTypeFlags.h"

namespace pellar {

namespace {

bool FlagSet(std::string_view flags, size_t index)
{
    return index < flags.size() && flags[index] == '1';
}

} // namespace

ConferenceTypeChecks ConferenceTypeFlags::ToChecks(std::string_view typeFlags)
{
    ConferenceTypeChecks checks;
    checks.open = !FlagSet(typeFlags, 0);
    checks.allowComments = !FlagSet(typeFlags, 1);
    checks.secret = FlagSet(typeFlags, 2);
    checks.allowAnonymous = FlagSet(typeFlags, 4);
    return checks;
}

std::string ConferenceTypeFlags::FromChecks(const ConferenceTypeChecks& checks)
{
    std::string flags;
    flags += checks.open ? '0' : '1';
    flags += checks.allowComments ? '0' : '1';
    flags += checks.secret ? '1' : '0';
    flags += '0';
    flags += checks.allowAnonymous ? '1' : '0';
    flags += "000";
    return flags;
}

} // namespace pellar
