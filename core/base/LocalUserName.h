// The local login name, sent in the handshake and used to obscure the stored
// password.
#pragma once

#include <string>

namespace pellar {

// The effective user's name from the password database, else $USER, else "".
std::string LocalUserName();

} // namespace pellar
