// The speedcam.csv writer: lines, messages, the size cap, and failures that must leave the
// last good list in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <new>

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "codepage.h"
#include "export.h"
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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Lists {
    RecordList records;
    CameraTypeList types;
    void type(int id, const wchar_t* format, bool enabled = true) {
        CameraType type{};
        type.id = id;
        std::wcsncpy(type.message_format, format, 126);
        type.export_enabled = enabled;
        types.push_back(type);
    }
    void record(const char* x, const char* y, int type_id, int speed) {
        SpeedcamRecord record{};
        std::strncpy(record.x_text, x, 31);
        std::strncpy(record.y_text, y, 31);
        record.type_id = type_id;
        record.speed_limit = speed;
        ASSERT_TRUE(append_record(records, record));
    }
    std::string exported(ExportResult expected = ExportResult::Complete) const {
        test::TempDir dir;
        EXPECT_EQ(export_speedcam_csv(records, types, dir.file("speedcam.csv")), expected);
        return test::read_bytes(dir.file("speedcam.csv"));
    }
};

const std::string kBanner = to_utf8(kExportBanner);

TEST(ExportLines, MessagesAreBuiltAsWritten) {
    Lists lists;
    EXPECT_EQ(lists.exported(), kBanner) << "no records: the banner alone";
    lists.type(1, L"%SPEED% и %SPEED%");
    lists.type(2, L"Камера \"%SPEED%\", км/ч");
    lists.type(3, L"");
    lists.type(4, L"%SPEED%");
    lists.type(5, L"Без скорости");
    lists.type(1, L"Вторая строка %SPEED%");
    lists.type(6, L"Выключено", false);
    lists.record("37.61755", "55.75222", 1, 0);
    lists.record("-2.04503", "52.62682", 2, -20);
    lists.record("1-2", "", 3, 60);
    lists.record("1", "2", 4, 2147483647);
    lists.record("1", "2", 5, 60);
    lists.record("1", "2", 6, 60);  // a disabled type
    lists.record("1", "2", 7, 60);  // a type without an entry
    EXPECT_EQ(lists.exported(), kBanner +
                                    "37.61755,55.75222,\"0 и %SPEED%\"\r\n"
                                    "37.61755,55.75222,\"Вторая строка 0\"\r\n"
                                    "-2.04503,52.62682,\"Камера \"-20\", км/ч\"\r\n"
                                    "1-2,,\"\"\r\n"
                                    "1,2,\"2147483647\"\r\n"
                                    "1,2,\"Без скорости\"\r\n");
}

// Records of one line each, sized so that the running count (bytes plus one a line) lands
// exactly on `target` after the last one.
void fill_to(Lists& lists, std::uint64_t target) {
    std::uint64_t running = kBanner.size() + 1;  // a line "<x>,2,\"m\"\r\n" counts len(x) + 9
    for (; target - running > 80; running += 31 + 9) lists.record(std::string(31, '1').c_str(), "2", 7, 0);
    const std::uint64_t first = (target - running) / 2, second = target - running - first;
    lists.record(std::string(first - 9, '3').c_str(), "2", 7, 0);
    lists.record(std::string(second - 9, '4').c_str(), "2", 7, 0);
}

TEST(ExportCap, ExactlyTheCapGoesOnOneByteMoreStops) {
    Lists exact;
    exact.type(7, L"m");
    fill_to(exact, kExportSizeCap);
    EXPECT_EQ(exact.exported().size(), kExportSizeCap - (exact.records.size() + 1));
    Lists over;
    over.type(7, L"m");
    fill_to(over, kExportSizeCap + 1);
    const std::size_t crossing = over.records.size();
    over.record("9", "9", 7, 0);  // after the record that crosses the cap: left out
    const std::string cut = over.exported(ExportResult::Capped);
    EXPECT_EQ(cut.size(), kExportSizeCap + 1 - (crossing + 1));
    EXPECT_EQ(cut.find("9,9,"), std::string::npos);
}

TEST(ExportFailures, UnwritableTargetsReportFailure) {
    Lists lists;
    lists.type(1, L"Камера");
    lists.record("37.5", "55.5", 1, 60);
    test::TempDir dir;
    const auto result = [&](const std::wstring& path) {
        return export_speedcam_csv(lists.records, lists.types, path);
    };
    EXPECT_EQ(result(dir.file("no_such_folder/speedcam.csv")), ExportResult::Failed);
    EXPECT_EQ(result(test::to_wide_path(dir.path())), ExportResult::Failed) << "a folder";
    // A folder where nobody, not even the administrator, may create files.
#ifdef _WIN32
    EXPECT_EQ(result(L"Z:/proc/speedcam.csv"), ExportResult::Failed);
#else
    EXPECT_EQ(result(L"/proc/speedcam.csv"), ExportResult::Failed);
    // A device is written directly, not replaced; a full one must not be reported as success.
    EXPECT_EQ(result(L"/dev/full"), ExportResult::Failed);
    struct stat info {};
    EXPECT_TRUE(stat("/dev/full", &info) == 0 && S_ISCHR(info.st_mode));
    EXPECT_EQ(result(L"/dev/null"), ExportResult::Complete);
#endif
}

// Memory running out anywhere in the export: failure, and the old list stays as it was with
// nothing beside it.
TEST(ExportFailures, MemoryRunningOutKeepsTheOldFile) {
    test::TempDir dir;
    Lists lists;
    lists.type(1, L"Камера %SPEED%");
    for (int i = 0; i < 3000; ++i) lists.record("37.61755", "55.75222", 1, 60);
    const std::wstring path = dir.file("speedcam.csv");
    const std::string good = kBanner + "37.5,55.5,\"old\"\r\n";
    test::write_bytes(path, good);
    ExportResult result = ExportResult::Failed;
    long failing_at = 0;
    for (; result == ExportResult::Failed && failing_at < 1000; ++failing_at) {
        g_allocations_left = failing_at;
        result = export_speedcam_csv(lists.records, lists.types, path);
        g_allocations_left = -1;
        if (result != ExportResult::Failed) break;
        ASSERT_EQ(test::read_bytes(path), good) << "allocation " << failing_at;
        ASSERT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
            << "allocation " << failing_at;
    }
    EXPECT_EQ(result, ExportResult::Complete) << "with enough memory it is written";
    EXPECT_GT(failing_at, 0);
    EXPECT_NE(test::read_bytes(path), good);
}

#ifndef _WIN32
// A stick that fills up half-way: failure, the last good list stays byte for byte, and no
// part of the new one is left beside it.
TEST(ExportFailures, FullDiskKeepsTheOldFile) {
    test::TempDir dir;
    const std::string mount_point = dir.path().string();
    if (geteuid() != 0 || mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    Lists lists;
    lists.type(1, L"Камера %SPEED%");
    for (int i = 0; i < 5000; ++i) lists.record("37.61755", "55.75222", 1, 60);
    const std::wstring path = dir.file("speedcam.csv");
    const std::string good = kBanner + "37.5,55.5,\"old\"\r\n";
    test::write_bytes(path, good);
    EXPECT_EQ(export_speedcam_csv(lists.records, lists.types, path), ExportResult::Failed);
    EXPECT_EQ(test::read_bytes(path), good);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    umount(mount_point.c_str());
}
#endif

}  // namespace
