// Opening files by wide path, and pushing written data to the device.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// mode is "rb" or "wb"; null when the file cannot be opened.
UniqueFile open_file(const std::wstring& path, const char* mode);

// Flushes the stream and asks the system to write the file's data to the device, so that
// a USB stick pulled right after holds the whole file. False when either step fails.
bool flush_to_device(std::FILE* file);

// Closes the file and reports whether the close succeeded.
bool close_file(UniqueFile file);

// Removes a regular file that could not be written whole. Devices and anything else that
// is not a plain file stay.
void remove_partial_file(const std::wstring& path);
