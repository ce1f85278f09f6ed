// Files from the internet: a clear result, never a crash, a hang or half a result.
#include <gtest/gtest.h>

#include "codepage.h"
#include "file_io.h"
#include "reader.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

RecordList read_file(const std::wstring& path) {
    RecordList records;
    EXPECT_TRUE(read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel));
    return records;
}

TEST(HostileSpeedcam, HugeFilesStreamThrough) {
    test::TempDir dir;
    const std::wstring path = dir.file("big.txt");
    {
        // 200 MB: a valid object every thousandth line, junk in between.
        UniqueFile file = open_file(path, "wb");
        ASSERT_TRUE(file);
        std::string chunk = "1,37.5,55.5,1,60,1,90,ok" + std::string(25, ' ') + "\n";
        for (int i = 1; i < 1000; ++i) chunk += std::string(49, 'x') + "\n";
        for (int i = 0; i < 4000; ++i) std::fwrite(chunk.data(), 1, chunk.size(), file.get());
    }
    EXPECT_EQ(read_file(path).size(), 4000u);
}

#ifdef _WIN32
TEST(HostileSpeedcam, FileLockedByAnotherProgram) {
    test::TempDir dir;
    const std::wstring path = dir.file("speedcam.txt");
    test::write_bytes(path, "1,37.5,55.5,1,60,1,90\n");
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    RecordList records;
    EXPECT_FALSE(read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel));
    CloseHandle(lock);
    EXPECT_EQ(read_file(path).size(), 1u);
}
#endif

}  // namespace
