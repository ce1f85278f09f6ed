#include "type_summary.h"

#include <unordered_map>

namespace {

constexpr std::size_t kUnseen = static_cast<std::size_t>(-2);
constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);  // met, but not in the table

// Row of each type id met so far. Ids of real files are small, so those are looked up
// directly; a file may hold any other 32-bit id.
class RowIndex {
  public:
    std::size_t& operator[](std::int32_t id) {
        if (id >= 0 && static_cast<std::size_t>(id) < kDirect) return direct_[id];
        return other_.try_emplace(id, kUnseen).first->second;
    }

  private:
    static constexpr std::size_t kDirect = 4096;
    std::vector<std::size_t> direct_ = std::vector<std::size_t>(kDirect, kUnseen);
    std::unordered_map<std::int32_t, std::size_t> other_;
};

}  // namespace

std::vector<TypeSummaryRow> summarize_types(AppState& state) {
    std::unordered_map<std::int32_t, CameraType*> first_entry;
    for (std::uint32_t i = state.types.size(); i-- > 0;)
        first_entry[state.types[i].id] = &state.types[i];

    std::vector<TypeSummaryRow> rows;
    RowIndex row_of;
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
