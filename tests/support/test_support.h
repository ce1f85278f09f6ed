// Helpers shared by the test suites: data files, temporary folders, byte comparison.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "export.h"
#include "formats.h"
#include "records.h"

namespace test {

// A file of tests/data (or tests/expected with dir = "expected") as a path the program opens.
std::wstring data_path(std::string_view name, std::string_view dir = "data");
std::wstring to_wide_path(const std::filesystem::path& path);
// True where "ANSI" means Windows-1251: always on the host, on Windows by the system.
bool ansi_is_cp1251();

std::string read_bytes(const std::wstring& path);
void write_bytes(const std::wstring& path, std::string_view bytes);

// A fresh folder that is removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::wstring file(std::string_view name) const;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A file that gives these bytes and then fails to read, as a stick pulled out during the read
// does: on the host a stream of its own, on Windows a named pipe, path(), that is broken once
// read. The stream of open() is the caller's to close, before this ends. On Windows,
// `connected` runs once a reader has opened the pipe, before it is given a byte.
class FailingFile {
  public:
    explicit FailingFile(std::string bytes, std::function<void()> connected = nullptr);
    ~FailingFile();
    std::FILE* open();
    const std::wstring& path() const { return path_; }

  private:
    std::string bytes_;
    std::size_t at_ = 0;
    std::wstring path_;
    void* pipe_ = nullptr;
    std::thread server_;
};

// The rows of a table in tests/data: every line but blank ones and '#' comments, split into
// its fields at TABs, with the escapes "\0" (a zero unit), "\uFEFF" (a byte-order mark), "\r",
// "\n" and "\t" turned into what they stand for.
std::vector<std::vector<std::wstring>> table(std::string_view name);

// Empty when the two are equal; otherwise where they first differ.
std::string describe_difference(std::string_view expected, std::string_view actual);

// What export_speedcam_csv writes for these lists, after checking its result and that the
// figure shown before the export (plan_export) foretold that result and that size.
std::string exported_csv(const RecordList& records, const CameraTypeList& types,
                         ExportResult expected = ExportResult::Complete);

// A camera type whose description and message are both `text`.
CameraType camera_type(int id, std::wstring_view text, bool enabled = true);

// A record as "x|y|type|speed|column 6|comment", so that whole lists compare in one assertion.
std::string row(const SpeedcamRecord& record);
std::vector<std::string> rows(const RecordList& records);
// The type counts of a list as (id, records), in the order the list met the ids.
std::vector<std::pair<int, std::uint64_t>> tally(const RecordList& records);

}  // namespace test

#define EXPECT_SAME_BYTES(expected, actual) \
    EXPECT_EQ(::test::describe_difference((expected), (actual)), "")
