// Default values of the settings that no start-up variable carries, shared by the option files
// and the registry form.
#pragma once

#include <cstdint>
#include <string_view>

namespace vellumo::modOptions::detail {

// The tree pane's font.
inline constexpr std::string_view kTreeFontName = "MS Sans Serif";
inline constexpr int64_t kTreeFontSize = 8;
// The font of text pasted as plain text (and, on the registry side, of inserted date and time).
inline constexpr std::string_view kCourierFontName = "Courier New";
inline constexpr int64_t kCourierFontSize = 12;

inline constexpr int32_t kDefaultOptPasteAsText = 1;
// Also what a date or time format below 1 read from options.ini becomes.
inline constexpr int32_t kDefaultFormatDate = 8;
inline constexpr int32_t kDefaultFormatTime = 3;
inline constexpr int32_t kDefaultPromptForNodeDel = 1;

} // namespace vellumo::modOptions::detail
