// Reads a program's version information the way Explorer's Details tab does, for the release
// test: the fixed file version, then each block's strings as UTF-8, one "block/name=value"
// line each.
//   version_probe.exe FILE
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void print_utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size() - 1, stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
    if (size == 0) return 1;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(argv[1], 0, size, data.data())) return 1;

    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return 1;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    std::printf("FileVersion=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));

    // The languages come from the translation table, as Explorer finds them.
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length)) return 1;
    const auto* pairs = static_cast<const WORD*>(value);
    for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
        wchar_t block[16];
        swprintf(block, 16, L"%04X%04X", pairs[i], pairs[i + 1]);
        for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"FileVersion",
                                    L"FileDescription", L"OriginalFilename"}) {
            const std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
            wchar_t* text = nullptr;
            if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text),
                                &length))
                continue;
            print_utf8(std::wstring(block) + L"/" + name + L"=" + text);
        }
    }
    return 0;
}
