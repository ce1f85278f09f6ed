// The camera types met in the loaded records, with their counts, as the type list shows them.
#pragma once

#include <cstdint>
#include <vector>

#include "records.h"

struct TypeSummaryRow {
    CameraType* type;  // the first table entry with this id
    std::uint64_t count;
};

// One row per distinct type_id that has an entry in the type table, in the order the ids
// are first met in the records. Records whose type has no entry are not summarised.
std::vector<TypeSummaryRow> summarize_types(const RecordList& records, CameraTypeList& types);
// The same from the tally of records that are no longer held.
std::vector<TypeSummaryRow> summarize_types(const TypeTally& tally, CameraTypeList& types);

// Whether the file seems to be read in the wrong dialect: it has objects, none of them of a
// type in the table of the dialect it was read in, and most of them of types in the other
// dialect's table. Such a file would export nothing.
bool fits_other_dialect(const TypeTally& tally, const CameraTypeList& chosen,
                        const CameraTypeList& other);
