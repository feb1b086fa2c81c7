// The key handle: the key it holds is closed exactly once, on every way out, and a handle that
// failed to open holds nothing. Linux only: the store never hands out a handle value twice, so a
// closed key shows in CloseKey refusing its value; Windows reuses a closed handle's value at
// once, and closing it again there could close another key (or any other handle).
#include "platform/RegistryKeyHandle.h"

#include "platform/RegistryConstants.h"
#include "support/TestEnvironment.h"

#include <stdexcept>
#include <utility>

namespace vellumo {
namespace {

using regapi::KeyHandle;
using test::IsolatedTest;

constexpr const char* kKey = "Software\\Kestrova\\VellumoKeyHandleTest";
constexpr const char* kOtherKey = "Software\\Kestrova\\VellumoKeyHandleTest\\Other";

class KeyHandleTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        KeyHandle created;
        ASSERT_EQ(created.Create(HKEY_CURRENT_USER, kOtherKey, regapi::KEY_ALL_ACCESS),
                  regapi::kSuccess);
    }
    void TearDown() override {
        static_cast<void>(regapi::DeleteKey(HKEY_CURRENT_USER, kOtherKey)); // may be gone
        static_cast<void>(regapi::DeleteKey(HKEY_CURRENT_USER, kKey));
        IsolatedTest::TearDown();
    }

    // Whether `raw` is still an open key: closing a closed handle is refused.
    static bool StillOpen(regapi::RegKey raw) { return regapi::CloseKey(raw) == regapi::kSuccess; }
};

TEST_F(KeyHandleTest, ClosesItsKeyWhenItGoesAndWhenAnExceptionPassesThrough) {
    regapi::RegKey raw = 0;
    {
        KeyHandle key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kKey, regapi::KEY_READ), regapi::kSuccess);
        raw = key.Get();
        EXPECT_TRUE(key.IsOpen());
    }
    EXPECT_FALSE(StillOpen(raw));

    try {
        KeyHandle key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kKey, regapi::KEY_READ), regapi::kSuccess);
        raw = key.Get();
        throw std::runtime_error("a failure on the way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(StillOpen(raw));
}

TEST_F(KeyHandleTest, CloseGivesTheStatusAndClosesOnlyOnce) {
    KeyHandle key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS), regapi::kSuccess);
    const regapi::RegKey raw = key.Get();
    EXPECT_EQ(key.Close(), regapi::kSuccess);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Get(), 0);
    EXPECT_FALSE(StillOpen(raw));
    // Nothing held: as closing a handle of 0.
    EXPECT_EQ(key.Close(), regapi::kInvalidHandle);
}

TEST_F(KeyHandleTest, AFailedOpenHoldsNothingAndTheRegistryRefusesItsHandle) {
    KeyHandle key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, std::string(kKey) + "\\Missing", regapi::KEY_READ),
              regapi::kFileNotFound);
    EXPECT_FALSE(key.IsOpen());
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_NE(regapi::QueryValue(key.Get(), "", &type, nullptr, &size), regapi::kSuccess);
    EXPECT_EQ(key.Close(), regapi::kInvalidHandle);
}

TEST_F(KeyHandleTest, OpeningAgainClosesWhatItHeld) {
    KeyHandle key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kKey, regapi::KEY_READ), regapi::kSuccess);
    const regapi::RegKey first = key.Get();
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kOtherKey, regapi::KEY_READ), regapi::kSuccess);
    EXPECT_FALSE(StillOpen(first));
    EXPECT_TRUE(key.IsOpen());
    // A failed open closes the old key too and leaves nothing held.
    const regapi::RegKey second = key.Get();
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, std::string(kKey) + "\\Missing", regapi::KEY_READ),
              regapi::kFileNotFound);
    EXPECT_FALSE(StillOpen(second));
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(KeyHandleTest, MovingHandsTheKeyOverAndAssigningClosesTheOldOne) {
    KeyHandle key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kKey, regapi::KEY_ALL_ACCESS), regapi::kSuccess);
    const regapi::RegKey raw = key.Get();

    KeyHandle moved(std::move(key));
    EXPECT_EQ(moved.Get(), raw);
    EXPECT_FALSE(key.IsOpen()); // NOLINT(bugprone-use-after-move): moved-from holds nothing
    const uint8_t data[] = {1, 2};
    EXPECT_EQ(regapi::SetValue(moved.Get(), "Moved", REG_BINARY, data, sizeof data),
              regapi::kSuccess);

    KeyHandle other;
    ASSERT_EQ(other.Open(HKEY_CURRENT_USER, kOtherKey, regapi::KEY_READ), regapi::kSuccess);
    const regapi::RegKey otherRaw = other.Get();
    other = std::move(moved);
    EXPECT_FALSE(StillOpen(otherRaw));
    EXPECT_EQ(other.Get(), raw);
    EXPECT_EQ(other.Close(), regapi::kSuccess);
    EXPECT_EQ(moved.Close(), regapi::kInvalidHandle); // NOLINT(bugprone-use-after-move)
}

} // namespace
} // namespace vellumo
