// The speedcam.csv writer: lines, messages, the size cap, and failures that must leave the
// last good list in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

#include "codepage.h"
#include "export.h"
#include "parser.h"
#include "test_support.h"

// Allocations of this program fail from the n-th on while g_allocations_left is not negative,
// so that memory can run out at every step of an export.
long g_allocations_left = -1;

void* operator new(std::size_t n) {
    if (g_allocations_left == 0) throw std::bad_alloc();
    if (g_allocations_left > 0) --g_allocations_left;
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

struct Lists {
    RecordList records;
    CameraTypeList types;
    void type(int id, const wchar_t* format) { types.push_back(test::camera_type(id, format)); }
    void record(const std::string& x, const std::string& y, int type_id, int speed) {
        parse_speedcam_line(records,
                            from_utf8("1," + x + "," + y + "," + std::to_string(type_id) + "," +
                                      std::to_string(speed) + ",0,0"),
                            {});
    }
    ExportResult write(const std::wstring& path) const {
        return export_speedcam_csv(records, types, path);
    }
    std::string exported(ExportResult expected = ExportResult::Complete) const {
        return test::exported_csv(records, types, expected);
    }
};

const std::string kBanner = to_utf8(kExportBanner);

// Records of one line each, sized so that the running count (bytes plus one a line) lands
// exactly on `target` after the last one: a line "<x>,2,\"m\"\r\n" counts len(x) + 9.
Lists filled_to(std::uint64_t target) {
    Lists lists;
    lists.type(7, L"m");
    std::uint64_t running = kBanner.size() + 1;
    for (; target - running > 80; running += 31 + 9) lists.record(std::string(31, '1'), "2", 7, 0);
    const std::uint64_t first = (target - running) / 2, second = target - running - first;
    lists.record(std::string(first - 9, '3'), "2", 7, 0);
    lists.record(std::string(second - 9, '4'), "2", 7, 0);
    return lists;
}

TEST(ExportCap, ExactlyTheCapGoesOnOneByteMoreStops) {
    const Lists exact = filled_to(kExportSizeCap);
    EXPECT_EQ(exact.exported().size(), kExportSizeCap - (exact.records.size() + 1));
    Lists over = filled_to(kExportSizeCap + 1);
    const std::uint32_t crossing = over.records.size();
    over.record("9", "9", 7, 0);  // after the record that crosses the cap: left out
    const std::string cut = over.exported(ExportResult::Capped);
    EXPECT_EQ(cut.size(), kExportSizeCap + 1 - (crossing + 1));
    EXPECT_EQ(cut.find("9,9,"), std::string::npos);
    const ExportPlan plan = plan_export(over.records, over.types);
    EXPECT_EQ((std::pair{plan.objects, plan.exportable}), (std::pair{crossing, crossing + 1u}));
}

TEST(ExportFailures, UnwritableTargetsReportFailure) {
    Lists lists;
    lists.type(1, L"Камера");
    lists.record("37.5", "55.5", 1, 60);
    test::TempDir dir;
    EXPECT_EQ(lists.write(test::to_wide_path(dir.path())), ExportResult::Failed) << "a folder";
    // A folder where nobody, not even the administrator, may create files.
#ifdef _WIN32
    EXPECT_EQ(lists.write(L"Z:/proc/speedcam.csv"), ExportResult::Failed);
#else
    EXPECT_EQ(lists.write(L"/proc/speedcam.csv"), ExportResult::Failed);
    // A device is written directly, not replaced; a full one must not be reported as success.
    EXPECT_EQ(lists.write(L"/dev/full"), ExportResult::Failed);
    EXPECT_EQ(lists.write(L"/dev/null"), ExportResult::Complete);
#endif
}

// An export over a good list that fails half-way must leave that list byte for byte, with
// nothing beside it.
const std::string kOldList = kBanner + "37.5,55.5,\"old\"\r\n";

Lists cameras(int count) {
    Lists lists;
    lists.type(1, L"Камера %SPEED%");
    for (int i = 0; i < count; ++i) lists.record("37.61755", "55.75222", 1, 60);
    return lists;
}

bool only_the_old_list(const test::TempDir& dir) {
    return test::read_bytes(dir.file("speedcam.csv")) == kOldList &&
           std::distance(std::filesystem::directory_iterator(dir.path()), {}) == 1;
}

// Memory running out at every step of the export in turn.
TEST(ExportFailures, MemoryRunningOutKeepsTheOldFile) {
    const test::TempDir dir;
    const Lists lists = cameras(3000);
    const std::wstring path = dir.file("speedcam.csv");
    test::write_bytes(path, kOldList);
    long failing_at = 0;
    for (ExportResult result = ExportResult::Failed; result == ExportResult::Failed; ++failing_at) {
        ASSERT_LT(failing_at, 1000) << "with enough memory it is written";
        g_allocations_left = failing_at;
        result = lists.write(path);
        g_allocations_left = -1;
        ASSERT_TRUE(result == ExportResult::Complete ||
                    (result == ExportResult::Failed && only_the_old_list(dir)))
            << "allocation " << failing_at;
    }
    EXPECT_GT(failing_at, 1);
    EXPECT_FALSE(only_the_old_list(dir));
}

#ifndef _WIN32
// A stick that fills up half-way.
TEST(ExportFailures, FullDiskKeepsTheOldFile) {
    const test::TempDir dir;
    const std::string where = dir.path().string();
    if (geteuid() != 0 || mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    test::write_bytes(dir.file("speedcam.csv"), kOldList);
    EXPECT_EQ(cameras(5000).write(dir.file("speedcam.csv")), ExportResult::Failed);
    EXPECT_TRUE(only_the_old_list(dir));
    umount(where.c_str());
}
#endif

}  // namespace
