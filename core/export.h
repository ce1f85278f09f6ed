// Writes the records and the enabled camera types as a Nissan Connect speedcam.csv.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "records.h"

enum class ExportResult : std::uint16_t {
    Failed = 0,    // the file could not be opened or written
    Complete = 1,  // every record was written
    Capped = 2,    // stopped after the record that took the file past the size cap
};

// The head unit reads at most 6 MB of warnings.
constexpr std::uint64_t kExportSizeCap = 6u * 1024u * 1024u;

// The first line of every export.
extern const wchar_t kExportBanner[];

// The order the records are written in: each record's list position once. Empty: list order.
using ExportOrder = std::span<const std::uint32_t>;

// `cap` is the head unit's limit; tests pass small ones to reach it with little data.
ExportResult export_speedcam_csv(const RecordList& records, const CameraTypeList& types,
                                 const std::wstring& path, std::uint64_t cap = kExportSizeCap,
                                 ExportOrder order = {});

constexpr std::uint32_t kNoRecord = UINT32_MAX;

// What the export of the records would write, counted by the same rules, without writing.
struct ExportPlan {
    std::uint64_t bytes;       // the size of the file
    std::uint32_t objects;     // records with lines in the file
    std::uint32_t exportable;  // records whose type is exported, within the cap or beyond it
    ExportResult result;       // Complete, or Capped when the file would be cut; Failed: no memory
    std::uint32_t last = kNoRecord;  // the list position of the last record written
};
ExportPlan plan_export(const RecordList& records, const CameraTypeList& types,
                       std::uint64_t cap = kExportSizeCap, ExportOrder order = {});
// The records of the tally whose type is exported, within the cap or beyond it.
std::uint64_t exportable_records(const TypeTally& tally, const CameraTypeList& types);

// The same export for records that arrive a batch at a time, in file order. Nothing replaces
// the old file before finish(); an export that is never finished leaves it as it was.
class CsvExport {
  public:
    // Opens the new file and writes the banner; a failure shows in finish().
    CsvExport(const CameraTypeList& types, const std::wstring& path,
              std::uint64_t cap = kExportSizeCap);
    ~CsvExport();
    CsvExport(const CsvExport&) = delete;
    CsvExport& operator=(const CsvExport&) = delete;
    // Writes the lines of the records; false once the cap is reached or memory ran out. After
    // a failed write the lines are still counted.
    bool add(const RecordList& records) noexcept;
    bool add(const SpeedcamRecord& record) noexcept;
    // The bytes and objects of the lines so far, as plan_export counts them; `exportable`
    // counts only these objects.
    ExportPlan written() const;
    // Makes the file whole on the device and puts it in place of the old one.
    ExportResult finish() noexcept;

  private:
    bool writing() const;
    struct State;
    std::unique_ptr<State> state_;
};

// What each record adds to the export: the bytes and the number of its lines, none when no
// enabled type carries its id. A view over a subset of the records (a rectangle on the map)
// plans from these without reading the records again.
struct ExportShare {
    std::uint32_t bytes = 0;
    std::uint32_t lines = 0;
};
std::vector<ExportShare> export_shares(const RecordList& records, const CameraTypeList& types);
// The plan for the records that `kept` marks (all when it is null), in their order.
ExportPlan plan_export(std::span<const ExportShare> shares, const std::vector<bool>* kept,
                       std::uint64_t cap = kExportSizeCap, ExportOrder order = {});
// What an export counts against the cap before its first record: the banner, as every line,
// counts its bytes and one more.
std::uint64_t export_start_count();
