// Full disks under the real program: the data folder (option files, log, write test, the report
// written with --output) and the registry store each on a small tmpfs that is filled up. Every run
// ends with the program's usual handling of that failure or a clear error, and no committed setting
// is lost.
#include "BuildSettings.h"
#include "diagnostic/modMain.h"
#include "integration/settings_support.h"
#include "platform/cRegistry.h"
#include "settings/cMRUFileList.h"
#include "settings/modOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace vellumo {
namespace {

using test::Strings;
namespace fs = std::filesystem;

// A tmpfs of a given size mounted on a folder for the lifetime of the object (needs root or
// CAP_SYS_ADMIN), and a filler file that takes every free byte.
class TinyDisk {
public:
    TinyDisk() = default;
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;
    ~TinyDisk() {
        if (mounted_)
            umount2(where_.c_str(), MNT_DETACH);
    }

    [[nodiscard]] bool Mount(const fs::path& where, size_t bytes) {
        fs::create_directories(where);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        mounted_ =
            mount("tmpfs", where.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
        where_ = where;
        return mounted_;
    }
    // Writes the filler until the disk refuses more.
    void Fill() {
        const int fd = open((where_ / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        for (;;) {
            const ssize_t n = write(fd, block.data(), block.size());
            if (n <= 0) {
                EXPECT_EQ(errno, ENOSPC);
                break;
            }
        }
        // The last partial block is written byte by byte, so that not one byte is left.
        while (write(fd, "x", 1) == 1) {
        }
        close(fd);
    }
    void Free() { fs::remove(where_ / "filler"); }

private:
    fs::path where_;
    bool mounted_ = false;
};

#define MOUNT_OR_SKIP(disk, where, bytes)                                                          \
    if (!(disk).Mount((where), (bytes)))                                                           \
    GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root): " << std::strerror(errno)

class FullDiskRun : public test::SettingsRunTest {
protected:
    static void Reg(const Strings& args, int expected = 0) {
        Strings argv = {test::BuiltProgram("vellumo-reg")};
        argv.insert(argv.end(), args.begin(), args.end());
        const test::ProcessResult r = test::RunProcess(argv);
        ASSERT_EQ(r.exitCode, expected) << r.out << r.err;
    }
    static void SetDebugModeOn() {
        Reg({"add", test::kRegRoot + "\\Debug", "/v", "On", "/t", "REG_DWORD", "/d", "1", "/f"});
    }
    static Strings Lines(const std::string& text) {
        Strings lines;
        for (size_t start = 0, end = 0; start < text.size(); start = end + 1) {
            end = std::min(text.find('\n', start), text.size());
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

    const std::string options_ = "FontName_Tree,Tahoma\r\nAutoSave,0\r\n\r\n";
};

TEST_F(FullDiskRun, FullDataDiskLosesTheLogAndTheWriteTestButMigratesTheSettings) {
    // The data folder is on a disk that is full before the run: the option files can be read, the
    // log and the write test cannot be written; the settings go to the store on another disk.
    TinyDisk disk;
    MOUNT_OR_SKIP(disk, data_, 64 * 1024);
    for (const char* sub : {"Backup", "Config", "Export", "Log"})
        fs::create_directories(data_ / sub);
    const std::string recent = (Home() / "recent.txt").string();
    test::WriteFile(Home() / "recent.txt", "x");
    test::WriteFile(config_ / "options.ini", options_);
    test::WriteFile(config_ / "mru.ini", "MaxCount,6\r\nCount,1\r\nFile1," + recent + "\r\n\r\n");
    SetDebugModeOn();
    disk.Fill();

    const test::ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(WindowLines(r.out), (Strings{"FileToOpen (exists): " + recent,
                                           "Err.Number: 61, Err.Description = Disk full",
                                           "Cannot create file in DataPath: " + Folder(data_)}));
    // Every log line is lost with a warning; the run goes on.
    const std::string warning =
        std::string(build::kAppTitle) + ": Error in Sub LogMsg, Err Num: 61, Err Desc: Disk full";
    const Strings err = Lines(r.err);
    EXPECT_GE(std::count(err.begin(), err.end(), warning), 14) << r.err;
    for (const auto& line : err)
        EXPECT_TRUE(line == warning || !line.starts_with(std::string(build::kAppTitle) + ": Error"))
            << line;

    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options", "AutoSave"), "0x0");
    EXPECT_EQ(Query("\\Files", "File1"), recent);
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    EXPECT_EQ(test::ReadFile(config_ / "options.ini"), options_) << "read, never rewritten";
}

TEST_F(FullDiskRun, SmallDataDiskFailsTheFreeSpaceCheckAndAFullOneRefusesTheOutputFile) {
    TinyDisk disk;
    MOUNT_OR_SKIP(disk, data_, 256 * 1024);
    for (const char* sub : {"Backup", "Config", "Export", "Log"})
        fs::create_directories(data_ / sub);
    test::ProcessResult r = test::RunProcess({Program(), "--check"}, {{"LC_ALL", "C.UTF-8"}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\r\nFAIL free-space: "), std::string::npos) << r.out;

    // Full: the output file cannot be written; one line names it, and nothing is left of it.
    disk.Fill();
    const fs::path target = data_ / "report.json";
    r = test::RunProcess({Program(), "--format=json", "--output=" + target.string()},
                         {{"LC_ALL", "C.UTF-8"}});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot write " + target.string() + " (No space left on device)"),
              std::string::npos)
        << r.err;
    for (const auto& entry : fs::directory_iterator(data_))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "filler" ||
                    entry.path().filename().string().starts_with("Test_"))
            << entry.path();
}

TEST_F(FullDiskRun, FullStoreDiskKeepsEveryCommittedValueAndTheMigrationIsRetried) {
    TinyDisk disk;
    MOUNT_OR_SKIP(disk, ConfigHome(), 4 * 1024 * 1024);
    test::WriteFile(config_ / "options.ini", options_);
    // A value committed before the disk fills.
    Reg({"add", test::kRegRoot + "\\Options", "/v", "OptViewBars", "/t", "REG_DWORD", "/d", "7",
         "/f"});
    disk.Fill();

    // Even reading needs room (for the store's shared-memory file): the run says why it cannot
    // use the store and goes on as a first run; the migration cannot write, so the marker stays
    // unset and the next run with room migrates again.
    const std::string full = "vellumo: The registry store \"" +
                             (ConfigHome() / "kestrova" / "registry.db").string() +
                             "\" cannot be opened while its disk is full; it was left untouched.\n";
    test::ProcessResult r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, full);
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));

    // vellumo-reg says why it cannot write.
    const test::ProcessResult add =
        test::RunProcess({test::BuiltProgram("vellumo-reg"), "add", test::kRegRoot + "\\Options",
                          "/v", "OptViewBars", "/t", "REG_DWORD", "/d", "9", "/f"});
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_EQ(add.err, full + "ERROR: There is not enough space on the disk.\n");

    disk.Free();
    EXPECT_EQ(Query("\\Options", "OptViewBars"), "0x7") << "the committed value is still there";
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "<missing>");

    // With room again the migration completes.
    r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Initializing settings in registry",
                                             "File exists: " + Folder(config_) + "options.ini"}));
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");

    // A full disk on a later run: the store cannot be used, the migration is tried and fails, and
    // nothing that was committed is lost.
    disk.Fill();
    r = Run();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, full);
    disk.Free();
    EXPECT_EQ(Query("\\Options\\Fonts\\Tree", "Name"), "Tahoma");
    EXPECT_EQ(Query("\\Options", "AutoSave"), "0x0");
    EXPECT_EQ(Query("\\Options", "OptViewBars"), "0x0") << "the migration wrote the file's set";
    EXPECT_EQ(Query("\\Options", "SavedInReg"), "0x1");
    r = Run();
    EXPECT_EQ(SettingsLines(r.out), (Strings{"Settings are already saved in registry"}));
}

// The writers of the option files and "mru.ini" on a full disk (the program reaches them only
// when a file vanishes during the migration): each reports "Disk full" with its step and leaves
// the file as far as it got.
class FullDiskFiles : public test::IsolatedTest {};

TEST_F(FullDiskFiles, OptionFileWritersReportDiskFullWithTheirStep) {
    TinyDisk disk;
    MOUNT_OR_SKIP(disk, Home() / "config", 64 * 1024);
    modMain::ConfigPath = (Home() / "config").string() + "/";
    modMain::LogPath = (Home() / "config").string() + "/";
    disk.Fill();

    modOptions::Config_Save(false);
    modOptions::Aux_Save(false);
    EXPECT_EQ(fs::file_size(Home() / "config" / "options.ini"), 0u) << "created, then emptied";
    fs::remove(Home() / "config" / "options.ini");
    EXPECT_FALSE(modOptions::Config_Read(false, false)) << "the missing file is made, and fails";
    ASSERT_EQ(reportedErrors_.size(), 3u);
    for (const ReportedError& e : reportedErrors_) {
        EXPECT_EQ(e.number, 61) << e.procedure;
        EXPECT_EQ(e.description, "Disk full");
        EXPECT_EQ(e.module, "modOptions");
    }
    EXPECT_EQ(reportedErrors_[0].procedure, "Config_Save");
    EXPECT_EQ(reportedErrors_[1].procedure, "Aux_Save");
    EXPECT_EQ(reportedErrors_[2].procedure, "Config_Save") << "called by the read";
    // The whole text is one write, handed to the system when the file is closed.
    EXPECT_EQ(reportedErrors_[0].extra, "Error line: 550");
    EXPECT_EQ(reportedErrors_[1].extra, "Error line: 140");
    EXPECT_EQ(modOptions::FontName_Tree, "MS Sans Serif") << "the defaults stay in memory";

    reportedErrors_.clear();
    cMRUFileList list;
    cRegistry registry;
    list.MRU_Read(); // missing: made with MaxCount 6 and Count 0, which fails
    ASSERT_EQ(reportedErrors_.size(), 1u);
    EXPECT_EQ(reportedErrors_[0].procedure, "MRU_Save");
    EXPECT_EQ(reportedErrors_[0].number, 61);
    EXPECT_EQ(list.MaxFileCount(), 6);
    EXPECT_EQ(list.FileCount(), 0);

    // With room again the same calls succeed.
    disk.Free();
    reportedErrors_.clear();
    modOptions::Config_Save(false);
    EXPECT_TRUE(reportedErrors_.empty());
    EXPECT_TRUE(modOptions::Config_Read(false, true));
}

} // namespace
} // namespace vellumo
