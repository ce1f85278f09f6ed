// The record and type lists: ownership, order and stable addresses.
#include <gtest/gtest.h>

#include "app_state.h"
#include "parser.h"

namespace {

CameraType make_type(int id) {
    CameraType type{};
    type.id = id;
    type.export_enabled = 1;
    return type;
}

TEST(Lists, ClearAppendAndKeepOrder) {
    AppState state;
    clear_records(state);
    clear_camera_types(state);
    EXPECT_EQ(state.records.size(), 0u);

    SpeedcamRecord record{};
    for (int i = 0; i < 3; ++i) {
        record.type_id = i;
        ASSERT_TRUE(append_record(state, record));
    }
    ASSERT_EQ(state.records.size(), 3u);
    EXPECT_EQ(state.records[2].type_id, 2);
    clear_records(state);
    EXPECT_EQ(state.records.size(), 0u);

    // Repeated IDs are both kept, in index order.
    ASSERT_TRUE(append_camera_type(state, make_type(5)));
    ASSERT_TRUE(append_camera_type(state, make_type(5)));
    ASSERT_TRUE(append_camera_type(state, make_type(-7)));
    ASSERT_EQ(state.types.size(), 3u);
    EXPECT_EQ(state.types[1].id, 5);
    EXPECT_EQ(state.types[2].id, -7);
}

TEST(Lists, EntriesNeverMoveWhileTheListGrows) {
    // List rows point at entries, so growth must not relocate them.
    AppState state;
    parse_speedcam_line(state, L"1,37.1,55.1,1,60,1,90", InputFormat::Navitel);
    const SpeedcamRecord* first = &state.records[0];
    for (int i = 0; i < 20000; ++i)
        parse_speedcam_line(state, L"1,37.1,55.1,5,60,1,90", InputFormat::Navitel);
    EXPECT_EQ(&state.records[0], first);
    EXPECT_EQ(state.records.size(), 20001u);
    EXPECT_EQ(state.records[0].type_id, 1);
}

TEST(Lists, RecordsWithoutATypeStay) {
    AppState state;
    ASSERT_TRUE(append_camera_type(state, make_type(1)));
    parse_speedcam_line(state, L"1,37.1,55.1,999,60,1,90", InputFormat::Navitel);
    EXPECT_EQ(state.records.size(), 1u);
}

}  // namespace
