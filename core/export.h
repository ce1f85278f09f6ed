// Writes the records and the enabled camera types as a Nissan Connect speedcam.csv.
#pragma once

#include <cstdint>
#include <string>

#include "app_state.h"

enum class ExportResult : std::uint16_t {
    Failed = 0,    // the file could not be opened or written
    Complete = 1,  // every record was written
    Capped = 2,    // stopped after the record that took the file past the size cap
};

// The head unit reads at most 6 MB of warnings.
constexpr std::uint64_t kExportSizeCap = 6u * 1024u * 1024u;

// The first line of every export.
extern const wchar_t kExportBanner[];

// `cap` is the head unit's limit; tests pass small ones to reach it with little data.
ExportResult export_speedcam_csv(const AppState& state, const std::wstring& path,
                                 std::uint64_t cap = kExportSizeCap);
