// Reads a whole speedcam file into the record list.
#pragma once

#include <string>

#include "app_state.h"

// Replaces the record list with the accepted lines of the file, in file order. False when
// the file cannot be opened or read, or memory runs out; the list is then empty. An empty,
// undecodable or headers-only file is read successfully and gives no records.
bool read_speedcam_file(AppState& state, const std::wstring& path, TextEncoding encoding,
                        InputFormat format);
