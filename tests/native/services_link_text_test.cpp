// The description pane's hyperlink label: its link part and the link colours
// read from the user's browser settings.
#include <gtest/gtest.h>

#include <string>

#include "snapins/services/model/LinkText.h"

namespace vantrel::services {
namespace {

TEST(LinkTextTest, MarkupSplitsTheLinkFromTheTextAroundIt)
{
    const LinkParts marked = SplitLinkMarkup(u"Click <A>here</a> to start");
    EXPECT_EQ(marked.before, u"Click ");
    EXPECT_EQ(marked.link, u"here");
    EXPECT_EQ(marked.after, u" to start");

    EXPECT_EQ(SplitLinkMarkup(u"Restart").link, u"Restart");  // no marks: all link
    const LinkParts open = SplitLinkMarkup(u"see <a>the rest");
    EXPECT_EQ(open.before, u"see ");
    EXPECT_EQ(open.link, u"the rest");
    EXPECT_EQ(SplitLinkMarkup(u"</A>x<A>").link, u"");
    EXPECT_EQ(SplitLinkMarkup(u"</A>x<A>").before, u"</A>x");
}

TEST(LinkTextTest, ColoursAreThreeComponentsOrNothing)
{
    EXPECT_EQ(ParseLinkColour("0,0,255"), (LinkColour{0, 0, 255}));
    EXPECT_EQ(ParseLinkColour("128, 0 ,128"), (LinkColour{128, 0, 128}));
    EXPECT_EQ(ParseLinkColour("255,255,255"), (LinkColour{255, 255, 255}));
    for (const char* damaged : {"", "0,0", "0,0,0,0", "256,0,0", "0,-1,0", "1,2,3x", "a,b,c", "1,,3", " 1, 2, 3 ,",
                                "0001,0002,003", "99999999999999999999,0,0"})
        EXPECT_FALSE(ParseLinkColour(damaged).has_value()) << damaged;
    EXPECT_EQ(ParseLinkColour("001,002,0003"), (LinkColour{1, 2, 3})) << "twelve bytes fit";
}

}  // namespace
}  // namespace vantrel::services
