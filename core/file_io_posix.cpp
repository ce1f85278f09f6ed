#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "file_io.h"
#include "native_path.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    return UniqueFile(std::fopen(native_path(path).c_str(), mode));
}

bool flush_to_device(std::FILE* file) {
    // A pipe or a device such as /dev/null has nothing to synchronise (EINVAL).
    return std::fflush(file) == 0 && (fsync(fileno(file)) == 0 || errno == EINVAL);
}

FileKind file_kind(const std::wstring& path) {
    struct stat info {};
    if (stat(native_path(path).c_str(), &info) != 0) return FileKind::Missing;
    return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other;
}

bool same_file(const std::wstring& a, const std::wstring& b) {
    struct stat first = {};
    struct stat second = {};
    return stat(native_path(a).c_str(), &first) == 0 &&
           stat(native_path(b).c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool replace_file(const std::wstring& from, const std::wstring& to) {
    // Every name is made first: once the rename is done, nothing may fail any more.
    const std::string source = native_path(from), target = native_path(to);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    // The rename is on the device once the folder that holds it is.
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return true;
    fsync(fd);
    close(fd);
    return true;
}

void remove_file(const std::wstring& path) {
    std::remove(native_path(path).c_str());
}

TempFile::TempFile(std::wstring path)
    : path_(std::move(path)), native_(path_.empty() ? std::string() : native_path(path_)) {}

TempFile::~TempFile() {
    if (!native_.empty()) std::remove(native_.c_str());
}

std::wstring absolute_path(const std::wstring& path) {
    if (path.starts_with(L"/")) return path;
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr) return path;
    return from_native_path(folder) + L"/" + path;
}
