// The camera types met in the loaded records, with their counts, as the type list shows them.
#pragma once

#include <cstdint>
#include <vector>

#include "records.h"

struct TypeSummaryRow {
    CameraType* type;  // the first table entry with this id; null when the table has none
    std::int32_t id;
    std::uint64_t count;
};

// One row per distinct type_id, in the order the ids are first met in the records. The
// records of a type the table does not have are never exported; their row shows how many
// they are.
std::vector<TypeSummaryRow> summarize_types(const RecordList& records, CameraTypeList& types);
// The same from the tally of records that are no longer held.
std::vector<TypeSummaryRow> summarize_types(const TypeTally& tally, CameraTypeList& types);
// The records of the rows whose type is not in the table.
std::uint64_t records_of_unknown_types(const std::vector<TypeSummaryRow>& rows);

// Whether the file seems to be read in the wrong dialect: it has objects, none of them of a
// type in the table of the dialect it was read in, and most of them of types in the other
// dialect's table. Such a file would export nothing.
bool fits_other_dialect(const TypeTally& tally, const CameraTypeList& chosen,
                        const CameraTypeList& other);
