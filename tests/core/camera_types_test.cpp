// The camera-type table in Config.txt: defaults, limits, key order and what a save keeps.
#include <gtest/gtest.h>

#include <cwchar>

#include "camera_types.h"
#include "codepage.h"
#include "profile.h"
#include "test_support.h"

namespace {

// Config files are written as UTF-8 with a mark, which both builds read as Unicode.
void write_config(const std::wstring& path, std::string_view text) {
    test::write_bytes(path, "\xef\xbb\xbf" + std::string(text));
}

AppState load(const std::wstring& path, InputFormat format = InputFormat::Navitel) {
    AppState state;
    EXPECT_TRUE(load_camera_types(state, path, format));
    return state;
}

// The text of a profile file, whatever encoding it was written in.
std::wstring file_text(const std::wstring& path) {
    const std::string bytes = test::read_bytes(path);
    std::wstring text;
    if (bytes.starts_with("\xff\xfe"))
        decode_text(bytes.substr(2), TextEncoding::Utf16, text);
    else if (bytes.starts_with("\xef\xbb\xbf"))
        decode_text(bytes.substr(3), TextEncoding::Utf8, text);
    else
        decode_text(bytes, TextEncoding::Utf8, text);
    return text;
}

CameraType make_type(int id, const wchar_t* desc, const wchar_t* format, std::uint8_t enabled) {
    CameraType type{};
    type.id = id;
    std::wcsncpy(type.description, desc, 126);
    std::wcsncpy(type.message_format, format, 126);
    type.export_enabled = enabled;
    return type;
}

TEST(TypeTableLoad, EmptyTablesForMissingOrDamagedCounts) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    EXPECT_EQ(load(path).types.size(), 0u) << "no file";
    for (const char* text : {"[IGO]\r\nCount=3\r\n", "[Navitel]\r\nCount=0\r\nID0=1\r\n",
                             "[Navitel]\r\nCount=-1\r\nID0=1\r\n", "[Navitel]\r\nID0=1\r\n"}) {
        write_config(path, text);
        EXPECT_EQ(load(path).types.size(), 0u) << text;
    }
    write_config(path, "[Navitel]\r\nCount=1\r\n");
    AppState state = load(path);
    ASSERT_EQ(state.types.size(), 1u);
    EXPECT_TRUE(load_camera_types(state, path, static_cast<InputFormat>(2)));
    EXPECT_EQ(state.types.size(), 0u) << "an unknown format empties the table";
}

TEST(TypeTableLoad, MissingKeysTakeDefaultsAndValuesAreCut) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const std::string long_desc(200, 'd');
    write_config(path,
                 "[Navitel]\r\nCount=4\r\nID0=5\r\nEnable1=0\r\nEnable2=256\r\nID3=-7\r\n"
                 "Desc3=" +
                     long_desc + "\r\nFmt3=Камера %SPEED%\r\nEnable3=3\r\n");
    const AppState state = load(path);
    ASSERT_EQ(state.types.size(), 4u);
    EXPECT_EQ(state.types[0].id, 5);
    EXPECT_EQ(state.types[0].export_enabled, 1) << "a missing Enable exports";
    EXPECT_STREQ(state.types[0].description, L"");
    EXPECT_EQ(state.types[1].id, 0);
    EXPECT_EQ(state.types[1].export_enabled, 0);
    EXPECT_EQ(state.types[2].export_enabled, 0) << "256 keeps the low byte";
    EXPECT_EQ(state.types[3].id, -7);
    EXPECT_EQ(std::wstring(state.types[3].description), std::wstring(126, L'd'));
    EXPECT_STREQ(state.types[3].message_format, L"Камера %SPEED%");
    EXPECT_EQ(state.types[3].export_enabled, 3);
}

TEST(TypeTableLoad, HugeCountIsClamped) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    write_config(path, "[Navitel]\r\nCount=2147483647\r\nID0=1\r\nID1=2\r\n");
    const AppState state = load(path);
    ASSERT_EQ(state.types.size(), static_cast<std::uint32_t>(kMaxCameraTypes));
    EXPECT_EQ(state.types[1].id, 2);
    EXPECT_EQ(state.types[kMaxCameraTypes - 1].id, 0);
}

TEST(TypeTableSave, KeysInOrderAndOtherSectionUntouched) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    std::string old_navitel = "[Navitel]\r\n";
    for (int i = 0; i < 10; ++i)
        old_navitel += "ID" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    old_navitel += "Count=10\r\n";
    const std::string igo =
        "[IGO]\r\nID0=192\r\nEnable0=1\r\nDesc0=Камера\r\nFmt0=К %SPEED%\r\nCount=1\r\n";
    write_config(path, old_navitel + igo);

    AppState state;
    ASSERT_TRUE(
        append_camera_type(state, make_type(-5, L"Камера", L"Скорость %SPEED% \"км/ч\"", 1)));
    ASSERT_TRUE(append_camera_type(state, make_type(101, L"", L"", 0)));
    ASSERT_TRUE(save_camera_types(state, path, InputFormat::Navitel));

    const std::wstring text = file_text(path);
    EXPECT_NE(text.find(L"[Navitel]\r\nID0=-5\r\nEnable0=1\r\nDesc0=Камера\r\n"
                        L"Fmt0=Скорость %SPEED% \"км/ч\"\r\nID1=101\r\nEnable1=0\r\nDesc1=\r\n"
                        L"Fmt1=\r\nCount=2\r\n"),
              std::wstring::npos)
        << to_utf8(text);
    EXPECT_NE(text.find(from_utf8(igo)), std::wstring::npos) << "the IGO section is as it was";

    const AppState again = load(path);
    ASSERT_EQ(again.types.size(), 2u);
    EXPECT_STREQ(again.types[0].message_format, L"Скорость %SPEED% \"км/ч\"");
    EXPECT_EQ(ProfileReader(path).get_int(L"Navitel", L"ID5", 77), 77) << "old entries are gone";

    clear_camera_types(state);
    ASSERT_TRUE(save_camera_types(state, path, InputFormat::Navitel));
    EXPECT_NE(file_text(path).find(L"[Navitel]\r\nCount=0\r\n"), std::wstring::npos);
}

TEST(TypeTableSave, NewFileKeepsCyrillicOnAnyCodePage) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    AppState state;
    ASSERT_TRUE(append_camera_type(
        state, make_type(1, L"Стационарная камера «Стрелка»", L"Камера %SPEED% км/ч — ёЁ", 1)));
    ASSERT_TRUE(save_camera_types(state, path, InputFormat::Igo));
    EXPECT_TRUE(test::read_bytes(path).starts_with("\xff\xfe")) << "a new file is UTF-16LE";
    const AppState again = load(path, InputFormat::Igo);
    ASSERT_EQ(again.types.size(), 1u);
    EXPECT_STREQ(again.types[0].description, L"Стационарная камера «Стрелка»");
    EXPECT_STREQ(again.types[0].message_format, L"Камера %SPEED% км/ч — ёЁ");
}

TEST(TypeTableSave, BlanksAndQuotesAroundTextsSurvive) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const wchar_t* texts[] = {L" Камера %SPEED% ", L"\"Засада\"", L"'a'", L"\"", L"\"x", L"\t",
                              L"a\"b\"c"};
    AppState state;
    for (const wchar_t* text : texts)
        ASSERT_TRUE(append_camera_type(state, make_type(1, text, text, 1)));
    ASSERT_TRUE(save_camera_types(state, path, InputFormat::Navitel));
    const AppState again = load(path);
    ASSERT_EQ(again.types.size(), std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        EXPECT_STREQ(again.types[i].description, texts[i]);
        EXPECT_STREQ(again.types[i].message_format, texts[i]);
    }
}

TEST(TypeTableSave, DialectSwitchesKeepEachSectionsEdits) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    test::write_bytes(path, test::read_bytes(test::data_path("golden_config.txt")));
    AppState state = load(path, InputFormat::Navitel);
    state.types[0].export_enabled = 0;
    std::wcscpy(state.types[0].message_format, L"Изменено %SPEED%");
    // Navitel -> IGO -> Navitel, as two file opens do it.
    save_camera_types(state, path, InputFormat::Navitel);
    load_camera_types(state, path, InputFormat::Igo);
    ASSERT_EQ(state.types.size(), 5u);
    EXPECT_EQ(state.types[0].id, 192);
    save_camera_types(state, path, InputFormat::Igo);
    load_camera_types(state, path, InputFormat::Navitel);
    ASSERT_EQ(state.types.size(), 5u);
    EXPECT_EQ(state.types[0].export_enabled, 0);
    EXPECT_STREQ(state.types[0].message_format, L"Изменено %SPEED%");
}

TEST(TypeTablePaths, EmptyPathTouchesNoFile) {
    AppState state;
    ASSERT_TRUE(append_camera_type(state, make_type(1, L"a", L"b", 1)));
    EXPECT_TRUE(load_camera_types(state, L"", InputFormat::Navitel));
    EXPECT_EQ(state.types.size(), 0u);
    ASSERT_TRUE(append_camera_type(state, make_type(1, L"a", L"b", 1)));
    EXPECT_TRUE(save_camera_types(state, L"", InputFormat::Navitel));
}

TEST(TypeTableShipped, DefaultConfigHasBothDialects) {
    const std::wstring path = from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt");
    EXPECT_TRUE(test::read_bytes(path).starts_with("\xff\xfe"));
    const AppState navitel = load(path, InputFormat::Navitel);
    ASSERT_EQ(navitel.types.size(), 12u);
    EXPECT_EQ(navitel.types[0].id, 1);
    EXPECT_EQ(navitel.types[0].export_enabled, 1);
    EXPECT_NE(std::wstring(navitel.types[0].message_format).find(L"%SPEED%"), std::wstring::npos);
    const AppState igo = load(path, InputFormat::Igo);
    EXPECT_EQ(igo.types.size(), 34u);
    for (std::uint32_t i = 0; i < navitel.types.size(); ++i) {
        if (navitel.types[i].id >= 100) {
            EXPECT_EQ(navitel.types[i].export_enabled, 0) << "hazards are off by default";
        }
    }
}

}  // namespace
