#include <unistd.h>

#include <climits>

#include "convert.h"
#include "native_path.h"

namespace {

std::wstring executable_dir(const char* argv0) {
    char buffer[PATH_MAX + 1] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : argv0;
    const std::size_t slash = path.rfind('/');
    return from_native_path(slash == std::string::npos ? "./" : path.substr(0, slash + 1));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    // File names are kept as the bytes they are; options are ASCII.
    for (int i = 1; i < argc; ++i) args.push_back(from_native_path(argv[i]));
    return run_convert(args, executable_dir(argv[0]), stdout, stderr);
}
