// The run-time errors of failed file operations: the one errno table, and opening real
// files for input, output and appending.
#include "platform/RuntimeError.h"
#include "platform/StdioFile.h"
#include "support/TestEnvironment.h"

#include <cerrno>

namespace vellumo {
namespace {

using test::fs::path;

int32_t Number(int errnoValue, FileAction action) {
    return ErrorFromErrno(errnoValue, action).Number();
}

TEST(ErrorFromErrnoTest, OneTableForEveryFileOperation) {
    constexpr FileAction kOpens[] = {FileAction::kOpenForInput, FileAction::kOpenForOutput,
                                     FileAction::kCreateFolder};
    // A missing entry is the file itself only when reading it.
    EXPECT_EQ(Number(ENOENT, FileAction::kOpenForInput), err::kFileNotFound);
    EXPECT_EQ(Number(ENOENT, FileAction::kOpenForOutput), err::kPathNotFound);
    EXPECT_EQ(Number(ENOENT, FileAction::kCreateFolder), err::kPathNotFound);
    for (const FileAction action : kOpens) {
        SCOPED_TRACE(static_cast<int>(action));
        EXPECT_EQ(Number(ENOSPC, action), err::kDiskFull);
        EXPECT_EQ(Number(ENOTDIR, action), err::kPathNotFound);
        EXPECT_EQ(Number(ENAMETOOLONG, action), err::kBadFileNameOrNumber);
        EXPECT_EQ(Number(EINVAL, action), err::kBadFileNameOrNumber);
        EXPECT_EQ(Number(EIO, action), err::kDeviceIOError);
        EXPECT_EQ(Number(ETXTBSY, action), err::kPermissionDenied);
        for (const int refused : {EACCES, EPERM, EROFS, EISDIR, EEXIST, 0})
            EXPECT_EQ(Number(refused, action), err::kPathFileAccessError) << refused;
    }
    EXPECT_EQ(Number(ENOSPC, FileAction::kWrite), err::kDiskFull);
    for (const int other : {EIO, EACCES, ENOENT, EINVAL, 0})
        EXPECT_EQ(Number(other, FileAction::kWrite), err::kDeviceIOError) << other;
    EXPECT_EQ(ErrorFromErrno(ENOSPC, FileAction::kWrite).Description(), "Disk full");
}

class StdioFileTest : public test::IsolatedTest {
protected:
    // The number a failed open raises; 0 when it opened.
    static int32_t OpenFailure(const path& file, StdioMode mode) {
        try {
            (void)OpenStdioFile(file.string(), mode);
            return 0;
        } catch (const RuntimeError& e) {
            return e.Number();
        }
    }
};

TEST_F(StdioFileTest, MissingFileAndMissingFolderAreToldApart) {
    EXPECT_EQ(OpenFailure(Home() / "missing.txt", StdioMode::kInput), err::kFileNotFound);
    EXPECT_EQ(OpenFailure(Home() / "no" / "folder.txt", StdioMode::kInput), err::kPathNotFound);
    for (const StdioMode mode : {StdioMode::kOutput, StdioMode::kAppend})
        EXPECT_EQ(OpenFailure(Home() / "no" / "folder.txt", mode), err::kPathNotFound);
    EXPECT_FALSE(test::fs::exists(Home() / "no"));
}

TEST_F(StdioFileTest, FolderInThePlaceOfTheFileIsAnAccessError) {
    test::fs::create_directories(Home() / "folder");
    for (const StdioMode mode : {StdioMode::kOutput, StdioMode::kAppend})
        EXPECT_EQ(OpenFailure(Home() / "folder", mode), err::kPathFileAccessError);
}

TEST_F(StdioFileTest, WrittenAppendedAndReadBack) {
    const path file = Home() / "text.txt";
    for (const StdioMode mode : {StdioMode::kOutput, StdioMode::kAppend, StdioMode::kAppend}) {
        StdioFile out = OpenStdioFile(file.string(), mode);
        WriteStdioFile(out.get(), "ab");
        CloseStdioFile(out.release());
    }
    StdioFile in = OpenStdioFile(file.string(), StdioMode::kInput);
    char buffer[16] = {};
    EXPECT_EQ(ReadStdioFile(in.get(), buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), "ababab");
    EXPECT_EQ(ReadStdioFile(in.get(), buffer, sizeof buffer), 0u);
    CloseStdioFile(nullptr); // nothing to close
}

} // namespace
} // namespace vellumo
