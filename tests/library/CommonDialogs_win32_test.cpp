// The dialog wrappers over the system's common dialogs (Wine's comdlg32 under Xvfb): a second
// thread plays the user, finding the dialog and typing a name or pressing OK or Cancel.
#include "library/GCommonDialog.h"
#include "support/TestEnvironment.h"
#include "ui/win32/Win32DialogBackend.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

namespace vellumo {
namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::string(className) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Plays the user on another thread: waits for this process's dialog, then acts on it.
class User {
public:
    explicit User(std::function<void(HWND)> act)
        : thread_([act = std::move(act)] {
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
              while (std::chrono::steady_clock::now() < deadline) {
                  Search search{GetCurrentProcessId(), nullptr};
                  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
                  if (search.found != nullptr) {
                      Sleep(300); // let the dialog finish its start-up
                      act(search.found);
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~User() { thread_.join(); }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

private:
    std::thread thread_;
};

void Press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class CommonDialogsWin32Test : public test::IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        scoped_ = std::make_unique<ScopedDialogBackend>(backend_);
        folder_ = Home() / "files";
        test::fs::create_directories(folder_);
        test::WriteFile(folder_ / "notes.txt", "x");
    }
    void TearDown() override {
        scoped_.reset();
        IsolatedTest::TearDown();
    }

    Win32DialogBackend backend_;
    std::unique_ptr<ScopedDialogBackend> scoped_;
    GCommonDialog dialog_;
    test::fs::path folder_;
};

TEST_F(CommonDialogsWin32Test, OpenDialogReturnsTheTypedNameAndTheChosenFilter) {
    std::string name;
    std::string title;
    bool readOnly = false;
    std::string filter = "Text files|*.txt|All files|*.*";
    int32_t filterIndex = 2;
    int32_t flags = 0;
    bool chosen = false;
    {
        User user([](HWND dialog) {
            // The file-name box (cmb13, or edt1 in the old style) takes the name.
            constexpr int kFileNameCombo = 0x47C;
            constexpr int kFileNameEdit = 0x480;
            HWND box = GetDlgItem(dialog, kFileNameCombo);
            if (box == nullptr)
                box = GetDlgItem(dialog, kFileNameEdit);
            SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("notes.txt"));
            Press(dialog, IDOK);
        });
        chosen =
            dialog_.VBGetOpenFileName(name, title, true, false, readOnly, true, filter, filterIndex,
                                      folder_.string(), "Pick a file", "", -1, flags);
    }
    ASSERT_TRUE(chosen) << "extended error " << dialog_.ExtendedError();
    EXPECT_EQ(dialog_.APIReturn(), 1);
    EXPECT_TRUE(test::fs::equivalent(name, folder_ / "notes.txt")) << name;
    EXPECT_EQ(title, "notes.txt");
    EXPECT_EQ(filterIndex, 2);
    EXPECT_EQ(filter, std::string("All files\0*.*", 13));
    EXPECT_NE(flags & 0x1000, 0) << "OFN_FILEMUSTEXIST comes back";
}

TEST_F(CommonDialogsWin32Test, CancelledOpenDialogEmptiesTheOutputs) {
    std::string name = "old.txt";
    std::string title = "old.txt";
    bool readOnly = false;
    std::string filter = "Text files|*.txt";
    int32_t filterIndex = 1;
    int32_t flags = 0;
    bool chosen = true;
    {
        User user([](HWND dialog) { Press(dialog, IDCANCEL); });
        chosen = dialog_.VBGetOpenFileName(name, title, false, false, readOnly, true, filter,
                                           filterIndex, folder_.string(), "", "", -1, flags);
    }
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog_.APIReturn(), 0);
    EXPECT_EQ(dialog_.ExtendedError(), 0) << "a cancel is no failure";
    EXPECT_EQ(name, "");
    EXPECT_EQ(title, "");
    EXPECT_EQ(filter, "");
    EXPECT_EQ(filterIndex, -1);
    EXPECT_EQ(flags, 0);
}

TEST_F(CommonDialogsWin32Test, ColorDialogOpensOnTheGivenColour) {
    int32_t color = 0x00336699;
    bool chosen = false;
    {
        User user([](HWND dialog) { Press(dialog, IDOK); });
        chosen = dialog_.VBChooseColor(color, false, true, false, -1, 0);
    }
    ASSERT_TRUE(chosen) << "extended error " << dialog_.ExtendedError();
    EXPECT_EQ(color, 0x00336699);

    {
        User user([](HWND dialog) { Press(dialog, IDCANCEL); });
        chosen = dialog_.VBChooseColor(color, false, false, false, -1, 0);
    }
    EXPECT_FALSE(chosen);
    EXPECT_EQ(color, -1);
}

TEST_F(CommonDialogsWin32Test, FileTitleAndCustomColoursComeFromTheSystem) {
    EXPECT_EQ(dialog_.VBGetFileTitle("C:\\Vellumo Data\\notes.vlm"), "notes.vlm");
    EXPECT_EQ(dialog_.CustomColor(5), static_cast<int32_t>(GetSysColor(5)));
    EXPECT_EQ(dialog_.CustomColor(16), -1);
}

} // namespace
} // namespace vellumo
