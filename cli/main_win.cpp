#include <windows.h>

#include "convert.h"

namespace {

std::wstring executable_dir() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    const std::size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? L".\\" : path.substr(0, sep + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Descriptions are Cyrillic; the messages are written as UTF-8.
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return run_convert(args, executable_dir(), stdout, stderr);
}
