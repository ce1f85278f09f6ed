#include <io.h>

#include "file_io.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return UniqueFile(_wfopen(path.c_str(), wide_mode.c_str()));
}

bool flush_to_device(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool remove_file(const std::wstring& path) { return _wremove(path.c_str()) == 0; }
