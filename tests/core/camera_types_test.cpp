// The camera-type table in Config.txt: reading by the rules of the profile functions,
// defaults and limits, what a save writes and what it keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <random>

#include "camera_types.h"
#include "codepage.h"
#include "profile.h"
#include "test_support.h"

namespace {

std::string utf16le(std::wstring_view text, bool mark = true) {
    std::string bytes = mark ? "\xff\xfe" : "";
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// The table of one dialect read from a file of these bytes.
CameraTypeList load_bytes(std::string_view bytes, InputFormat format = InputFormat::Navitel) {
    test::TempDir dir;
    test::write_bytes(dir.file("Config.txt"), bytes);
    CameraTypeList types;
    load_camera_types(types, dir.file("Config.txt"), format);
    return types;
}

// UTF-8 with a mark, which both builds read as Unicode.
CameraTypeList load(std::string_view text, InputFormat format = InputFormat::Navitel) {
    return load_bytes("\xef\xbb\xbf" + std::string(text), format);
}

// The text of a profile file, whatever encoding it was written in.
std::wstring file_text(const std::wstring& path) {
    const std::string bytes = test::read_bytes(path);
    std::wstring text;
    if (bytes.starts_with("\xff\xfe"))
        decode_text(bytes.substr(2), TextEncoding::Utf16, text);
    else
        decode_text(bytes.starts_with("\xef\xbb\xbf") ? bytes.substr(3) : bytes,
                    TextEncoding::Utf8, text);
    return text;
}

CameraType make_type(int id, const wchar_t* text, std::uint8_t enabled = 1) {
    CameraType type{};
    type.id = id;
    std::wcsncpy(type.description, text, 126);
    std::wcsncpy(type.message_format, text, 126);
    type.export_enabled = enabled;
    return type;
}

TEST(ProfileRead, SameKeysFromEveryEncodingAsWindowsGivesThem) {
    const std::wstring body =
        L"; comment\r\n[Navitel]\r\n  Desc0 =  Камера у «школы»  \r\nID0=12\r\nq=\"quoted\"\r\n"
        L"empty=\r\nneg=-1\r\nhex=0x10\r\ntail=12abc\r\nword=abc\r\nlong=abcdefghij\r\n";
    std::string be = "\xfe\xff";
    for (wchar_t c : body) be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    std::vector<std::string> files = {utf16le(body), be, "\xef\xbb\xbf" + to_utf8(body)};
    std::string ansi;
    if (test::ansi_is_cp1251() && encode_ansi(body, ansi)) files.push_back(ansi);
    test::TempDir dir;
    for (const std::string& bytes : files) {
        test::write_bytes(dir.file("Config.txt"), bytes);
        const ProfileReader r(dir.file("Config.txt"));
        EXPECT_EQ(r.get_string(L"Navitel", L"Desc0", L"", 127), L"Камера у «школы»");
        EXPECT_EQ(r.get_int(L"navitel", L"id0", 0), 12) << "names ignore case";
        EXPECT_EQ(r.get_string(L"Navitel", L"q", L"", 127), L"quoted");
        EXPECT_EQ(r.get_string(L"Navitel", L"missing", L"dflt", 127), L"dflt");
        EXPECT_EQ(r.get_string(L"Other", L"q", L"dflt", 127), L"dflt");
        EXPECT_EQ(r.get_string(L"Navitel", L"long", L"", 5), L"abcd");
        const std::pair<const wchar_t*, int> ints[] = {{L"empty", 7}, {L"missing", 7}, {L"neg", -1},
                                                       {L"hex", 16},  {L"tail", 12},   {L"word", 0}};
        for (const auto& [key, value] : ints) EXPECT_EQ(r.get_int(L"Navitel", key, 7), value);
    }
}

TEST(TypeTableLoad, DefaultsLimitsAndDamagedCounts) {
    for (const char* text : {"[IGO]\r\nCount=3\r\n", "[Navitel]\r\nCount=0\r\nID0=1\r\n",
                             "[Navitel]\r\nCount=-2147483648\r\nID0=1\r\n", "[Navitel]\r\nID0=1\r\n",
                             "[Navitel]\r\nCount=65536\r\n"})
        EXPECT_EQ(load(text).size(), 0u) << text;
    // An entry without any key keeps its place before a keyed one; after the last keyed
    // entry such entries are only what a damaged Count claims.
    const CameraTypeList types =
        load("[Navitel]\r\nCount=2147483647\r\nID0=5\r\nEnable2=0\r\nEnable3=256\r\nID4=-7\r\n"
             "Desc4=" + std::string(200, 'd') + "\r\nFmt4=Камера %SPEED%\r\nEnable4=3\r\n");
    ASSERT_EQ(types.size(), 5u);
    EXPECT_EQ((std::array{types[0].id, types[1].id, types[4].id}), (std::array{5, 0, -7}));
    EXPECT_EQ((std::array{types[0].export_enabled, types[1].export_enabled, types[2].export_enabled,
                          types[3].export_enabled, types[4].export_enabled}),
              (std::array<std::uint8_t, 5>{1, 1, 0, 0, 3}))
        << "a missing Enable exports; 256 keeps the low byte";
    EXPECT_EQ(std::wstring(types[4].description), std::wstring(126, L'd'));
    EXPECT_STREQ(types[4].message_format, L"Камера %SPEED%");
    // Keys at or beyond the 65,536th entry are never read.
    EXPECT_EQ(load("[Navitel]\r\nCount=99999\r\nID65535=1\r\nID65536=2\r\n").size(), 65536u);
    EXPECT_EQ(load(std::string("[Navitel]\r\nCount=1\r\nID0=1\r\n"), static_cast<InputFormat>(2))
                  .size(),
              0u);
}

TEST(TypeTableLoad, DamagedFilesLoadSensibly) {
    const CameraTypeList long_key = load("[Navitel]\r\nCount=1\r\nID0" + std::string(10000, 'x') +
                                         "=5\r\nDesc0=" + std::string(10000, 'd') + "\r\n");
    ASSERT_EQ(long_key.size(), 1u);
    EXPECT_EQ(long_key[0].id, 0);
    const CameraTypeList repeated =
        load("[Navitel]\r\nCount=1\r\nID0=1\r\n[Navitel]\r\nID0=2\r\nDesc0=second\r\n");
    ASSERT_EQ(repeated.size(), 1u);
    EXPECT_EQ(repeated[0].id, 1) << "only the first section of a name counts";
    EXPECT_STREQ(repeated[0].description, L"");
    const CameraTypeList cr_only = load("[Navitel]\rCount=1\rID0=7\r");
    ASSERT_EQ(cr_only.size(), 1u);
    EXPECT_EQ(cr_only[0].id, 7);
    std::mt19937 random(99);
    std::string noise(1 << 16, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    EXPECT_LE(load_bytes(noise).size(), static_cast<std::size_t>(kMaxCameraTypes));
}

// Saving one dialect writes its keys in order and keeps every other line as it was.
TEST(TypeTableSave, KeysInOrderEverythingElseKept) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const std::string other = "; Orvane\r\n[Other]\r\na=1\r\n; note\r\nb=\"q\"\r\n";
    const std::string igo =
        "[IGO]\r\nID0=192\r\nEnable0=1\r\nDesc0=Камера\r\nFmt0=К %SPEED%\r\nCount=1\r\n";
    std::string navitel = "[Navitel]\r\n";
    for (int i = 0; i < 10; ++i) navitel += "ID" + std::to_string(i) + "=9\r\n";
    test::write_bytes(path, "\xef\xbb\xbf" + other + navitel + "Count=10\r\n" + igo);

    CameraTypeList types = {make_type(-5, L"Скорость %SPEED% \"км/ч\""), make_type(101, L"", 0)};
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
    const std::string after = test::read_bytes(path);
    EXPECT_EQ(after, "\xef\xbb\xbf" + other +
                         to_utf8(L"[Navitel]\r\nID0=-5\r\nEnable0=1\r\nDesc0=Скорость %SPEED% "
                                 L"\"км/ч\"\r\nFmt0=Скорость %SPEED% \"км/ч\"\r\nID1=101\r\n"
                                 L"Enable1=0\r\nDesc1=\r\nFmt1=\r\nCount=2\r\n") +
                         igo);
    EXPECT_EQ(ProfileReader(path).get_int(L"Navitel", L"ID5", 77), 77) << "old entries are gone";
    ASSERT_TRUE(save_camera_types({}, path, InputFormat::Navitel));
    EXPECT_NE(file_text(path).find(L"[Navitel]\r\nCount=0\r\n"), std::wstring::npos);
    // Nothing to write where there is no path or no dialect.
    EXPECT_TRUE(save_camera_types(types, L"", InputFormat::Navitel));
    CameraTypeList loaded = types;
    load_camera_types(loaded, L"", InputFormat::Navitel);
    EXPECT_TRUE(loaded.empty());
}

// Every text comes back as it was saved: blanks and quotes around it, 126 characters inside
// quotes, Cyrillic in a new file on any code page, text that an ANSI file cannot hold.
TEST(TypeTableSave, TextsComeBackUnchanged) {
    const std::wstring long_text(125, L'ж');
    const std::wstring texts[] = {L" Камера %SPEED% ", L"\"Засада\"", L"'a'", L"\"", L"\"x", L"\t",
                                  L"a\"b\"c", L" " + long_text, long_text + L"\"",
                                  L"Стационарная камера «Стрелка» — ёЁ", L"Ελληνικά ✓"};
    CameraTypeList types;
    for (const std::wstring& text : texts) types.push_back(make_type(1, text.c_str()));
    const std::pair<const char*, std::string> starts[] = {
        {"new file", ""}, {"0-byte file", "-"}, {"ANSI file", "[IGO]\r\nDesc0=\xca\xe0\r\n"}};
    for (const auto& [name, bytes] : starts) {
        SCOPED_TRACE(name);
        test::TempDir dir;
        const std::wstring path = dir.file("Config.txt");
        if (!bytes.empty()) test::write_bytes(path, bytes == "-" ? "" : bytes);
        ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
        EXPECT_TRUE(test::read_bytes(path).starts_with("\xff\xfe")) << "Unicode with a mark";
        CameraTypeList again;
        load_camera_types(again, path, InputFormat::Navitel);
        ASSERT_EQ(again.size(), types.size());
        for (std::size_t i = 0; i < types.size(); ++i) {
            EXPECT_STREQ(again[i].description, types[i].description) << i;
            EXPECT_STREQ(again[i].message_format, types[i].message_format) << i;
        }
        if (!bytes.empty() && bytes != "-" && test::ansi_is_cp1251()) {
            CameraTypeList igo;
            load_camera_types(igo, path, InputFormat::Igo);
            ASSERT_EQ(igo.size(), 0u);  // no Count: the key itself must survive
            EXPECT_EQ(ProfileReader(path).get_string(L"IGO", L"Desc0", L"", 10), L"Ка");
        }
    }
}

TEST(TypeTableSave, DialectSwitchesKeepEachSectionsEdits) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    test::write_bytes(path, test::read_bytes(test::data_path("golden_config.txt")));
    CameraTypeList types;
    load_camera_types(types, path, InputFormat::Navitel);
    types[0].export_enabled = 0;
    std::wcscpy(types[0].message_format, L"Изменено %SPEED%");
    // Navitel -> IGO -> Navitel, as two file opens do it.
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
    load_camera_types(types, path, InputFormat::Igo);
    ASSERT_EQ(types.size(), 5u);
    EXPECT_EQ(types[0].id, 192);
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Igo));
    load_camera_types(types, path, InputFormat::Navitel);
    ASSERT_EQ(types.size(), 5u);
    EXPECT_EQ(types[0].export_enabled, 0);
    EXPECT_STREQ(types[0].message_format, L"Изменено %SPEED%");
}

// A table of the largest size saves in time proportional to it, and the file it replaces is
// never left cut: the new file is written beside it first.
TEST(TypeTableSave, LargestTableSavesQuicklyAndWhole) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const CameraTypeList types(kMaxCameraTypes, make_type(7, L"Камера %SPEED%"));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Config.txt.orvane-new"));
    CameraTypeList again;
    load_camera_types(again, path, InputFormat::Navitel);
    EXPECT_EQ(again.size(), types.size());
    // A save that cannot replace the file (its folder is gone) reports it.
    EXPECT_FALSE(save_camera_types(types, dir.file("gone/Config.txt"), InputFormat::Navitel));
}

TEST(TypeTableShipped, DefaultConfigHasBothDialects) {
    const std::wstring path = from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt");
    EXPECT_TRUE(test::read_bytes(path).starts_with("\xff\xfe"));
    CameraTypeList navitel, igo;
    load_camera_types(navitel, path, InputFormat::Navitel);
    load_camera_types(igo, path, InputFormat::Igo);
    EXPECT_EQ((std::pair{navitel.size(), igo.size()}), (std::pair<std::size_t, std::size_t>{12, 34}));
    EXPECT_NE(std::wstring(navitel[0].message_format).find(L"%SPEED%"), std::wstring::npos);
    for (const CameraType& type : navitel)
        EXPECT_EQ(type.export_enabled, type.id >= 100 ? 0 : 1) << "hazards are off by default";
}

}  // namespace
