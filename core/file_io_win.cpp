#include <io.h>
#include <sys/stat.h>

#include "file_io.h"

UniqueFile open_file(const std::wstring& path, const char* mode) {
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return UniqueFile(_wfopen(path.c_str(), wide_mode.c_str()));
}

bool flush_to_device(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

void remove_partial_file(const std::wstring& path) {
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG)
        _wremove(path.c_str());
}
