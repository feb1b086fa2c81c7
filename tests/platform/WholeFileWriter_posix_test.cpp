// The whole-file writer on Linux: links in the target's place, permission bits, and a folder the
// user may not write.
#include "platform/WholeFileWriter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vellumo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::SortedNames;
using test::WriteFile;

class WholeFileWriterTest : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return (dir_.Path() / name).string(); }
    test::TempDir dir_;
};

TEST_F(WholeFileWriterTest, ALinkInTheTargetsPlaceIsReplacedNotFollowed) {
    WriteFile(At("elsewhere"), "keep");
    fs::create_symlink(At("elsewhere"), At("link"));
    fs::create_symlink(At("nowhere"), At("dangling"));
    std::string error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At("link"), "new", error)) << error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At("dangling"), "new", error)) << error;
    EXPECT_EQ(ReadFile(At("elsewhere")), "keep");
    EXPECT_FALSE(fs::exists(At("nowhere")));
    EXPECT_FALSE(fs::is_symlink(At("link")));
    EXPECT_EQ(ReadFile(At("link")), "new");
}

TEST_F(WholeFileWriterTest, AReplacedFileKeepsItsPermissions) {
    WriteFile(At("script"), "old");
    fs::permissions(At("script"), fs::perms(0750));
    std::string error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At("script"), "new", error)) << error;
    EXPECT_EQ(fs::status(At("script")).permissions() & fs::perms::all, fs::perms(0750));
}

TEST_F(WholeFileWriterTest, AFolderTheUserMayNotWriteIsAnErrorForAnOrdinaryUser) {
    fs::create_directory(At("locked"));
    WriteFile(At("locked/out.txt"), "old");
    fs::permissions(dir_.Path(), fs::perms(0755));
    fs::permissions(At("locked"), fs::perms(0555));
    const int result = test::RunInChildAsNobody([&] {
        std::string error;
        const bool written = WholeFileWriter::WriteWhole(At("locked/out.txt"), "new", error);
        return !written && error == "Permission denied" ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(At("locked/out.txt")), "old");
    EXPECT_EQ(SortedNames(At("locked")), std::vector<std::string>{"out.txt"});
}
TEST_F(WholeFileWriterTest, ANameAtTheFileSystemsLimitStillGetsATemporaryName) {
    const std::string longName(250, 'n');
    std::string error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At(longName), "x", error)) << error;
    EXPECT_EQ(ReadFile(At(longName)), "x");
}

} // namespace
} // namespace vellumo
