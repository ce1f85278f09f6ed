#include <windows.h>

#include <io.h>

#include <optional>

#include "file_io.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return UniqueFile(_wfopen(path.c_str(), wide_mode.c_str()));
}

bool flush_to_device(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

FileKind file_kind(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
    return attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE) ? FileKind::Other
                                                                           : FileKind::Regular;
}

namespace {

struct FileId {
    DWORD volume, high, low;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> file_id(const std::wstring& path) {
    // Only the attributes are asked for, so a file open in another program is still seen.
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool same_file(const std::wstring& a, const std::wstring& b) {
    const std::optional<FileId> first = file_id(a);
    return first && first == file_id(b);
}

bool replace_file(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void remove_file(const std::wstring& path) {
    DeleteFileW(path.c_str());
}

TempFile::TempFile(std::wstring path) : path_(std::move(path)) {}

TempFile::~TempFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
}

std::wstring absolute_path(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return path;
    full.resize(written);
    return full;
}
