#include "records.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "app_state.h"

void clear_records(AppState& state) {
    state.records.clear();
}

const wchar_t* TextStore::add(std::wstring_view text) noexcept {
    const std::size_t need = text.size() + 1;
    if (used_ + need > size_) {
        // The next chunk kept from before, or a new one.
        const std::size_t next = chunks_.empty() ? 0 : current_ + 1;
        if (next == chunks_.size() || chunks_[next].count() < need) {
            const std::size_t size = std::max(need, chunks_.empty() ? kFirstChunk : kChunk);
            try {
                Block<wchar_t> chunk(size);
                if (chunk.get() == nullptr) return nullptr;
                chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(next),
                               std::move(chunk));
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        }
        current_ = next;
        used_ = 0;
        size_ = chunks_[next].count();
    }
    wchar_t* kept = chunks_[current_].get() + used_;
    std::wmemcpy(kept, text.data(), text.size());
    kept[text.size()] = L'\0';
    used_ += need;
    return kept;
}

void TextStore::clear() noexcept {
    chunks_.clear();
    chunks_.shrink_to_fit();
    current_ = used_ = size_ = 0;
}

void TextStore::reuse() noexcept {
    current_ = used_ = 0;
    size_ = chunks_.empty() ? 0 : chunks_[0].count();
}

void RecordList::append_all(const RecordList& other) noexcept {
    other.for_each_run([this](const SpeedcamRecord* records, std::size_t n) {
        const std::size_t first = size();
        const std::size_t copied = append_copies(records, n);
        // The comments must live as long as this list, not as long as the other one.
        for (std::size_t i = first; i < first + copied; ++i) {
            SpeedcamRecord& r = (*this)[i];
            if (r.comment[0] != L'\0') r.comment = keep_comment(r.comment);
        }
    });
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
    return std::strcmp(a.x_text, b.x_text) == 0 && std::strcmp(a.y_text, b.y_text) == 0 &&
           std::wcscmp(a.comment, b.comment) == 0 && a.type_id == b.type_id &&
           a.speed_limit == b.speed_limit && a.column6_value == b.column6_value;
}
