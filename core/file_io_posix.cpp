#include <sys/stat.h>
#include <unistd.h>

#include "codepage.h"
#include "file_io.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    return UniqueFile(std::fopen(to_utf8(path).c_str(), mode));
}

bool flush_to_device(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

void remove_partial_file(const std::wstring& path) {
    const std::string name = to_utf8(path);
    struct stat info {};
    if (lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(name.c_str());
}
