// Conversions between the bytes of files and the program's wide text.
#pragma once

#include <string>
#include <string_view>

#include "formats.h"

// Replaces `out` with the decoded text of `bytes`. UTF-16 takes the bytes as little-endian
// units (an odd last byte is dropped); UTF-8 turns invalid sequences into U+FFFD; every
// other value decodes with the system's ANSI code page (Windows-1251 where there is none).
// No byte-order mark is removed here.
void decode_text(std::string_view bytes, TextEncoding encoding, std::wstring& out);

// Replaces `out` with the text in the system's ANSI code page (Windows-1251 where there is
// none); false when a character has no byte there.
bool encode_ansi(std::wstring_view text, std::string& out);

// Appends the UTF-8 form of `text`; unpaired surrogates become U+FFFD.
void append_utf8(std::wstring_view text, std::string& out);
std::string to_utf8(std::wstring_view text);
std::wstring from_utf8(std::string_view bytes);

// Platform half of decode_text, for UTF-8 and ANSI only.
void decode_multibyte(std::string_view bytes, TextEncoding encoding, std::wstring& out);
