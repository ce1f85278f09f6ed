// Texts from the string table. Every entry is a printf-style format, also when it is shown
// without arguments, so "%%" in the table reads as one percent sign.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "app_state.h"
#include "text_format.h"

// Loads and formats entry `id` into the state's reusable buffer. The result stays valid only
// until the next load_string call; callers hand it straight to one window and never keep it.
// It may be an argument of that next call. Null when the entry does not exist or cannot be
// formatted.
const wchar_t* load_string_args(AppState& state, unsigned id,
                                std::initializer_list<FormatArg> args);

// The same text as a string of the caller's own; the reusable buffer is left alone.
std::optional<std::wstring> load_string_copy_args(const AppState& state, unsigned id,
                                                  std::initializer_list<FormatArg> args);

template <typename... Args>
const wchar_t* load_string(AppState& state, unsigned id, const Args&... args) {
    return load_string_args(state, id, {FormatArg(args)...});
}

template <typename... Args>
std::optional<std::wstring> load_string_copy(const AppState& state, unsigned id,
                                             const Args&... args) {
    return load_string_copy_args(state, id, {FormatArg(args)...});
}

// A menu or control text as plain text, for the status bar and messages: a single "&" marks
// the access key and goes, "&&" stands for one "&".
std::wstring without_access_key(std::wstring_view text);
