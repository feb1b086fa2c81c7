// The whole-file writer: the target changes only on a successful commit, and never through a link.
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

TEST_F(WholeFileWriterTest, TheTargetChangesOnlyOnCommit) {
    WriteFile(At("out.txt"), "old");
    {
        WholeFileWriter writer(At("out.txt"));
        ASSERT_TRUE(writer.IsOpen()) << writer.Error();
        ASSERT_TRUE(writer.Write("new "));
        ASSERT_TRUE(writer.Write("contents"));
        EXPECT_EQ(ReadFile(At("out.txt")), "old");
        // Dropped without a commit, as an interrupted run would.
    }
    EXPECT_EQ(ReadFile(At("out.txt")), "old");
    EXPECT_EQ(SortedNames(dir_.Path()), std::vector<std::string>{"out.txt"});

    std::string error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At("out.txt"), "replaced", error)) << error;
    ASSERT_TRUE(WholeFileWriter::WriteWhole(At("new.txt"), "", error)) << error;
    EXPECT_EQ(ReadFile(At("out.txt")), "replaced");
    EXPECT_EQ(ReadFile(At("new.txt")), "");
    EXPECT_EQ(SortedNames(dir_.Path()), (std::vector<std::string>{"new.txt", "out.txt"}));
}

TEST_F(WholeFileWriterTest, AFolderOrAMissingFolderIsRefusedBeforeAnythingIsWritten) {
    fs::create_directory(At("folder"));
    for (const std::string& target : {At("folder"), At("missing/out.txt"), std::string()}) {
        std::string error;
        EXPECT_FALSE(WholeFileWriter::WriteWhole(target, "x", error)) << target;
        EXPECT_FALSE(error.empty()) << target;
    }
    EXPECT_TRUE(fs::is_directory(At("folder")));
    EXPECT_EQ(SortedNames(dir_.Path()), std::vector<std::string>{"folder"});
}

} // namespace
} // namespace vellumo
