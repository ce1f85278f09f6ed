#include "records.h"

#include <algorithm>
#include <cwchar>

#include "app_state.h"

void clear_records(AppState& state) {
    state.records.clear();
}

const wchar_t* TextStore::add(std::wstring_view text) noexcept {
    const std::size_t need = text.size() + 1;
    if (used_ + need > kChunk || chunks_.empty()) {
        try {
            chunks_.push_back(std::make_unique_for_overwrite<wchar_t[]>(std::max(need, kChunk)));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        used_ = 0;
    }
    wchar_t* kept = chunks_.back().get() + used_;
    std::wmemcpy(kept, text.data(), text.size());
    kept[text.size()] = L'\0';
    used_ += need;
    return kept;
}

void TextStore::clear() noexcept {
    chunks_.clear();
    chunks_.shrink_to_fit();
    used_ = kChunk;
}

bool append_record(AppState& state, const SpeedcamRecord& record) {
    SpeedcamRecord* slot = state.records.append_zeroed();
    if (slot == nullptr) return false;
    *slot = record;
    // The comment must live as long as this list, not as long as the caller's text.
    slot->comment = state.records.keep_comment(record.comment ? record.comment : L"");
    return true;
}

void clear_camera_types(AppState& state) {
    state.types.clear();
}

bool append_camera_type(AppState& state, const CameraType& type) {
    CameraType* slot = state.types.append_zeroed();
    if (slot == nullptr) return false;
    *slot = type;
    return true;
}

bool area_filter_on(const AreaFilter& filter) {
    return filter.west != 0 && filter.north != 0 && filter.east != 0 && filter.south != 0;
}

bool same_record(const SpeedcamRecord& a, const SpeedcamRecord& b) {
    return std::wcscmp(a.x_text, b.x_text) == 0 && std::wcscmp(a.y_text, b.y_text) == 0 &&
           std::wcscmp(a.comment, b.comment) == 0 && a.type_id == b.type_id &&
           a.speed_limit == b.speed_limit && a.column6_value == b.column6_value;
}
