#include "records.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "parser.h"

namespace {

// Sizes double from a small first block, so that a short file costs little, up to blocks of
// 2 MiB.
constexpr std::size_t kFirstRecords = 64;
constexpr std::size_t kMaxRecords = (std::size_t{2} << 20) / sizeof(SpeedcamRecord);
constexpr std::size_t kFirstChunk = 4096;
constexpr std::size_t kMaxChunk = (std::size_t{2} << 20) / sizeof(wchar_t);

std::size_t next_size(std::size_t last, std::size_t first, std::size_t max) {
    return last == 0 ? first : std::min(2 * last, max);
}

// Moves the pieces in use to the spares, in order, so the largest comes last; false, with
// nothing moved, when memory ran out.
template <typename Piece>
bool to_spares(std::vector<Piece>& used, std::vector<Piece>& spares) noexcept {
    try {
        spares.reserve(spares.size() + used.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (Piece& piece : used) spares.push_back(std::move(piece));
    used.clear();
    return true;
}

}  // namespace

const wchar_t* TextStore::add(std::wstring_view text) noexcept {
    const std::size_t need = text.size() + 1;
    if (chunks_.empty() || used_ + need > chunks_.back().size) {
        try {
            chunks_.reserve(chunks_.size() + 1);
            if (!spare_.empty() && spare_.back().size >= need) {
                chunks_.push_back(std::move(spare_.back()));
                spare_.pop_back();
            } else {
                const std::size_t last = chunks_.empty() ? 0 : chunks_.back().size;
                const std::size_t size = std::max(need, next_size(last, kFirstChunk, kMaxChunk));
                chunks_.push_back({std::make_unique_for_overwrite<wchar_t[]>(size), size});
            }
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        used_ = 0;
    }
    wchar_t* kept = chunks_.back().text.get() + used_;
    std::wmemcpy(kept, text.data(), text.size());
    kept[text.size()] = L'\0';
    used_ += need;
    return kept;
}

bool TextStore::take(TextStore&& other) noexcept {
    if (other.chunks_.empty()) return true;
    try {
        chunks_.reserve(chunks_.size() + other.chunks_.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (auto& chunk : other.chunks_) chunks_.push_back(std::move(chunk));
    used_ = other.used_;
    other = TextStore();
    return true;
}

void TextStore::recycle() noexcept {
    if (!to_spares(chunks_, spare_)) return clear();
    used_ = 0;
}

void RecordList::Free::operator()(SpeedcamRecord* records) const noexcept {
    std::free(records);
}

void TypeTally::add(std::int32_t id, std::uint64_t records) {
    std::uint32_t& at = index_[id];
    if (at == UINT32_MAX) {
        counts_.push_back({id, 0});
        at = static_cast<std::uint32_t>(counts_.size() - 1);
    }
    counts_[at].records += records;
}

void TypeTally::add_all(const TypeTally& other) {
    for (const Count& c : other.counts_) add(c.id, c.records);
}

const TypeTally& RecordList::type_tally() const {
    if (!tally_) {
        TypeTally tally;
        for_each([&](const SpeedcamRecord& r) { tally.add(r.type_id); });
        tally_ = std::move(tally);
    }
    return *tally_;
}

const std::vector<GeoPoint>& RecordList::places() const {
    if (!places_) {
        std::vector<GeoPoint> places;
        places.reserve(count_);
        for_each([&](const SpeedcamRecord& r) {
            places.push_back({coordinate_to_double(r.x_text), coordinate_to_double(r.y_text)});
        });
        places_ = std::move(places);
    }
    return *places_;
}

const SpeedcamRecord& RecordList::operator[](std::size_t i) const {
    if (segments_.size() == 1) return segments_[0].records[i];
    const auto segment = std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin();
    const std::size_t start = segment == 0 ? 0 : ends_[static_cast<std::size_t>(segment) - 1];
    return segments_[static_cast<std::size_t>(segment)].records[i - start];
}

SpeedcamRecord* RecordList::append_zeroed() noexcept {
    if (count_ == UINT32_MAX) return nullptr;
    if (segments_.empty() || segments_.back().size == segments_.back().capacity) {
        const std::size_t last = segments_.empty() ? 0 : segments_.back().capacity;
        const std::size_t capacity = next_size(last, kFirstRecords, kMaxRecords);
        try {
            segments_.reserve(segments_.size() + 1);
            ends_.reserve(ends_.size() + 1);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        if (!spare_.empty()) {
            segments_.push_back(std::move(spare_.back()));
            spare_.pop_back();
        } else {
            auto* records =
                static_cast<SpeedcamRecord*>(std::malloc(capacity * sizeof(SpeedcamRecord)));
            if (records == nullptr) return nullptr;
            segments_.push_back({std::unique_ptr<SpeedcamRecord[], Free>(records), 0,
                                 static_cast<std::uint32_t>(capacity)});
        }
        ends_.push_back(count_);
    }
    tally_.reset();
    places_.reset();
    Segment& segment = segments_.back();
    SpeedcamRecord* record = &segment.records[segment.size++];
    // A copy of fixed size compiles to a few stores, where assigning a new record may not.
    static constexpr SpeedcamRecord kEmpty{};
    std::memcpy(static_cast<void*>(record), &kEmpty, sizeof kEmpty);
    ++ends_.back();
    ++count_;
    return record;
}

void RecordList::drop_last() noexcept {
    if (count_ == 0) return;
    tally_.reset();
    places_.reset();
    auto segment = segments_.rbegin();
    while (segment->size == 0) ++segment;  // a taken list may end in an empty segment
    --segment->size;
    for (auto end = ends_.rbegin(); end != ends_.rend() && *end == count_; ++end) --*end;
    --count_;
}

void RecordList::remove_flagged(std::span<const std::uint8_t> drop) noexcept {
    // The kept records move forward into the slots of the list as it is; a record is never
    // written past the one being read, so nothing is overwritten before it has been read.
    std::size_t to_segment = 0;
    std::uint32_t to = 0, kept = 0;
    std::size_t at = 0;
    for (Segment& from : segments_) {
        for (std::uint32_t i = 0; i < from.size; ++i, ++at) {
            if (at < drop.size() && drop[at] != 0) continue;
            while (to == segments_[to_segment].size) ++to_segment, to = 0;
            segments_[to_segment].records[to++] = from.records[i];
            ++kept;
        }
    }
    if (kept == count_) return;
    // Segments after the last one written are left empty, where later records may go.
    for (std::size_t s = 0; s < segments_.size(); ++s) {
        if (s == to_segment) segments_[s].size = to;
        if (s > to_segment) segments_[s].size = 0;
        ends_[s] = (s == 0 ? 0 : ends_[s - 1]) + segments_[s].size;
    }
    count_ = kept;
    tally_.reset();
    if (places_) {
        std::size_t place = 0;
        for (std::size_t i = 0; i < places_->size(); ++i)
            if (i >= drop.size() || drop[i] == 0) (*places_)[place++] = (*places_)[i];
        places_->resize(place);
    }
}

const wchar_t* RecordList::keep_comment(std::wstring_view text) noexcept {
    if (text.empty()) return L"";
    const wchar_t* kept = comments_.add(text);
    return kept ? kept : L"";
}

bool RecordList::take(RecordList&& other) noexcept {
    if (other.count_ > UINT32_MAX - count_) return false;
    try {
        segments_.reserve(segments_.size() + other.segments_.size());
        ends_.reserve(ends_.size() + other.ends_.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Room is reserved, so nothing below can fail once the comments have moved.
    if (!comments_.take(std::move(other.comments_))) return false;
    // What is worked out from the records (the tally, the places) joins only when both lists
    // have it; otherwise this list works it out afresh when asked.
    const auto join = [this](auto& mine, auto& theirs, const auto& add) {
        try {
            if (mine && theirs)
                add(*mine, *theirs);
            else if (count_ == 0)
                mine = std::move(theirs);
            else
                mine.reset();
        } catch (const std::bad_alloc&) {
            mine.reset();
        }
    };
    join(tally_, other.tally_, [](TypeTally& a, const TypeTally& b) { a.add_all(b); });
    join(places_, other.places_, [](std::vector<GeoPoint>& a, const std::vector<GeoPoint>& b) {
        a.insert(a.end(), b.begin(), b.end());
    });
    for (std::size_t i = 0; i < other.segments_.size(); ++i) {
        segments_.push_back(std::move(other.segments_[i]));
        ends_.push_back(count_ + other.ends_[i]);
    }
    count_ += other.count_;
    kept_out_ += other.kept_out_;
    other.clear();
    return true;
}

void RecordList::recycle() noexcept {
    for (Segment& segment : segments_) segment.size = 0;
    if (!to_spares(segments_, spare_)) return clear();
    ends_.clear();
    count_ = 0;
    kept_out_ = 0;
    tally_.reset();
    places_.reset();
    comments_.recycle();
}

void clear_records(RecordList& records) {
    records.clear();
}

bool append_record(RecordList& records, const SpeedcamRecord& record) {
    SpeedcamRecord* slot = records.append_zeroed();
    if (slot == nullptr) return false;
    *slot = record;
    // The comment must live as long as this list, not as long as the caller's text.
    slot->comment = records.keep_comment(record.comment ? record.comment : L"");
    return true;
}

void clear_camera_types(CameraTypeList& types) {
    types.clear();
    types.shrink_to_fit();
}

bool append_camera_type(CameraTypeList& types, const CameraType& type) {
    try {
        types.push_back(type);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool same_record(const SpeedcamRecord& a, const SpeedcamRecord& b) {
    return std::strcmp(a.x_text, b.x_text) == 0 && std::strcmp(a.y_text, b.y_text) == 0 &&
           std::wcscmp(a.comment, b.comment) == 0 && a.type_id == b.type_id &&
           a.speed_limit == b.speed_limit && a.column6_value == b.column6_value;
}
