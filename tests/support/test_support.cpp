#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
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

RecordList read_text(std::string_view bytes, TextEncoding encoding, InputFormat format,
                     const AreaFilter& area) {
    TempDir dir;
    const std::wstring path = dir.file("speedcam.txt");
    write_bytes(path, bytes);
    RecordList records;
    EXPECT_TRUE(read_speedcam_file(records, path, encoding, format, area));
    return records;
}

// FIPS 180-4, for checking whole outputs of real files against their recorded digests.
std::string sha256_hex(std::string_view bytes) {
    static constexpr std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string data(bytes);
    data.push_back('\x80');
    while (data.size() % 64 != 56) data.push_back('\0');
    for (int i = 7; i >= 0; --i) data.push_back(static_cast<char>((bytes.size() * 8) >> (8 * i)));
    const auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            for (int b = 0; b < 4; ++b)
                w[i] = (b ? w[i] << 8 : 0) | static_cast<unsigned char>(data[block + 4 * i + b]);
        for (int i = 16; i < 64; ++i)
            w[i] = w[i - 16] + (rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) +
                   w[i - 7] + (rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
        std::uint32_t v[8];
        std::copy(h, h + 8, v);
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 = v[7] + (rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25)) +
                                     ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
            const std::uint32_t t2 = (rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22)) +
                                     ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            std::copy_backward(v, v + 7, v + 8);
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i) h[i] += v[i];
    }
    char hex[65];
    for (int i = 0; i < 8; ++i) std::snprintf(hex + 8 * i, 9, "%08x", h[i]);
    return hex;
}

}  // namespace test
