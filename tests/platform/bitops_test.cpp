// 32-bit bit arithmetic at its edges: dblToLong's rounding and reduction, shifts past the sign
// bit, bit tests beyond bit 31, and the overflow box for values that are not finite.
#include "platform/modBitOps.h"
#include "support/TestEnvironment.h"

#include <climits>
#include <limits>

namespace vellumo {
namespace {

using modBitOps::BitTestLong;
using modBitOps::dblToLong;
using modBitOps::Shll;

class BitOpsTest : public test::IsolatedTest {};

TEST_F(BitOpsTest, DblToLongReducesModulo2To32) {
    EXPECT_EQ(dblToLong(4294967295.0), -1);
    EXPECT_EQ(dblToLong(2147483648.0), INT_MIN);
    EXPECT_EQ(dblToLong(-1.0), -1);
    EXPECT_EQ(dblToLong(2147483647.0), INT_MAX);
    EXPECT_EQ(dblToLong(-2147483648.0), INT_MIN);
    EXPECT_EQ(dblToLong(-2147483649.0), INT_MAX);
    EXPECT_EQ(dblToLong(4294967296.0), 0);
    EXPECT_EQ(dblToLong(4294967297.0), 1);
    EXPECT_EQ(dblToLong(-4294967297.0), -1);
    EXPECT_EQ(dblToLong(1e20), 1661992960); // 1e20 mod 2^32
    EXPECT_EQ(dblToLong(-1e20), -1661992960);
    EXPECT_EQ(dblToLong(0.0), 0);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(BitOpsTest, DblToLongRoundsToNearestTiesToEvenBeforeReducing) {
    // Just above the largest 32-bit value: rounding first gives it, not an overflow.
    EXPECT_EQ(dblToLong(2147483647.3), INT_MAX);
    EXPECT_EQ(dblToLong(2147483647.5), INT_MIN); // ties to 2147483648
    EXPECT_EQ(dblToLong(4294967295.4), -1);
    EXPECT_EQ(dblToLong(4294967295.5), 0); // ties to 4294967296
    EXPECT_EQ(dblToLong(-2147483648.4), INT_MIN);
    EXPECT_EQ(dblToLong(2.5), 2);
    EXPECT_EQ(dblToLong(3.5), 4);
    EXPECT_EQ(dblToLong(-2.5), -2);
    EXPECT_EQ(dblToLong(-0.5), 0);
    EXPECT_EQ(dblToLong(0.50001), 1);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(BitOpsTest, DblToLongOfANonFiniteValueShowsTheOverflowBox) {
    for (const double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        ui_.boxes.clear();
        EXPECT_EQ(dblToLong(bad), 0);
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].title, "dblToLong");
        EXPECT_EQ(ui_.boxes[0].text, "Error: 6. Overflow");
    }
}

TEST_F(BitOpsTest, ShllWrapsAt32Bits) {
    EXPECT_EQ(Shll(1, 0), 1);
    EXPECT_EQ(Shll(1, 30), 0x40000000);
    EXPECT_EQ(Shll(1, 31), INT_MIN);
    EXPECT_EQ(Shll(3, 31), INT_MIN);
    EXPECT_EQ(Shll(0x12345678, 4), 0x23456780);
    EXPECT_EQ(Shll(-1, 1), -2);
    EXPECT_EQ(Shll(INT_MIN, 1), 0);
    EXPECT_EQ(Shll(1, 32), 0);
    EXPECT_EQ(Shll(-1, 255), 0);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(BitOpsTest, BitTestLongUpToTheSignBit) {
    EXPECT_TRUE(BitTestLong(64, 6));
    EXPECT_FALSE(BitTestLong(64, 5));
    EXPECT_FALSE(BitTestLong(64, 32));
    EXPECT_FALSE(BitTestLong(-1, 32));
    EXPECT_FALSE(BitTestLong(-1, 200));
    EXPECT_TRUE(BitTestLong(INT_MIN, 31));
    EXPECT_FALSE(BitTestLong(INT_MAX, 31));
    for (uint8_t bit = 0; bit < 32; ++bit) {
        EXPECT_TRUE(BitTestLong(-1, bit)) << int(bit);
        EXPECT_FALSE(BitTestLong(0, bit)) << int(bit);
    }
    EXPECT_TRUE(ui_.boxes.empty());
}

} // namespace
} // namespace vellumo
