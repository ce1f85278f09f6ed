#include "type_summary.h"

#include <unordered_map>

std::vector<TypeSummaryRow> summarize_types(AppState& state) {
    std::unordered_map<std::int32_t, CameraType*> first_entry;
    for (std::uint32_t i = state.types.size(); i-- > 0;)
        first_entry[state.types[i].id] = &state.types[i];

    std::vector<TypeSummaryRow> rows;
    std::unordered_map<std::int32_t, std::size_t> row_of;  // id -> row, or npos without entry
    constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);
    std::int32_t last_id = 0;
    std::size_t last_row = kNoEntry;
    bool have_last = false;
    for (std::uint32_t r = 0; r < state.records.size(); ++r) {
        const std::int32_t id = state.records[r].type_id;
        if (!have_last || id != last_id) {
            auto [it, inserted] = row_of.try_emplace(id, kNoEntry);
            if (inserted) {
                const auto entry = first_entry.find(id);
                if (entry != first_entry.end()) {
                    it->second = rows.size();
                    rows.push_back({entry->second, 0});
                }
            }
            last_id = id, last_row = it->second, have_last = true;
        }
        if (last_row != kNoEntry) ++rows[last_row].count;
    }
    return rows;
}
