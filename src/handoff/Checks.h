// The verdicts on a run: one per check, each PASS, WARN, FAIL or SKIP with what was found and,
// for WARN and FAIL, how to put it right.
#pragma once

#include "handoff/RunRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::handoff {

enum class CheckStatus { Pass, Warn, Fail, Skip };

// "PASS", "WARN", "FAIL" or "SKIP".
[[nodiscard]] std::string_view StatusWord(CheckStatus status);

struct CheckVerdict {
    std::string id; // the check's name: "master-file", "free-space", ...
    CheckStatus status = CheckStatus::Skip;
    std::string detail; // what was found
    std::string fix;    // how to fix it; empty for PASS and SKIP
};

// Free space below these is worth a warning, and below the second a failure: the product's
// saves and automatic backups need room in the data folder.
inline constexpr uint64_t kFreeSpaceWarnBelow = uint64_t{100} << 20;
inline constexpr uint64_t kFreeSpaceFailBelow = uint64_t{10} << 20;

// The eight checks in their order: master-file, data-folder, icons, data-access, scripting,
// registry, debug-mode, free-space. A check whose stage the run did not reach is SKIP.
[[nodiscard]] std::vector<CheckVerdict> RunChecks(const RunRecord& record,
                                                  const ReportFacts& facts);

// Whether any verdict is FAIL.
[[nodiscard]] bool AnyFailed(const std::vector<CheckVerdict>& verdicts);

} // namespace vellumo::handoff
