// File names on Linux are bytes, usually UTF-8 but not always. A name is carried as wide text
// in which every byte that is not part of a UTF-8 character stands as U+DC80..U+DCFF, so that
// the name given on the command line reaches the file system byte for byte.
#pragma once

#include <string>
#include <string_view>

std::wstring from_native_path(std::string_view bytes);
std::string native_path(std::wstring_view path);
