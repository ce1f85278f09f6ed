// The camera-type table in Config.txt: reading by the rules of the profile functions,
// defaults and limits, what a save writes and what it keeps.
#include <gtest/gtest.h>

#include <cwchar>

#include "camera_types.h"
#include "codepage.h"
#include "profile.h"
#include "test_support.h"

namespace {

// The table of one dialect read from a file of this text in UTF-8 with a mark, which both
// builds read as Unicode.
CameraTypeList load(std::string_view text, InputFormat format = InputFormat::Navitel) {
    test::TempDir dir;
    test::write_bytes(dir.file("Config.txt"), "\xef\xbb\xbf" + std::string(text));
    CameraTypeList types;
    load_camera_types(types, dir.file("Config.txt"), format);
    return types;
}

// Each type as "id enabled description|format".
std::vector<std::wstring> entries(const CameraTypeList& types) {
    std::vector<std::wstring> out;
    for (const CameraType& t : types)
        out.push_back(std::to_wstring(t.id) + L" " + std::to_wstring(t.export_enabled) + L" " +
                      t.description + L"|" + t.message_format);
    return out;
}

TEST(ProfileRead, SameKeysFromEveryEncodingAsWindowsGivesThem) {
    const std::wstring body =
        L"; comment\r\n[Navitel]\r\n  Desc0 =  Камера у «школы»  \r\nID0=12\r\nq=\"quoted\"\r\n"
        L"empty=\r\nneg=-1\r\nhex=0x10\r\ntail=12abc\r\nword=abc\r\nlong=abcdefghij\r\n";
    std::string le = "\xff\xfe", be = "\xfe\xff", ansi;
    for (wchar_t c : body) {
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    // UTF-8 without a mark, as Notepad saves it, is UTF-8 on every code page.
    std::vector<std::string> files = {le, be, "\xef\xbb\xbf" + to_utf8(body), to_utf8(body)};
    if (test::ansi_is_cp1251() && encode_ansi(body, ansi)) files.push_back(ansi);
    const auto keys = test::table("profile_keys.txt");
    test::TempDir dir;
    for (const std::string& bytes : files) {
        test::write_bytes(dir.file("Config.txt"), bytes);
        const ProfileReader r(dir.file("Config.txt"));
        for (const auto& k : keys)
            EXPECT_EQ(k[2] == L"int" ? std::to_wstring(r.get_int(k[0], k[1], 7))
                                     : r.get_string(k[0], k[1], L"dflt", std::stoi(k[2])),
                      k[3])
                << to_utf8(k[1]);
    }
}

TEST(TypeTableLoad, DefaultsLimitsAndDamagedFiles) {
    for (const auto& row : test::table("type_tables.txt"))
        EXPECT_EQ(entries(load(to_utf8(row[0]))),
                  std::vector<std::wstring>(row.begin() + 1, row.end()))
            << to_utf8(row[0]);
    const std::string x10k(10000, 'x');
    EXPECT_EQ(entries(load("[Navitel]\r\nCount=1\r\nID0" + x10k + "=5\r\nDesc0=" + x10k + "\r\n")),
              std::vector<std::wstring>{L"0 1 " + from_utf8(x10k.substr(0, 126)) + L"|"});
    // Keys at or beyond the 65,536th entry are never read.
    EXPECT_EQ(load("[Navitel]\r\nCount=99999\r\nID65535=1\r\nID65536=2\r\n").size(), 65536u);
    EXPECT_EQ(load("[Navitel]\r\nCount=1\r\nID0=1\r\n", static_cast<InputFormat>(2)).size(), 0u);
}

// Saving one dialect writes its keys in order and keeps every other line as it was: the Navitel
// section of tests/data/config_before_save.txt, ten old entries, becomes the two of
// tests/expected/config_saved.txt; the comments, [Other] and [IGO] stay byte for byte.
TEST(TypeTableSave, KeysInOrderEverythingElseKept) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    test::write_bytes(path, test::read_bytes(test::data_path("config_before_save.txt")));
    CameraTypeList types = {test::camera_type(-5, L"Скорость %SPEED% \"км/ч\""),
                            test::camera_type(101, L"", false)};
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("config_saved.txt", "expected")),
                      test::read_bytes(path));
    ASSERT_TRUE(save_camera_types({}, path, InputFormat::Navitel));
    EXPECT_EQ(ProfileReader(path).get_int(L"Navitel", L"Count", 7), 0);
    EXPECT_EQ(ProfileReader(path).get_int(L"Navitel", L"ID0", 77), 77) << "old entries are gone";
    // Nothing to write where there is no path.
    EXPECT_TRUE(save_camera_types(types, L"", InputFormat::Navitel));
    load_camera_types(types, L"", InputFormat::Navitel);
    EXPECT_TRUE(types.empty());
}

// Every text of tests/data/saved_texts.txt comes back as it was saved: blanks and quotes
// around it, 126 characters inside quotes, Cyrillic in a new file on any code page, text that an
// ANSI file cannot hold. A file that the Windows functions would read wrongly becomes UTF-16LE with
// a mark, its other keys kept: ANSI that cannot hold a text, and UTF-8 without a mark (the way
// Notepad saves), which they would read as ANSI.
TEST(TypeTableSave, TextsComeBackUnchanged) {
    CameraTypeList types;
    for (const auto& row : test::table("saved_texts.txt"))
        types.push_back(test::camera_type(1, row[0]));
    // 92 Cyrillic characters: 184 bytes of UTF-8, which read as ANSI were cut to 126.
    std::wstring notepad_text;
    while (notepad_text.size() < 92) notepad_text += L"Камера контроля средней скорости ";
    notepad_text.resize(92);
    std::wstring ansi_text;
    decode_text("\xca\xe0", TextEncoding::Ansi, ansi_text);
    const std::tuple<const char*, std::optional<std::string>, std::wstring> starts[] = {
        {"new file", std::nullopt, L""},
        {"0-byte file", "", L""},
        {"ANSI file", "[IGO]\r\nDesc0=\xca\xe0\r\n", ansi_text},
        {"Notepad's UTF-8", "; Orvane\r\n[IGO]\r\nDesc0=" + to_utf8(notepad_text) + "\r\n",
         notepad_text}};
    for (const auto& [name, bytes, kept] : starts) {
        SCOPED_TRACE(name);
        test::TempDir dir;
        const std::wstring path = dir.file("Config.txt");
        if (bytes) test::write_bytes(path, *bytes);
        EXPECT_EQ(ProfileReader(path).get_string(L"IGO", L"Desc0", L"", 127), kept);
        ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
        EXPECT_TRUE(test::read_bytes(path).starts_with("\xff\xfe")) << "Unicode with a mark";
        CameraTypeList again;
        load_camera_types(again, path, InputFormat::Navitel);
        EXPECT_EQ(entries(again), entries(types));
        // The file's own key survives its conversion.
        EXPECT_EQ(ProfileReader(path).get_string(L"IGO", L"Desc0", L"", 127), kept);
    }
}

// A table of the largest size is saved whole: its section once, every key once and in order,
// the other section kept, and the file it replaces never left cut (the new file is written
// beside it first). How the time grows with the size is bench/type_table.sh's.
TEST(TypeTableSave, LargestTableSavesWhole) {
    test::TempDir dir;
    const std::wstring path = dir.file("Config.txt");
    const std::string igo = "[IGO]\r\nCount=1\r\nID0=192\r\n";
    test::write_bytes(path, "\xef\xbb\xbf" + igo + "[Navitel]\r\nCount=3\r\nID2=5\r\n");
    const CameraTypeList types(kMaxCameraTypes, test::camera_type(7, L"Камера %SPEED%"));
    ASSERT_TRUE(save_camera_types(types, path, InputFormat::Navitel));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Config.txt.orvane-new"));
    std::string expected = "\xef\xbb\xbf" + igo + "[Navitel]\r\n";
    for (int i = 0; i < kMaxCameraTypes; ++i) {
        const std::string n = std::to_string(i);
        expected += "ID" + n + "=7\r\nEnable" + n + "=1\r\nDesc" + n + "=Камера %SPEED%\r\nFmt" +
                    n + "=Камера %SPEED%\r\n";
    }
    EXPECT_SAME_BYTES(expected + "Count=65536\r\n", test::read_bytes(path));
    CameraTypeList again;
    load_camera_types(again, path, InputFormat::Navitel);
    EXPECT_EQ(again.size(), types.size());
    // A save that cannot replace the file (its folder is gone) reports it.
    EXPECT_FALSE(save_camera_types(types, dir.file("gone/Config.txt"), InputFormat::Navitel));
}

// The shipped table: both dialects whole, Navitel's hazards (ids from 100) off. Its encoding
// is the release check's.
TEST(TypeTableShipped, DefaultConfigHasBothDialects) {
    const std::wstring path = from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt");
    CameraTypeList navitel, igo;
    load_camera_types(navitel, path, InputFormat::Navitel);
    load_camera_types(igo, path, InputFormat::Igo);
    EXPECT_EQ((std::pair{navitel.size(), igo.size()}),
              (std::pair<std::size_t, std::size_t>{12, 34}));
    for (const CameraType& type : navitel)
        EXPECT_EQ(type.export_enabled, type.id >= 100 ? 0 : 1) << "hazards are off by default";
}

}  // namespace
