// The record list: batches that join it keep their records, comments and type counts.
#include <gtest/gtest.h>

#include "parser.h"
#include "test_support.h"

namespace {

TEST(RecordList, TakenBatchesKeepOrderCommentsAndTally) {
    RecordList list, batch;
    for (int i = 0; i < 100; ++i) parse_speedcam_line(list, L"1,37.1,55.1,5,60,1,90,а", {});
    const wchar_t* first_comment = list[0].comment;
    list.type_tally();  // counted before the batch joins
    for (int i = 0; i < 70000; ++i)
        parse_speedcam_line(batch,
                            L"1,2,3," + std::to_wstring(i % 3 == 0 ? 7 : -1) + L",0,0,0,камера " +
                                std::to_wstring(i),
                            {});
    batch.type_tally();
    ASSERT_TRUE(list.take(std::move(batch)));
    EXPECT_EQ(batch.size(), 0u);
    ASSERT_EQ(list.size(), 70100u);
    EXPECT_EQ(list[0].comment, first_comment) << "comments never move";
    EXPECT_EQ(test::row(list[70099]), "2|3|7|0|0|камера 69999");
    EXPECT_EQ(test::tally(list),
              (std::vector<std::pair<int, std::uint64_t>>{{5, 100}, {7, 23334}, {-1, 46666}}));
    // A rejected line leaves no trace, also right after a batch joined.
    RecordList area;
    parse_speedcam_line(area, L"1,10,10,1,0,0,0", {InputFormat::Navitel, false, {37, 56, 38, 55}});
    ASSERT_TRUE(list.take(std::move(area)));
    EXPECT_EQ(list.size(), 70100u);
    EXPECT_EQ(test::tally(list).size(), 3u);
}

}  // namespace
