#include "type_summary.h"

#include <unordered_map>
#include <unordered_set>

std::vector<TypeSummaryRow> summarize_types(const RecordList& records, CameraTypeList& types) {
    return summarize_types(records.type_tally(), types);
}

std::vector<TypeSummaryRow> summarize_types(const TypeTally& tally, CameraTypeList& types) {
    std::unordered_map<std::int32_t, CameraType*> first_entry;
    for (std::size_t i = types.size(); i-- > 0;) first_entry[types[i].id] = &types[i];

    std::vector<TypeSummaryRow> rows;
    for (const TypeTally::Count& met : tally.counts()) {
        const auto entry = first_entry.find(met.id);
        rows.push_back({entry != first_entry.end() ? entry->second : nullptr, met.id, met.records});
    }
    return rows;
}

std::uint64_t records_of_unknown_types(const std::vector<TypeSummaryRow>& rows) {
    std::uint64_t records = 0;
    for (const TypeSummaryRow& row : rows)
        if (row.type == nullptr) records += row.count;
    return records;
}

bool fits_other_dialect(const TypeTally& tally, const CameraTypeList& chosen,
                        const CameraTypeList& other) {
    // A hostile file may hold millions of distinct ids, a damaged table 65,536 entries.
    const auto ids = [](const CameraTypeList& types) {
        std::unordered_set<std::int32_t> set;
        for (const CameraType& type : types) set.insert(type.id);
        return set;
    };
    const std::unordered_set<std::int32_t> in_chosen = ids(chosen), in_other = ids(other);
    std::uint64_t objects = 0, of_other = 0;
    for (const TypeTally::Count& met : tally.counts()) {
        if (in_chosen.contains(met.id)) return false;
        objects += met.records;
        if (in_other.contains(met.id)) of_other += met.records;
    }
    return of_other > objects / 2;
}
