// Files from the internet and damaged settings: a clear result, never a crash, a hang or
// half a result.
#include <gtest/gtest.h>

#include <random>

#include "camera_types.h"
#include "codepage.h"
#include "file_io.h"
#include "profile.h"
#include "reader.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

AppState read_file(const std::wstring& path, TextEncoding encoding = TextEncoding::Utf8) {
    AppState state;
    EXPECT_TRUE(read_speedcam_file(state, path, encoding, InputFormat::Navitel));
    return state;
}

TEST(HostileSpeedcam, HugeFilesAndLinesStreamThrough) {
    test::TempDir dir;
    const std::wstring path = dir.file("big.txt");
    {
        // 200 MB: a valid object every thousandth line, junk in between.
        UniqueFile file = open_file(path, "wb");
        ASSERT_TRUE(file);
        const std::string junk(49, 'x');
        std::string chunk;
        for (int i = 0; i < 1000; ++i)
            chunk += (i == 0 ? "1,37.5,55.5,1,60,1,90,ok" + std::string(25, ' ') : junk) + "\n";
        for (int i = 0; i < 4000; ++i) std::fwrite(chunk.data(), 1, chunk.size(), file.get());
    }
    EXPECT_EQ(read_file(path).records.size(), 4000u);

    // One line of 50 MB without a line end: an object whose comment is cut, or nothing.
    test::write_bytes(path, "1,2,3,4,5,6,7," + std::string(50 << 20, 'c'));
    const AppState long_comment = read_file(path);
    ASSERT_EQ(long_comment.records.size(), 1u);
    EXPECT_EQ(std::wstring(long_comment.records[0].comment), std::wstring(127, L'c'));
    test::write_bytes(path, std::string(50 << 20, '7'));
    EXPECT_EQ(read_file(path).records.size(), 0u);
}

TEST(HostileSpeedcam, ZeroBytesAndBrokenText) {
    const std::string text = std::string("1,37.5,55.5,1,60,1,90\0after,the,zero\n", 38) +
                             std::string("1,37\0.5,55.5,1,60,1,90\n", 23) +
                             "1,37.5,55.5,2,60,1,90,bad \xff\xfe\xc3 bytes\n";
    const AppState state = test::read_text(text, TextEncoding::Utf8, InputFormat::Navitel);
    ASSERT_EQ(state.records.size(), 2u) << "a zero ends the line it is in";
    EXPECT_STREQ(state.records[0].comment, L"");
    const std::wstring comment = state.records[1].comment;
    EXPECT_TRUE(comment.starts_with(L"bad \uFFFD") && comment.ends_with(L" bytes"))
        << to_utf8(comment);

    // Random bytes in every encoding: no objects out of nothing, and no crash.
    std::mt19937 random(12345);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Ansi, TextEncoding::Utf16})
        EXPECT_LT(test::read_text(noise, e, InputFormat::Igo).records.size(), 10u);
}

#ifdef _WIN32
TEST(HostileSpeedcam, FileLockedByAnotherProgram) {
    test::TempDir dir;
    const std::wstring path = dir.file("speedcam.txt");
    test::write_bytes(path, "1,37.5,55.5,1,60,1,90\n");
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    AppState state;
    EXPECT_FALSE(read_speedcam_file(state, path, TextEncoding::Utf8, InputFormat::Navitel));
    EXPECT_EQ(state.records.size(), 0u);
    CloseHandle(lock);
    EXPECT_TRUE(read_speedcam_file(state, path, TextEncoding::Utf8, InputFormat::Navitel));
}
#endif

AppState load_config(std::string_view bytes, InputFormat format = InputFormat::Navitel) {
    test::TempDir dir;
    test::write_bytes(dir.file("Config.txt"), bytes);
    AppState state;
    EXPECT_TRUE(load_camera_types(state, dir.file("Config.txt"), format));
    return state;
}

TEST(HostileConfig, DamagedTablesLoadSensibly) {
    // A key name of 10,000 characters matches nothing; a value that long is cut.
    const AppState long_key = load_config("[Navitel]\r\nCount=1\r\nID0" + std::string(10000, 'x') +
                                          "=5\r\nDesc0=" + std::string(10000, 'd') + "\r\n");
    ASSERT_EQ(long_key.types.size(), 1u);
    EXPECT_EQ(long_key.types[0].id, 0);
    EXPECT_EQ(std::wstring(long_key.types[0].description), std::wstring(126, L'd'));

    // A repeated section: only the first counts.
    const AppState repeated =
        load_config("[Navitel]\r\nCount=1\r\nID0=1\r\n[Navitel]\r\nID0=2\r\nDesc0=second\r\n");
    ASSERT_EQ(repeated.types.size(), 1u);
    EXPECT_EQ(repeated.types[0].id, 1);
    EXPECT_STREQ(repeated.types[0].description, L"");

    // Lines that end in a lone CR.
    const AppState cr_only = load_config("[Navitel]\rCount=1\rID0=7\r");
    ASSERT_EQ(cr_only.types.size(), 1u);
    EXPECT_EQ(cr_only.types[0].id, 7);

    EXPECT_EQ(load_config("[Navitel]\r\nCount=-2147483648\r\n").types.size(), 0u);

    // A binary file.
    std::mt19937 random(99);
    std::string noise(1 << 16, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    EXPECT_LE(load_config(noise).types.size(), static_cast<std::uint32_t>(kMaxCameraTypes));
}

// Saving one dialect keeps every other section: comments, values and their order.
TEST(NothingLost, SavingOneSectionKeepsTheRest) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const std::string other = "; Orvane\r\n[Other]\r\na=1\r\n; note\r\nb=\"q\"\r\n";
    const std::string igo =
        "[IGO]\r\nID0=192\r\nEnable0=1\r\nDesc0=Камера\r\nFmt0=%SPEED%\r\nCount=1\r\n";
    const std::string tail = "[Tail]\r\nx=y\r\n";
    test::write_bytes(path,
                      "\xef\xbb\xbf" + other + igo + "[Navitel]\r\nCount=5\r\nID0=1\r\n" + tail);
    AppState state;
    CameraType type{};
    type.id = 3;
    append_camera_type(state, type);
    save_camera_types(state, path, InputFormat::Navitel);
    const std::string after = test::read_bytes(path);
    for (const std::string& part : {other, igo, tail})
        EXPECT_NE(after.find(part), std::string::npos) << part << "\nnot in\n" << after;
    EXPECT_NE(after.find("[Navitel]\r\nID0=3\r\nEnable0=0\r\nDesc0=\r\nFmt0=\r\nCount=1\r\n"),
              std::string::npos);
}

}  // namespace
