#include "type_summary.h"

#include <unordered_map>

std::vector<TypeSummaryRow> summarize_types(const RecordList& records, CameraTypeList& types) {
    return summarize_types(records.type_tally(), types);
}

std::vector<TypeSummaryRow> summarize_types(const TypeTally& tally, CameraTypeList& types) {
    std::unordered_map<std::int32_t, CameraType*> first_entry;
    for (std::size_t i = types.size(); i-- > 0;) first_entry[types[i].id] = &types[i];

    std::vector<TypeSummaryRow> rows;
    for (const TypeTally::Count& met : tally.counts()) {
        const auto entry = first_entry.find(met.id);
        if (entry != first_entry.end()) rows.push_back({entry->second, met.records});
    }
    return rows;
}
