// The record list: batches that join it keep their records, comments and type counts.
#include <gtest/gtest.h>

#include "parser.h"

namespace {

TEST(RecordList, TakenBatchesKeepOrderCommentsAndTally) {
    RecordList list, batch;
    const LineRules rules;
    for (int i = 0; i < 100; ++i) parse_speedcam_line(list, L"1,37.1,55.1,5,60,1,90,а", rules);
    const wchar_t* first_comment = list[0].comment;
    list.type_tally();  // counted before the batch joins
    for (int i = 0; i < 70000; ++i) {
        const std::wstring type = std::to_wstring(i % 3 == 0 ? 7 : -1);
        parse_speedcam_line(batch, L"1,2,3," + type + L",0,0,0,камера " + std::to_wstring(i),
                            rules);
    }
    batch.type_tally();
    ASSERT_TRUE(list.take(std::move(batch)));
    EXPECT_EQ(batch.size(), 0u);
    ASSERT_EQ(list.size(), 70100u);
    EXPECT_EQ(list[0].comment, first_comment) << "comments never move";
    EXPECT_STREQ(list[70099].comment, L"камера 69999");
    EXPECT_EQ(list[100].type_id, 7);
    const auto& counts = list.type_tally().counts();
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ((std::array{counts[0].id, counts[1].id, counts[2].id}), (std::array{5, 7, -1}));
    EXPECT_EQ((std::array{counts[0].records, counts[1].records, counts[2].records}),
              (std::array<std::uint64_t, 3>{100, 23334, 46666}));
    // A rejected line leaves no trace, also right after a batch joined.
    RecordList area;
    parse_speedcam_line(area, L"1,10,10,1,0,0,0", {InputFormat::Navitel, false, {37, 56, 38, 55}});
    ASSERT_TRUE(list.take(std::move(area)));
    EXPECT_EQ(list.size(), 70100u);
    EXPECT_EQ(list.type_tally().counts().size(), 3u);
}

}  // namespace
