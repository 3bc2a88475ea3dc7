#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestrane;

TEST(NotificationCenterTest, APostReachesItsObserversInOrderAndTheyMayChangeTheListMeanwhile)
{
    NotificationCenter center;
    std::vector<std::string> heard;
    NotificationCenter::Token self = 0, later = 0;
    self = center.observe("n", [&] {
        heard.push_back("self");
        center.removeObserver(self);
        center.removeObserver(later);
        center.observe("n", [&] { heard.push_back("added"); });
    });
    center.observe("other", [&] { heard.push_back("other"); });
    later = center.observe("n", [&] { heard.push_back("later"); });

    // The one removed before its turn is skipped; the one added hears the next post.
    EXPECT_EQ(center.post("n"), 1);
    EXPECT_EQ(center.post("n"), 1);
    EXPECT_EQ(heard, (std::vector<std::string> { "self", "added" }));
    EXPECT_EQ(center.post("nobody"), 0);
}
