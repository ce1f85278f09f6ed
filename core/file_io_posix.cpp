#include <unistd.h>

#include "codepage.h"
#include "file_io.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    return UniqueFile(std::fopen(to_utf8(path).c_str(), mode));
}

bool flush_to_device(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool remove_file(const std::wstring& path) { return std::remove(to_utf8(path).c_str()) == 0; }
