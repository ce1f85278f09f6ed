#include "type_summary.h"

#include <unordered_map>

#include "id_table.h"

namespace {

constexpr std::size_t kUnseen = static_cast<std::size_t>(-2);
constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);  // met, but not in the table

}  // namespace

std::vector<TypeSummaryRow> summarize_types(AppState& state) {
    std::unordered_map<std::int32_t, CameraType*> first_entry;
    for (std::uint32_t i = state.types.size(); i-- > 0;)
        first_entry[state.types[i].id] = &state.types[i];

    std::vector<TypeSummaryRow> rows;
    IdTable<std::size_t> row_of(kUnseen);
    state.records.for_each([&](const SpeedcamRecord& record) {
        std::size_t& row = row_of[record.type_id];
        if (row == kUnseen) {
            const auto entry = first_entry.find(record.type_id);
            row = entry == first_entry.end() ? kNoEntry : rows.size();
            if (row != kNoEntry) rows.push_back({entry->second, 0});
        }
        if (row != kNoEntry) ++rows[row].count;
    });
    return rows;
}
