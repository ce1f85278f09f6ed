// orvane-convert as a user runs it: summary, exit codes, messages and the files it uses.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "camera_types.h"
#include "codepage.h"
#include "convert.h"
#include "export.h"
#include "file_io.h"
#include "nearest.h"
#include "parser.h"
#include "reader.h"
#include "test_support.h"
#include "version.h"

namespace {

struct Outcome {
    int code;
    std::string out, err;
};

Outcome convert(const std::vector<std::wstring>& args) {
    test::TempDir dir;
    Outcome run{};
    {
        UniqueFile out = open_file(dir.file("out.txt"), "wb");
        UniqueFile err = open_file(dir.file("err.txt"), "wb");
        run.code = run_convert(args, L"", out.get(), err.get());
    }
    run.out = test::read_bytes(dir.file("out.txt"));
    run.err = test::read_bytes(dir.file("err.txt"));
    return run;
}

// The summary and the CSV; the same through Cyrillic names relative to the current folder,
// with the options written with '=' (the Windows profile functions would look for a bare name
// in the Windows folder). An output that is the input file itself, however it is spelt, is
// refused before anything is read or written: the input stays as it was. A file of that name
// in another folder is another file, and is replaced.
TEST(Converter, WritesTheCsvAndRefusesAnOutputThatIsTheInput) {
    test::TempDir dir;
    const std::wstring config = test::data_path("golden_config.txt"), input = dir.file("in.txt");
    const std::string bytes = test::read_bytes(test::data_path("navitel_lf.txt"));
    std::filesystem::create_directory(dir.path() / "sub");
    for (const char* name : {"in.txt", "sub/in.txt"}) test::write_bytes(dir.file(name), bytes);
    test::write_bytes(dir.file("Config.txt"), test::read_bytes(config));
    test::write_bytes(dir.file("камеры.txt"), test::read_bytes(test::data_path("igo_indexed.txt")));
    std::filesystem::create_hard_link(dir.path() / "in.txt", dir.path() / "link.txt");
#ifdef _WIN32
    const wchar_t* other_spelling = L"IN.TXT";
#else
    const wchar_t* other_spelling = L"symlink.txt";
    std::filesystem::create_symlink(dir.path() / "in.txt", dir.path() / "symlink.txt");
#endif
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    for (const std::wstring& output : {input, std::wstring(L"in.txt"), dir.file("sub/../in.txt"),
                                       dir.file("link.txt"), std::wstring(other_spelling)}) {
        const Outcome run = convert({L"--config", config, L"-o", output, input});
        EXPECT_EQ(run.code, kExitUsage) << to_utf8(output);
        EXPECT_NE(run.err.find("is the input file; choose another -o"), std::string::npos);
        EXPECT_SAME_BYTES(bytes, test::read_bytes(input));
    }
    const Outcome run = convert({L"--config", config, L"-o", L"sub/in.txt", L"in.txt"});
    const Outcome igo =
        convert({L"--format=igo", L"--config=Config.txt", L"-o", L"выход.csv", L"камеры.txt"});
    std::filesystem::current_path(previous);
    EXPECT_TRUE(run.code == kExitComplete && igo.code == kExitComplete) << run.err << igo.err;
    // What follows the file's name, as tests/expected/navitel_summary.txt has it.
    const std::string summary =
        test::read_bytes(test::data_path("navitel_summary.txt", "expected"));
    EXPECT_SAME_BYTES(summary, run.out.substr(std::min(run.out.size(), run.out.find(": 5 objects")),
                                              summary.size()));
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("navitel.csv", "expected")),
                      test::read_bytes(dir.file("sub/in.txt")));
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("igo_indexed.csv", "expected")),
                      test::read_bytes(dir.file("выход.csv")));
}

// Each row of tests/data/converter_runs.txt: what is wrong is told and gives its exit code,
// and a failed run writes no file; a file read in the wrong dialect gets a hint at --format.
TEST(Converter, ExitCodesAndMessagesNameTheProblem) {
    using namespace std::string_literals;
    test::TempDir dir;
    std::string big;  // more than the head unit's 6 MB once converted
    for (int i = 0; i < 120000; ++i) big += "1,37." + std::to_string(i) + ",55.5,1,60,1,90\n";
    test::write_bytes(dir.file("big.txt"), big);
    const auto filled = [&](std::wstring text) {
        for (const auto& [name, value] : {std::pair{L"{dir}/"s, dir.file("")},
                                          {L"{data}/"s, test::data_path("")},
                                          {L"{version}"s, from_utf8(ORVANE_VERSION_TEXT)}})
            for (std::size_t at; (at = text.find(name)) != std::wstring::npos;)
                text.replace(at, name.size(), value);
        return text;
    };
    for (const auto& row : test::table("converter_runs.txt")) {
        SCOPED_TRACE(to_utf8(row[0]));
        std::filesystem::remove(dir.path() / "x.csv");
        if (row.size() > 3) test::write_bytes(dir.file("in.txt"), to_utf8(row[3]));
        std::vector<std::wstring> args;
        std::wistringstream words(row[0]);
        for (std::wstring word; words >> word;) args.push_back(filled(word));
        const Outcome run = convert(args);
        const std::string said = run.out + run.err, text = to_utf8(filled(row[2]));
        const bool held = !text.starts_with("not ");
        EXPECT_EQ(run.code, std::stoi(row[1]));
        EXPECT_EQ(said.find(held ? text : text.substr(4)) != std::string::npos, held) << said;
        EXPECT_TRUE(run.code != kExitFailed || !std::filesystem::exists(dir.path() / "x.csv"));
    }
    // The big file reaches the converter's export a batch at a time: the same bytes and
    // figures as the export of the whole list that the window holds.
    const std::wstring config = test::data_path("golden_config.txt"), output = dir.file("x.csv");
    RecordList all;
    CameraTypeList types;
    load_camera_types(types, config, InputFormat::Navitel);
    ASSERT_TRUE(
        read_speedcam_file(all, dir.file("big.txt"), TextEncoding::Utf8, InputFormat::Navitel));
    const ExportPlan plan = plan_export(all, types);
    const Outcome run = convert({L"--config", config, L"-o", output, dir.file("big.txt")});
    EXPECT_SAME_BYTES(test::exported_csv(all, types, ExportResult::Capped),
                      test::read_bytes(output));
    EXPECT_NE(run.out.find("To export: " + std::to_string(plan.objects) + " objects, " +
                           std::to_string(plan.bytes) + " bytes of the 6 MB limit (cut there: " +
                           std::to_string(plan.exportable - plan.objects)),
              std::string::npos)
        << run.out;
}

// Two regions' files that overlap at the border: read in the order given as one list; with
// --no-duplicates the second file's camera 5 m from the first's, of the same type, goes, and
// those 30 m away or of another type stay; a type the table lacks is shown and counted. On a
// file over the cap --near writes the objects nearest to the place first and says how far
// they reach: nothing written lies farther than an object left out.
TEST(Converter, SeveralInputsRepeatsUnknownTypesAndTheNearestFirst) {
    test::TempDir dir;
    const std::wstring config = test::data_path("golden_config.txt"), a = dir.file("a.txt"),
                       b = dir.file("b.txt"), csv = dir.file("out.csv");
    test::write_bytes(a, "1,30.5000000,59.9000000,4,60,1,0\n2,30.6000000,59.9000000,101,90,1,0\n");
    test::write_bytes(b,
                      "1,30.5000900,59.9000000,4,40,1,0\n"     // 5 m east of a's first: a repeat
                      "2,30.6005400,59.9000000,101,80,1,0\n"   // 30 m from a's second
                      "3,30.5000000,59.9000000,101,50,1,0\n"   // a's first place, another type
                      "4,30.7000000,59.9000000,77,50,1,0\n");  // no such type in the table
    // The places of the CSV's lines after the banner.
    const auto places = [&] {
        std::vector<std::string> out;
        const std::string bytes = test::read_bytes(csv);
        for (std::size_t at = bytes.find('\n') + 1; at < bytes.size();
             at = bytes.find('\n', at) + 1)
            out.push_back(bytes.substr(at, bytes.find(',', bytes.find(',', at) + 1) - at));
        return out;
    };
    const auto lines = [&] { return testing::PrintToString(places()); };
    const auto says = [](const Outcome& run, const std::string& text) {
        return run.out.find(text) != std::string::npos;
    };
    Outcome run = convert({L"--config", config, L"-o", csv, a, b});
    EXPECT_EQ(lines(),
              "{ \"30.5000000,59.9000000\", \"30.6000000,59.9000000\", "
              "\"30.5000900,59.9000000\", \"30.6005400,59.9000000\", "
              "\"30.5000000,59.9000000\" }");
    EXPECT_TRUE(says(run, "Read '" + to_utf8(b) +
                              "': 4 objects (Navitel, UTF-8, filter off)\nRead 2 files: 6 objects\n"
                              "      ID") &&
                says(run,
                     "      77          1  no      not in the table\nNot in the table: 1 "
                     "objects, never exported (add their types to the table to export "
                     "them)\nTo export: 5 objects"))
        << run.out;
    run = convert({L"--no-duplicates", L"--config", config, L"-o", csv, a, b});
    EXPECT_EQ(lines(),
              "{ \"30.5000000,59.9000000\", \"30.6000000,59.9000000\", "
              "\"30.6005400,59.9000000\", \"30.5000000,59.9000000\" }");
    EXPECT_TRUE(says(run,
                     "Read 2 files: 6 objects\nRepeats left out: 1 (of the same type within "
                     "10 m of one kept before)\n      ID    Objects"))
        << run.out;

    std::string big;  // around St Petersburg and Moscow, more than the cap once converted
    for (int i = 0; i < 120000; ++i)
        big += "1," + std::to_string(i % 2 ? 30.0 + i * 1e-5 : 37.0 + i * 1e-5) + ",5" +
               (i % 2 ? "9.9" : "5.7") + ",1,60,1,90\n";
    test::write_bytes(a, big);
    run = convert({L"--near", L"30.3,59.9", L"--config", config, L"-o", csv, a});
    EXPECT_EQ(run.code, kExitCapped);
    EXPECT_NE(run.err.find("the objects farthest from --near were left out"), std::string::npos);
    RecordList all;
    ASSERT_TRUE(read_speedcam_file(all, a, TextEncoding::Utf8, InputFormat::Navitel));
    const GeoPoint home{30.3, 59.9};
    const auto metres = [&](std::string_view x, std::string_view y) {
        return distance_metres(home, {coordinate_to_double(x), coordinate_to_double(y)});
    };
    double reach = 0, left_out = 1e12;
    const std::vector<std::string> written = places();
    for (const std::string& place : written)
        reach = std::max(reach, metres(place, place.substr(place.find(',') + 1)));
    const std::set<std::string> in_csv(written.begin(), written.end());
    all.for_each([&](const SpeedcamRecord& r) {
        if (!in_csv.contains(std::string(r.x_text) + "," + r.y_text))
            left_out = std::min(left_out, metres(r.x_text, r.y_text));
    });
    EXPECT_LT(reach, left_out);
    EXPECT_GT(written.size(), 20000u);
    EXPECT_TRUE(says(run, "\nNearest first from 30.3,59.9: the objects written reach to " +
                              kilometres_text(reach, '.') + " km\n"))
        << run.out;
}

}  // namespace
