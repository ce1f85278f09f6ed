#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "codepage.h"
#include "file_io.h"
#include "reader.h"

namespace test {

std::wstring data_path(std::string_view name, std::string_view dir) {
    return from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/tests/" + std::string(dir) + "/" +
                     std::string(name));
}

std::optional<std::wstring> realdata_path(std::string_view name) {
    const std::wstring path =
        from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/../shared/realdata/" + std::string(name));
    if (!open_file(path, "rb")) return std::nullopt;
    return path;
}

std::wstring to_wide_path(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return from_utf8(path.string());
#endif
}

bool ansi_is_cp1251() {
#ifdef _WIN32
    return GetACP() == 1251;
#else
    return true;
#endif
}

std::string read_bytes(const std::wstring& path) {
    UniqueFile file = open_file(path, "rb");
    if (!file) return "<cannot open " + to_utf8(path) + ">";
    std::string bytes;
    char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;)
        bytes.append(block, n);
    return bytes;
}

void write_bytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file = open_file(path, "wb");
    ASSERT_TRUE(file) << to_utf8(path);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()), bytes.size());
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("orvane-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDir::file(std::string_view name) const {
    return to_wide_path(path_) + L"/" + from_utf8(name);
}

namespace {

std::string_view line_at(std::string_view text, std::size_t pos) {
    const std::size_t begin = text.rfind('\n', pos == 0 ? 0 : pos - 1);
    const std::size_t start = begin == std::string_view::npos || pos == 0 ? 0 : begin + 1;
    const std::size_t end = text.find('\n', pos);
    return text.substr(start, end == std::string_view::npos ? end : end + 1 - start);
}

std::string hex(std::string_view bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02x ", c);
        out << buf;
    }
    return out.str();
}

}  // namespace

std::string describe_difference(std::string_view expected, std::string_view actual) {
    if (expected == actual) return "";
    std::size_t pos = 0;
    while (pos < expected.size() && pos < actual.size() && expected[pos] == actual[pos]) ++pos;
    std::ostringstream out;
    out << "sizes " << expected.size() << " and " << actual.size() << ", first difference at byte "
        << pos << "\n  expected line: " << hex(line_at(expected, pos))
        << "\n  actual line:   " << hex(line_at(actual, pos));
    return out.str();
}

AppState read_text(std::string_view bytes, TextEncoding encoding, InputFormat format,
                   const AreaFilter& filter) {
    TempDir dir;
    const std::wstring path = dir.file("speedcam.txt");
    write_bytes(path, bytes);
    AppState state;
    state.filter.area = filter;
    EXPECT_TRUE(read_speedcam_file(state, path, encoding, format));
    return state;
}

}  // namespace test
