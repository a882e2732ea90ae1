// The program's own version, as the about box, the client-information request
// and the writing window show it. The numbers are compiled in from CMake.
#pragma once

#include <string>

namespace pellar {

// The major version, formatted "%d".
std::string ProgramMajorVersion();

// The minor part, formatted "%d%d (build %d)" from the minor number, the
// release number and the build number.
std::string ProgramMinorVersion();

} // namespace pellar
