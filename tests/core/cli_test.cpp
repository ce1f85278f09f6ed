// orvane-convert as a user runs it: summary, exit codes and messages.
#include <gtest/gtest.h>

#include "convert.h"
#include "file_io.h"
#include "codepage.h"
#include "test_support.h"

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
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

TEST(Converter, WritesTheCsvAndPrintsTheWindowsSummary) {
    test::TempDir dir;
    const Outcome run = convert({L"--config", test::data_path("golden_config.txt"), L"-o",
                                 dir.file("speedcam.csv"), test::data_path("navitel_lf.txt")});
    EXPECT_EQ(run.code, kExitComplete) << run.err;
    EXPECT_NE(run.out.find(": 5 objects (Navitel, UTF-8, filter off)\n"
                           "      ID    Objects  Export  Description\n"
                           "       1          2  yes     Стационарная камера\n"
                           "       2          1  no      Светофор\n"
                           "       4          1  yes     Средняя скорость\n"
                           "     101          1  yes     Ограничение скорости\n"),
              std::string::npos)
        << run.out;
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("navitel.csv", "expected")),
                      test::read_bytes(dir.file("speedcam.csv")));

    // The same through a Cyrillic file name, with the options written with '='.
    test::write_bytes(dir.file("камеры.txt"), test::read_bytes(test::data_path("igo_indexed.txt")));
    const Outcome igo =
        convert({L"--format=igo", L"--config=" + test::data_path("golden_config.txt"), L"-o",
                 dir.file("выход.csv"), dir.file("камеры.txt")});
    EXPECT_EQ(igo.code, kExitComplete) << igo.err;
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("igo_indexed.csv", "expected")),
                      test::read_bytes(dir.file("выход.csv")));
}

TEST(Converter, ExitCodesAndMessagesNameTheProblem) {
    test::TempDir dir;
    const std::wstring config = test::data_path("golden_config.txt");
    const std::wstring input = test::data_path("navitel_lf.txt");

    Outcome run = convert({L"--format", L"tomtom", input});
    EXPECT_EQ(run.code, kExitUsage);
    EXPECT_NE(run.err.find("--format takes navitel or igo"), std::string::npos);
    EXPECT_NE(run.err.find("Usage: orvane-convert"), std::string::npos);
    EXPECT_EQ(convert({}).code, kExitUsage);
    EXPECT_EQ(convert({L"--area", L"37,56,38", input}).code, kExitUsage);
    EXPECT_EQ(convert({L"a.txt", L"b.txt"}).code, kExitUsage);
    run = convert({L"--help"});
    EXPECT_EQ(run.code, kExitComplete);
    EXPECT_NE(run.out.find("Usage: orvane-convert"), std::string::npos);

    run = convert({L"--config", config, L"-o", dir.file("x.csv"), dir.file("missing.txt")});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_NE(run.err.find("cannot read input file '" + to_utf8(dir.file("missing.txt")) + "'"),
              std::string::npos);

    const std::wstring bad_output = dir.file("no_folder/speedcam.csv");
    run = convert({L"--config", config, L"-o", bad_output, input});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_NE(run.err.find("cannot write output file '" + to_utf8(bad_output) + "'"),
              std::string::npos);

    run = convert({L"--config", dir.file("none.txt"), L"-o", dir.file("x.csv"), input});
    EXPECT_EQ(run.code, kExitComplete);
    EXPECT_NE(run.err.find("warning: no camera types for Navitel"), std::string::npos);

    run = convert({L"--config", config, L"--area", L"37.6,55.76,37.71,55.74", L"-o",
                   dir.file("area.csv"), input});
    EXPECT_EQ(run.code, kExitComplete);
    EXPECT_NE(run.out.find(": 2 objects (Navitel, UTF-8, filter on)"), std::string::npos)
        << run.out;
}

TEST(Converter, CappedOutputExitsWithThree) {
    test::TempDir dir;
    std::string input;
    for (int i = 0; i < 120000; ++i) input += "1,37." + std::to_string(i) + ",55.5,1,60,1,90\n";
    test::write_bytes(dir.file("big.txt"), input);
    const Outcome run = convert({L"--config", test::data_path("golden_config.txt"), L"-o",
                                 dir.file("big.csv"), dir.file("big.txt")});
    EXPECT_EQ(run.code, kExitCapped);
    EXPECT_NE(run.err.find("6 MB limit"), std::string::npos);
}

}  // namespace
