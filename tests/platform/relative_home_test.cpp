// A relative or empty HOME is ignored: the registry store and the documents folder both come from
// the home folder of the user's password-database entry, and nothing is made below the folder a
// run starts in.
#include "platform/RegistryApi.h"
#include "platform/modShellFolders.h"
#include "support/TestEnvironment.h"

#include <pwd.h>
#include <unistd.h>

namespace vellumo {
namespace {

using test::fs::path;

const std::vector<std::string> kXdgVariables = {"XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                "XDG_DOCUMENTS_DIR", "DISPLAY", "WAYLAND_DISPLAY"};

std::string PasswordHome(const passwd* entry) {
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

class RelativeHomeTest : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        work_ = Home() / "work";
        test::fs::create_directories(work_);
    }

    path work_;
};

TEST_F(RelativeHomeTest, StoreAndDocumentsFolderLieUnderThePasswordDatabaseHome) {
    // Only the names are compared: neither lookup makes a folder, so the real home is not touched.
    const std::string home = PasswordHome(getpwuid(getuid()));
    ASSERT_FALSE(home.empty());
    ASSERT_EQ(home.front(), '/');
    for (const std::string& name : kXdgVariables)
        test::UnsetEnv(name.c_str());
    const path previous = test::fs::current_path();
    test::fs::current_path(work_);
    for (const std::string relative : {"relhome", "", "./", "relhome/.."}) {
        SCOPED_TRACE("HOME=" + relative);
        test::SetEnv("HOME", relative);
        EXPECT_EQ(regapi::StorePath(), home + "/.config/kestrova/registry.db");
        const std::string documents = modShellFolders::GetMyDocumentsPath(0);
        // An account may name its own documents folder in user-dirs.dirs; "$HOME/..." there is
        // read with the same home.
        if (!test::fs::exists(home + "/.config/user-dirs.dirs")) {
            EXPECT_EQ(documents, home + "/Documents");
        }
        ASSERT_FALSE(documents.empty());
        EXPECT_EQ(documents.front(), '/') << documents;
    }
    test::fs::current_path(previous);
    EXPECT_TRUE(test::fs::is_empty(work_));
}

TEST_F(RelativeHomeTest, ProgramStartedWithARelativeHomeMakesNothingWhereItStarts) {
    // As the unprivileged user, whose home (/nonexistent) cannot be made: the run creates nothing
    // anywhere. As any other user it would write into that user's real home.
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "needs root to run the program as nobody";
    const std::string home = PasswordHome(getpwnam("nobody"));
    ASSERT_FALSE(home.empty());
    if (test::fs::exists(home))
        GTEST_SKIP() << "nobody's home " << home << " exists; the run would write into it";

    const path app = Home() / "app";
    test::fs::create_directories(app);
    test::fs::copy_file(test::BuiltProgram("VellumoDiagnostic"), app / "VellumoDiagnostic");
    test::fs::permissions(Home(), test::fs::perms::all);
    test::fs::permissions(app, test::fs::perms::all);
    // Writable by the program, so that a file made relative to it would show.
    test::fs::permissions(work_, test::fs::perms::all);

    test::ProcessOptions options;
    options.env = {{"HOME", "relhome"}, {"LC_ALL", "C.UTF-8"}};
    options.unset = kXdgVariables;
    options.workingFolder = work_;
    options.asNobody = true;
    const test::ProcessResult r =
        test::RunProcessWith({(app / "VellumoDiagnostic").string()}, options);

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(test::fs::is_empty(work_));
    EXPECT_NE(r.out.find("MyDocsPath: " + home + "/Documents/\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("CommonDocsPath: " + home + "/.local/share/\r\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("\"" + home + "/.config/kestrova"), std::string::npos) << r.err;
    EXPECT_FALSE(test::fs::exists(home));
}

} // namespace
} // namespace vellumo
