// The eight checks on records made from report texts: each check's PASS and its WARN or FAIL,
// the free-space thresholds, and SKIP for what a run that ended early did not reach.
#include "handoff/Checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace vellumo::handoff {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

const char* const kGoodReport = "OS: 6.1.0 Debian English\r\n"
                                "WindowsUserName: ken\r\n"
                                "DataPath: /d/\r\n"
                                "Master file exists: /app/master\r\n"
                                "Master file size: 5\r\n"
                                "Settings are already saved in registry\r\n"
                                "File exists: /app/Icons/kestroclr.bmp\r\n"
                                "File exists: /app/Icons/kestroclrsm.bmp\r\n"
                                "MDAC: 3.4\r\n"
                                "ScriptingRuntimePresent: True\r\n"
                                "\r\n"
                                "Can create file in DataPath: /d/\r\n";

RunRecord GoodRecord() {
    RunRecord record;
    record.report = kGoodReport;
    record.complete = true;
    record.osVersion = "6.1.0 Debian";
    record.dataPath = "/d/";
    record.logPath = "/d/Log/";
    record.iconFolder = "/app/Icons/";
    record.dataFolderFreeBytes = 200 * kMiB;
    return record;
}

void Replace(RunRecord& record, const std::string& from, const std::string& to) {
    const size_t at = record.report.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    record.report.replace(at, from.size(), to);
}

CheckVerdict VerdictOf(const RunRecord& record, const std::string& id) {
    for (const CheckVerdict& verdict : RunChecks(record, ReadFacts(record)))
        if (verdict.id == id)
            return verdict;
    ADD_FAILURE() << "no check " << id;
    return {};
}

TEST(Checks, AGoodRunPassesEveryCheckInOrder) {
    const RunRecord record = GoodRecord();
    const std::vector<CheckVerdict> verdicts = RunChecks(record, ReadFacts(record));
    std::vector<std::string> ids;
    for (const CheckVerdict& verdict : verdicts) {
        ids.push_back(verdict.id);
        EXPECT_EQ(verdict.status, CheckStatus::Pass) << verdict.id << ": " << verdict.detail;
        EXPECT_EQ(verdict.fix, "");
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"master-file", "data-folder", "icons", "data-access",
                                             "scripting", "registry", "debug-mode", "free-space"}));
    EXPECT_FALSE(AnyFailed(verdicts));
}

struct Fault {
    const char* id;
    std::function<void(RunRecord&)> make;
    CheckStatus status;
    std::string detail;
};

class CheckFaults : public ::testing::TestWithParam<Fault> {};

TEST_P(CheckFaults, AreFoundWithTheirDetailAndAFix) {
    const Fault& fault = GetParam();
    RunRecord record = GoodRecord();
    fault.make(record);
    const CheckVerdict verdict = VerdictOf(record, fault.id);
    EXPECT_EQ(verdict.status, fault.status) << verdict.detail;
    EXPECT_EQ(verdict.detail, fault.detail);
    EXPECT_NE(verdict.fix, "");
}

INSTANTIATE_TEST_SUITE_P(
    EachCheck, CheckFaults,
    ::testing::Values(
        Fault{"master-file",
              [](RunRecord& r) {
                  Replace(r, "Master file exists: /app/master\r\nMaster file size: 5",
                          "Master file doesn't exist: /app/master");
              },
              CheckStatus::Fail, "/app/master not found"},
        Fault{"master-file",
              [](RunRecord& r) { Replace(r, "Master file size: 5", "Master file size: -1"); },
              CheckStatus::Warn,
              "/app/master found, but it cannot be opened for reading and writing"},
        Fault{"data-folder",
              [](RunRecord& r) {
                  Replace(r, "Can create file in DataPath: /d/",
                          "Err.Number: 70, Err.Description = Permission denied\r\n"
                          "Cannot create file in DataPath: /d/");
              },
              CheckStatus::Fail,
              "cannot create a file in /d/ (Err.Number: 70, Err.Description = Permission denied)"},
        Fault{"icons",
              [](RunRecord& r) {
                  Replace(r, "File exists: /app/Icons/kestroclrsm.bmp",
                          "File doesn't exist: /app/Icons/kestroclrsm.bmp");
              },
              CheckStatus::Fail, "/app/Icons/kestroclrsm.bmp not found"},
        Fault{"data-access", [](RunRecord& r) { Replace(r, "MDAC: 3.4", "MDAC: 2.1"); },
              CheckStatus::Fail, "version 2.1 is older than 2.5"},
        Fault{"data-access", [](RunRecord& r) { Replace(r, "MDAC: 3.4", "MDAC: 0"); },
              CheckStatus::Fail, "the data-access components are missing"},
        Fault{"scripting",
              [](RunRecord& r) {
                  Replace(r, "ScriptingRuntimePresent: True", "ScriptingRuntimePresent: False");
              },
              CheckStatus::Fail, "the scripting runtime is not available"},
        Fault{"registry",
              [](RunRecord& r) { r.storeProblem = "The registry store \"/s\" is damaged."; },
              CheckStatus::Fail, "The registry store \"/s\" is damaged."},
        Fault{"debug-mode", [](RunRecord& r) { r.debugMode = true; }, CheckStatus::Warn,
              "debug mode is on: every run writes a log into /d/Log/"},
        Fault{"free-space", [](RunRecord& r) { r.dataFolderFreeBytes = 100 * kMiB - 1; },
              CheckStatus::Warn, "99 MiB free in /d/, less than 100 MiB"},
        Fault{"free-space", [](RunRecord& r) { r.dataFolderFreeBytes = 10 * kMiB - 1; },
              CheckStatus::Fail, "9 MiB free in /d/, less than 10 MiB"},
        Fault{"free-space", [](RunRecord& r) { r.dataFolderFreeBytes = 512; }, CheckStatus::Fail,
              "512 bytes free in /d/, less than 10 MiB"}));

TEST(Checks, FreeSpaceThresholdsAreInclusiveOfTheirLimits) {
    RunRecord record = GoodRecord();
    record.dataFolderFreeBytes = 100 * kMiB;
    EXPECT_EQ(VerdictOf(record, "free-space").status, CheckStatus::Pass);
    record.dataFolderFreeBytes = 10 * kMiB;
    EXPECT_EQ(VerdictOf(record, "free-space").status, CheckStatus::Warn);
}

TEST(Checks, WhatAnEarlyEndDidNotReachIsSkipped) {
    // The data-access check ended the run: only the lines up to it exist.
    RunRecord record = GoodRecord();
    record.complete = false;
    Replace(record,
            "MDAC: 3.4\r\nScriptingRuntimePresent: True\r\n\r\n"
            "Can create file in DataPath: /d/\r\n",
            "MDAC: 2.1\r\n");
    std::map<std::string, CheckStatus> statuses;
    for (const CheckVerdict& verdict : RunChecks(record, ReadFacts(record)))
        statuses[verdict.id] = verdict.status;
    EXPECT_EQ(statuses["data-access"], CheckStatus::Fail);
    EXPECT_EQ(statuses["scripting"], CheckStatus::Skip);
    EXPECT_EQ(statuses["data-folder"], CheckStatus::Skip);
    EXPECT_EQ(statuses["master-file"], CheckStatus::Pass);

    // Ended right after the paths: nothing but the free space can be judged.
    record.report = "OS: 6.1.0 Debian English\r\nWindowsUserName: ken\r\nDataPath: /d/\r\n";
    for (const CheckVerdict& verdict : RunChecks(record, ReadFacts(record)))
        EXPECT_EQ(verdict.status,
                  verdict.id == "free-space" ? CheckStatus::Pass : CheckStatus::Skip)
            << verdict.id;
}

} // namespace
} // namespace vellumo::handoff
