// What follows an answered page of a paged list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "framework/model/Paging.h"

namespace vantrel {
namespace {

struct PageCase {
    int64_t sent;
    int64_t upTo;
    int64_t total;
    PageStep step;
    int64_t next;  // checked for Continue only
};

void ExpectSteps(ContinueFrom rule, std::initializer_list<PageCase> cases)
{
    for (const PageCase& c : cases) {
        int64_t next = -99;
        EXPECT_EQ(NextPage(c.sent, c.upTo, c.total, &next, rule), c.step)
            << "sent " << c.sent << " upTo " << c.upTo << " total " << c.total;
        EXPECT_EQ(next, c.step == PageStep::Continue ? c.next : -99)
            << "sent " << c.sent << " upTo " << c.upTo << " total " << c.total;
    }
}

constexpr int64_t kHugeTotal = 4294967295;

TEST(PagingTest, FromUpToContinuesOnlyWhileThePageAdvancesInsideTotal)
{
    ExpectSteps(ContinueFrom::UpTo, {
        {-1, 50, 120, PageStep::Continue, 50},   // first page
        {50, 100, 120, PageStep::Continue, 100},
        {100, 120, 120, PageStep::Done, 0},      // last page
        {-1, 3, 3, PageStep::Done, 0},           // everything on one page
        {-1, -1, 0, PageStep::Done, 0},          // no drives
        {-1, 0, 0, PageStep::Done, 0},
        {-1, 200, 120, PageStep::Done, 0},       // UpTo beyond Total
        {-1, 0, 5, PageStep::Failed, 0},         // asking from 0 would repeat the first request
        {-1, -1, 5, PageStep::Failed, 0},
        {50, 50, 120, PageStep::Failed, 0},      // stuck
        {50, 20, 120, PageStep::Failed, 0},      // backwards
        {-1, 3, kHugeTotal, PageStep::Continue, 3},
        {3, 3, kHugeTotal, PageStep::Failed, 0}, // the huge Total then leads nowhere
        {-1, 3, -1, PageStep::Failed, 0},        // negative Total
        {-7, 1, 2, PageStep::Continue, 1},       // a StartAt below -1 counts as -1
        {-1, INT64_MAX, INT64_MAX, PageStep::Done, 0},
    });
}

TEST(PagingTest, FromUpToPlusOneTreatsUpToAsTheLastEntrySent)
{
    ExpectSteps(ContinueFrom::UpToPlusOne, {
        {-1, 49, 120, PageStep::Continue, 50},
        {50, 99, 120, PageStep::Continue, 100},
        {100, 119, 120, PageStep::Done, 0},      // next StartAt would be Total
        {-1, 0, 5, PageStep::Continue, 1},       // one entry: any UpTo >= 0 is past -1
        {-1, -1, 0, PageStep::Done, 0},
        {-1, -1, 5, PageStep::Failed, 0},
        {50, 50, 120, PageStep::Failed, 0},      // stuck
        {50, 10, 120, PageStep::Failed, 0},
        {-1, kHugeTotal, kHugeTotal, PageStep::Done, 0},
        {-1, 500, 120, PageStep::Done, 0},
        {-1, INT64_MAX, INT64_MAX, PageStep::Done, 0},  // no overflow computing UpTo + 1
        {-1, INT64_MAX - 1, INT64_MAX, PageStep::Done, 0},
    });
}

TEST(PagingTest, NeverAsksPastTheListCap)
{
    int64_t next = 0;
    EXPECT_EQ(NextPage(-1, 999'999, kHugeTotal, &next, ContinueFrom::UpTo), PageStep::Continue);
    EXPECT_EQ(next, 999'999);
    EXPECT_EQ(NextPage(999'999, 1'000'000, kHugeTotal, &next, ContinueFrom::UpTo), PageStep::Done);
    EXPECT_EQ(NextPage(-1, 9, 100, &next, ContinueFrom::UpTo, 10), PageStep::Continue);
    EXPECT_EQ(NextPage(9, 10, 100, &next, ContinueFrom::UpTo, 10), PageStep::Done);
    EXPECT_EQ(NextPage(-1, 10, 100, nullptr, ContinueFrom::UpTo), PageStep::Continue);  // no output wanted
}

// A remote side that keeps announcing more while its pages advance by the
// least it can still ends the listing: every request starts later than the
// one before and none reaches past the cap.
TEST(PagingTest, EveryListingEnds)
{
    for (ContinueFrom rule : {ContinueFrom::UpTo, ContinueFrom::UpToPlusOne}) {
        int64_t startAt = -1;
        int requests = 1;
        PageStep step = PageStep::Continue;
        while (step == PageStep::Continue) {
            const int64_t upTo = std::max<int64_t>(startAt, 0) + 1;
            int64_t next = 0;
            step = NextPage(startAt, upTo, kHugeTotal, &next, rule, 1000);
            if (step == PageStep::Continue) {
                ASSERT_GT(next, startAt);
                startAt = next;
                ASSERT_LE(++requests, 1000);
            }
        }
        EXPECT_EQ(step, PageStep::Done);
        EXPECT_EQ(requests, rule == ContinueFrom::UpTo ? 1000 : 500);
    }
}

}  // namespace
}  // namespace vantrel
