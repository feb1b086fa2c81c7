// Whether two paths lead to one file, whatever links or spellings they use.
#pragma once

#include <string>

namespace vellumo {

// True when both paths name an existing file and it is the same one: the same device and inode
// (Linux, through symbolic links and hard links alike), the same volume and file index
// (Windows). False when either cannot be reached. Paths are UTF-8, converted to the code page.
[[nodiscard]] bool IsSameFile(const std::string& first, const std::string& second);

} // namespace vellumo
