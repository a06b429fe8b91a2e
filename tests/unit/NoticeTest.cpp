#include "game/app/NoticeUnit.h"

#include <gtest/gtest.h>

TEST(Notice, StaysUntilItsTimeIsUpAndGoesThenOnce) {
    TNotice notice;
    notice.Show("Saved as user-0003", 1000);
    EXPECT_FALSE(notice.Expire(1000 + NoticeMilliseconds - 1));
    EXPECT_EQ(notice.Text(), "Saved as user-0003");
    EXPECT_TRUE(notice.Expire(1000 + NoticeMilliseconds));
    EXPECT_EQ(notice.Text(), "");
    EXPECT_FALSE(notice.Expire(1000 + NoticeMilliseconds + 1)) << "nothing left to take away";
}

// The millisecond clock wraps after 49 days; a notice shown just before
// stays its whole time across the wrap.
TEST(Notice, KeepsItsTimeAcrossTheClocksWrap) {
    TNotice notice;
    const std::uint32_t shown = 0xFFFFFF00u;
    notice.Show("a failed save", shown);
    EXPECT_FALSE(notice.Expire(0xFFFFFFF0u));
    EXPECT_FALSE(notice.Expire(100));
    EXPECT_TRUE(notice.Expire(shown + NoticeMilliseconds));
}
