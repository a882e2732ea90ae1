#include "core/base/ProgramVersion.h"

#include "ProgramVersionNumbers.h"

namespace pellar {

std::string ProgramMajorVersion()
{
    return std::to_string(PELLAR_VERSION_MAJOR);
}

std::string ProgramMinorVersion()
{
    return std::to_string(PELLAR_VERSION_MINOR) + std::to_string(PELLAR_VERSION_RELEASE) + " (build " +
           std::to_string(PELLAR_VERSION_BUILD) + ")";
}

} // namespace pellar
