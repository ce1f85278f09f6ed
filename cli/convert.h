// The command-line converter, apart from how the platform hands over its arguments.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Exit codes.
enum ConvertExit : int {
    kExitComplete = 0,
    kExitFailed = 1,  // input unreadable or output not writable
    kExitUsage = 2,   // bad arguments
    kExitCapped = 3,  // written, but cut at the size cap
};

// args excludes the program name; exe_dir ends with a separator. Messages are UTF-8.
int run_convert(const std::vector<std::wstring>& args, const std::wstring& exe_dir, std::FILE* out,
                std::FILE* err);
