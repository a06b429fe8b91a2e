#include "lib/Z5UtilsUnit.h"

#include <gtest/gtest.h>

#include <cfenv>

TEST(RoundToInt, TiesGoToEvenWhateverTheCallersMode) {
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(RoundToInt(2.5), 2);
        EXPECT_EQ(RoundToInt(3.5), 4);
        EXPECT_EQ(RoundToInt(-2.5), -2);
        EXPECT_EQ(RoundToInt(60.04), 60);
        EXPECT_EQ(std::fegetround(), mode) << "the caller's mode must be back";
    }
    std::fesetround(FE_TONEAREST);
}

TEST(ExtractFolder, KeepsTheTrailingSeparator) {
    EXPECT_EQ(ExtractFolder("/usr/games/vaporel"), "/usr/games/");
    EXPECT_EQ(ExtractFolder("vaporel"), "");
    EXPECT_EQ(ExtractFolder("/"), "/");
    EXPECT_EQ(ExtractFolder(std::string("/a/b\0/c/d", 9)), "/a/") << "stops at a zero byte";
    // Multi-byte UTF-8 names: continuation bytes never read as '/'.
    EXPECT_EQ(ExtractFolder("/ゲーム/水/vaporel"), "/ゲーム/水/");
}
