// Keeps the saved password out of the settings in clear. This is obscuring,
// not encryption: it stops a casual look at the store, and ties the stored
// form to the login name of the local user, so that a value copied to
// another account does not decode there.
#pragma once

#include <string>
#include <string_view>

namespace pellar {

// The stored form has the same length as the password.
std::string ObscurePassword(std::string_view password, std::string_view loginName);
std::string UnobscurePassword(std::string_view stored, std::string_view loginName);

} // namespace pellar
