#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "codepage.h"
#include "file_io.h"

namespace test {

std::wstring data_path(std::string_view name, std::string_view dir) {
    return from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/tests/" + std::string(dir) + "/" +
                     std::string(name));
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
    // Runs side by side (host, sanitizers, Wine) share the temporary folder.
    static const unsigned run = std::random_device{}();
    path_ = std::filesystem::temp_directory_path() /
            ("orvane-test-" + std::to_string(run) + "-" + std::to_string(counter++));
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

#ifdef _WIN32
FailingFile::FailingFile(std::string bytes, std::function<void()> connected)
    : bytes_(std::move(bytes)) {
    static std::atomic<int> counter{0};
    path_ = L"\\\\.\\pipe\\orvane-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    pipe_ = CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                             1 << 16, 1 << 16, 0, nullptr);
    server_ = std::thread([this, connected = std::move(connected)] {
        ConnectNamedPipe(pipe_, nullptr);
        if (connected) connected();
        DWORD written;
        WriteFile(pipe_, bytes_.data(), static_cast<DWORD>(bytes_.size()), &written, nullptr);
        // Once the reader has every byte, its next read fails: the pipe breaks, it never ends.
        FlushFileBuffers(pipe_);
        DisconnectNamedPipe(pipe_);
    });
}

FailingFile::~FailingFile() {
    // Lets the server end when no reader came.
    CloseHandle(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    server_.join();
    CloseHandle(pipe_);
}

std::FILE* FailingFile::open() {
    return _wfopen(path_.c_str(), L"rb");
}
#else
FailingFile::FailingFile(std::string bytes, std::function<void()>) : bytes_(std::move(bytes)) {}
FailingFile::~FailingFile() = default;

std::FILE* FailingFile::open() {
    cookie_io_functions_t io = {};
    io.read = [](void* cookie, char* out, std::size_t n) -> ssize_t {
        auto& file = *static_cast<FailingFile*>(cookie);
        n = std::min(n, file.bytes_.size() - file.at_);
        std::memcpy(out, file.bytes_.data() + file.at_, n);
        file.at_ += n;
        errno = EIO;
        return n > 0 ? static_cast<ssize_t>(n) : -1;
    };
    return fopencookie(this, "rb", io);
}
#endif

// The bytes around the first difference, printed with escapes so that a stray CR or BOM shows.
std::string describe_difference(std::string_view expected, std::string_view actual) {
    if (expected == actual) return "";
    const std::size_t at =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first -
        expected.begin();
    const std::size_t from = at < 20 ? 0 : at - 20;
    const auto around = [&](std::string_view s) {
        return testing::PrintToString(std::string(s.substr(std::min(from, s.size()), 60)));
    };
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(at) +
           "\n  expected: " + around(expected) + "\n  actual:   " + around(actual);
}

std::vector<std::vector<std::wstring>> table(std::string_view name) {
    using namespace std::literals;
    std::istringstream text(read_bytes(data_path(name)));
    std::vector<std::vector<std::wstring>> rows;
    for (std::string line; std::getline(text, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::wstring fields = from_utf8(line);
        rows.emplace_back();
        for (std::size_t from = 0, tab = 0; tab != std::wstring::npos; from = tab + 1) {
            tab = fields.find(L'\t', from);
            std::wstring field = fields.substr(from, tab - from);
            for (const auto& [code, unit] : {std::pair{L"\\0"sv, L"\0"sv},
                                             {L"\\uFEFF"sv, L"\uFEFF"sv},
                                             {L"\\r"sv, L"\r"sv},
                                             {L"\\t"sv, L"\t"sv},
                                             {L"\\n"sv, L"\n"sv}})
                for (std::size_t at; (at = field.find(code)) != std::wstring::npos;)
                    field.replace(at, code.size(), unit);
            rows.back().push_back(field);
        }
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

std::string exported_csv(const RecordList& records, const CameraTypeList& types,
                         ExportResult expected) {
    TempDir dir;
    EXPECT_EQ(export_speedcam_csv(records, types, dir.file("speedcam.csv")), expected);
    std::string csv = read_bytes(dir.file("speedcam.csv"));
    const ExportPlan plan = plan_export(records, types);
    EXPECT_EQ((std::pair{plan.bytes, plan.result}),
              (std::pair{std::uint64_t{csv.size()}, expected}));
    return csv;
}

CameraType camera_type(int id, std::wstring_view text, bool enabled) {
    CameraType type{};
    type.id = id;
    text.copy(type.description, 126);
    text.copy(type.message_format, 126);
    type.export_enabled = enabled;
    return type;
}

std::string row(const SpeedcamRecord& r) {
    return std::string(r.x_text) + "|" + r.y_text + "|" + std::to_string(r.type_id) + "|" +
           std::to_string(r.speed_limit) + "|" + std::to_string(r.column6_value) + "|" +
           to_utf8(r.comment);
}

std::vector<std::string> rows(const RecordList& records) {
    std::vector<std::string> out;
    records.for_each([&](const SpeedcamRecord& r) { out.push_back(row(r)); });
    return out;
}

std::vector<std::pair<int, std::uint64_t>> tally(const RecordList& records) {
    std::vector<std::pair<int, std::uint64_t>> out;
    for (const auto& count : records.type_tally().counts())
        out.emplace_back(count.id, count.records);
    return out;
}

}  // namespace test
