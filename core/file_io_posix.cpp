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

bool replace_file(const std::wstring& from, const std::wstring& to) {
    const std::string target = native_path(to);
    if (std::rename(native_path(from).c_str(), target.c_str()) != 0) return false;
    // The rename is on the device once the folder that holds it is.
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return true;
    fsync(fd);
    close(fd);
    return true;
}

void remove_file(const std::wstring& path) {
    std::remove(native_path(path).c_str());
}

std::wstring absolute_path(const std::wstring& path) {
    if (path.starts_with(L"/")) return path;
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr) return path;
    return from_native_path(folder) + L"/" + path;
}
