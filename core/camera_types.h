// The camera-type table of one dialect, kept in Config.txt next to the program.
#pragma once

#include <string>

#include "formats.h"
#include "records.h"

// More entries than this are never read, whatever Count claims.
constexpr int kMaxCameraTypes = 65536;

// Replaces the table with the entries of the format's section ("Navitel" or "IGO"). A missing
// file, section or key gives an empty table or the key's default.
void load_camera_types(CameraTypeList& types, const std::wstring& path, InputFormat format);

// Writes the table into the section of `current` (the dialect the table belongs to),
// replacing every key of that section. Other sections are left as they are. False when the
// file could not be written; true also when there is nothing to write (no path, no dialect).
bool save_camera_types(const CameraTypeList& types, const std::wstring& path, InputFormat current);
