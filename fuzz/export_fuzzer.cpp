// Random records and camera types exported with a small cap, compared with lines built the
// plain way (format_string on the whole line, then UTF-8), and checked for the file's rules.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "codepage.h"
#include "export.h"
#include "fuzz_support.h"
#include "text_format.h"

namespace {

void copy(wchar_t* dest, std::size_t capacity, const std::wstring& text) {
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::wmemcpy(dest, text.data(), n);
    dest[n] = L'\0';
}

// Coordinates hold only what the parser lets through: digits, '-' and '.'.
void copy_coordinate(char (&dest)[32], const std::wstring& text) {
    std::size_t n = 0;
    for (; n < text.size() && n < 31; ++n)
        dest[n] = "0123456789-."[static_cast<unsigned>(text[n]) % 12];
    dest[n] = '\0';
}

std::wstring widen(const char* text) {
    return std::wstring(text, text + std::strlen(text));
}

std::string expected_output(const RecordList& records, const CameraTypeList& types,
                            std::uint64_t cap) {
    std::string out = to_utf8(kExportBanner);
    std::uint64_t running = out.size() + 1;
    for (std::uint32_t r = 0; r < records.size(); ++r) {
        const SpeedcamRecord& record = records[r];
        for (const CameraType& type : types) {
            if (!type.export_enabled || type.id != record.type_id) continue;
            std::wstring message = type.message_format;
            const std::size_t at = message.find(L"%SPEED%");
            if (at != std::wstring::npos)
                message.replace(at, 7, *format_string(L"%d", record.speed_limit));
            const std::string line = to_utf8(*format_string(
                L"%s,%s,\"%s\"\r\n", widen(record.x_text), widen(record.y_text), message));
            out += line;
            running += line.size() + 1;
        }
        if (running > cap) break;
    }
    return out;
}

bool valid_utf8(const std::string& bytes) {
    return to_utf8(from_utf8(bytes)) == bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    RecordList records;
    CameraTypeList types;
    const int type_count = in.byte() % 6;
    for (int i = 0; i < type_count; ++i) {
        CameraType type{};
        type.id = in.byte() % 4;
        type.export_enabled = in.byte() % 3;
        copy(type.message_format, 127, in.text(126));
        append_camera_type(types, type);
    }
    const std::uint64_t cap = in.u32() % 4096;
    const int record_count = in.byte();
    for (int i = 0; i < record_count; ++i) {
        SpeedcamRecord record{};
        record.type_id = in.byte() % 5;
        record.speed_limit = static_cast<std::int32_t>(in.u32());
        copy_coordinate(record.x_text, in.text(31));
        copy_coordinate(record.y_text, in.text(31));
        append_record(records, record);
    }

    static const std::string path = "/dev/shm/orvane-fuzz-" + std::to_string(getpid()) + ".csv";
    const ExportResult result = export_speedcam_csv(records, types, from_utf8(path), cap);
    std::string actual;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            actual.append(block, n);
        std::fclose(file);
    }
    std::remove(path.c_str());

    FUZZ_CHECK(result == ExportResult::Complete || result == ExportResult::Capped);
    FUZZ_CHECK(actual == expected_output(records, types, cap));
    FUZZ_CHECK(valid_utf8(actual) && !actual.starts_with("\xef\xbb\xbf"));
    // Every line ends in CR LF, and there is no other CR or LF.
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == '\r') FUZZ_CHECK(i + 1 < actual.size() && actual[i + 1] == '\n');
        if (actual[i] == '\n') FUZZ_CHECK(i > 0 && actual[i - 1] == '\r');
    }
    FUZZ_CHECK(actual.ends_with("\r\n"));
    return 0;
}
