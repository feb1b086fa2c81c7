// Folders the program makes for the user, and whether a folder it did not make may serve as one.
#pragma once

#include <string>

namespace vellumo {

// Makes one folder level (the parent must exist). 0 when the folder was made or already is a
// folder, else the errno value of the failure (EEXIST when something else has the name). Linux:
// the new folder is the user's alone (mode 0700 whatever the umask). Windows: the folder inherits
// its parent's permissions, as every folder there does.
[[nodiscard]] int MakePrivateFolder(const std::string& path);

// Whether a folder the program did not choose for the user (one at the file-system root) may
// hold the user's files: it is a folder itself, not a link to one, it belongs to the user and no
// one else may write to it. Windows: always true; the product's home platform leaves such
// folders to their permissions, and a missing one is found out by the steps that use it.
[[nodiscard]] bool FolderIsTheUsersOwn(const std::string& path);

} // namespace vellumo
