// Opening files by wide path, pushing written data to the device, and replacing one file by
// another in one step.
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

enum class FileKind { Missing, Regular, Other };  // Other: a folder, a device, a pipe
FileKind file_kind(const std::wstring& path);

// Whether both paths lead to one file, however they are spelt: another case, "..", a link.
// The files themselves are compared (volume and file number), not their names; false when
// either is missing.
bool same_file(const std::wstring& a, const std::wstring& b);

// Puts `from` in the place of `to` in one step, so that a reader of `to` finds either the old
// file or the new one, never a part; the rename reaches the device before this returns.
bool replace_file(const std::wstring& from, const std::wstring& to);
void remove_file(const std::wstring& path);

// The path made absolute against the current folder, or the path itself when it cannot be.
std::wstring absolute_path(const std::wstring& path);

// A file written in the place of another: removed at the end of its scope unless it has
// replaced the other one. The removal allocates nothing, so it also runs while a
// std::bad_alloc unwinds.
class TempFile {
  public:
    explicit TempFile(std::wstring path);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool replace(const std::wstring& target) {
        if (!replace_file(path_, target)) return false;
        path_.clear();
        native_.clear();
        return true;
    }

  private:
    std::wstring path_;
    std::string native_;  // the system's name for it, made in advance where that allocates
};
