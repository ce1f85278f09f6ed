// The record list's own paths that the reader seldom takes: tallies of which only one side
// was counted (a batch whose count ran out of memory), and a line rejected into a list that
// ends in a taken, empty segment.
#include <gtest/gtest.h>

#include "parser.h"
#include "test_support.h"

namespace {

TEST(RecordList, TalliesJoinOrAreCountedAfreshAndRejectedLinesLeaveNoTrace) {
    const LineRules moscow{InputFormat::Navitel, false, {37, 56, 38, 55}};
    RecordList list, counted, uncounted, rejected;
    parse_speedcam_line(list, L"1,37.1,55.1,5,60,1,90,а", {});
    parse_speedcam_line(counted, L"1,2,3,7,0,0,0", {});
    parse_speedcam_line(uncounted, L"1,2,3,-1,0,0,0", {});
    parse_speedcam_line(rejected, L"1,10,10,1,0,0,0", moscow);
    list.type_tally(), counted.type_tally();
    ASSERT_TRUE(list.take(std::move(counted)) && list.take(std::move(uncounted)));
    EXPECT_EQ(test::tally(list),
              (std::vector<std::pair<int, std::uint64_t>>{{5, 1}, {7, 1}, {-1, 1}}));
    ASSERT_TRUE(list.take(std::move(rejected)));
    parse_speedcam_line(list, L"1,10,10,1,0,0,0", moscow);
    EXPECT_EQ(test::rows(list),
              (std::vector<std::string>{"37.1|55.1|5|60|90|а", "2|3|7|0|0|", "2|3|-1|0|0|"}));
}

}  // namespace
