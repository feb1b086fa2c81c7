// The user's home folder, as the redaction of personal data needs it.
#pragma once

#include <string>

namespace vellumo {

// The current user's home folder without trailing separator (UTF-8); the empty text when the
// system knows none. Linux: HOME when it holds an absolute path, else the password database's
// entry. Windows: USERPROFILE, else the shell's profile folder.
[[nodiscard]] std::string UserHomeFolder();

} // namespace vellumo
