// Speedcam objects and camera types, and the two lists that hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "geo_point.h"
#include "id_table.h"

struct SpeedcamRecord {
    // Only digits, '-' and '.' ever reach the coordinate texts, so they are kept one byte a
    // character: a million objects take 88 MB instead of 152 (276 where wchar_t is 4 bytes).
    char x_text[32];  // longitude as written in the file, at most 31 characters
    char y_text[32];  // latitude as written in the file
    // At most 127 characters. Most objects have a short comment or none, so comments live in
    // the record list's text store rather than in a 128-character field of every record.
    const wchar_t* comment = L"";
    std::int32_t type_id;
    std::int32_t speed_limit;
    std::int32_t column6_value;
};

// Same object: same texts and numbers, wherever the comment is stored.
bool same_record(const SpeedcamRecord& a, const SpeedcamRecord& b);

struct CameraType {
    std::int32_t id;
    wchar_t description[128];     // at most 126 characters are ever stored
    wchar_t message_format[128];  // may hold the placeholder %SPEED%
    std::uint8_t export_enabled;
};

// Zero-terminated texts in chunks; a text keeps its address as long as its store, or the
// store that took over its chunks, lives.
class TextStore {
  public:
    const wchar_t* add(std::wstring_view text) noexcept;
    // Takes over the other store's texts; their addresses do not change. False, with both
    // stores unchanged, when memory ran out.
    bool take(TextStore&& other) noexcept;
    void clear() noexcept { *this = TextStore(); }
    // Empties the store but keeps its chunks for the texts added next.
    void recycle() noexcept;

  private:
    struct Chunk {
        std::unique_ptr<wchar_t[]> text;
        std::size_t size;
    };
    std::vector<Chunk> chunks_;
    std::vector<Chunk> spare_;  // emptied chunks, the largest last
    std::size_t used_ = 0;      // of the last chunk
};

// How many records of each type id a list holds, in the order the ids are first met.
class TypeTally {
  public:
    struct Count {
        std::int32_t id;
        std::uint64_t records;
    };
    // Both may throw std::bad_alloc.
    void add(std::int32_t id, std::uint64_t records = 1);
    void add_all(const TypeTally& other);
    const std::vector<Count>& counts() const { return counts_; }

  private:
    std::vector<Count> counts_;
    IdTable<std::uint32_t> index_{UINT32_MAX};  // id to its place in counts_
};

// The loaded objects in file order, with the store of their comments. Records live in
// segments that never move, so that a batch of records parsed on another thread joins the
// list without a copy.
class RecordList {
  public:
    std::uint32_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Records are changed only while they are appended (append_zeroed).
    const SpeedcamRecord& operator[](std::size_t i) const;
    // Calls f(record) for the records in order; an f that returns bool stops the walk by
    // returning false.
    template <typename F>
    void for_each(F&& f) const {
        for (const Segment& s : segments_) {
            for (std::uint32_t i = 0; i < s.size; ++i) {
                if constexpr (std::is_same_v<decltype(f(s.records[i])), bool>) {
                    if (!f(s.records[i])) return;
                } else {
                    f(s.records[i]);
                }
            }
        }
    }

    // The records of each type. Counted once and kept until the list changes; a list whose
    // tally is counted when its records are fresh in the cache hands it on to the list that
    // takes it over. May throw std::bad_alloc.
    const TypeTally& type_tally() const;
    // The places of the records, in order, read from their coordinate texts as the area filter
    // reads them. Read once and kept, like the tally, and read on the worker thread that
    // parsed a batch when the reader is asked to. May throw std::bad_alloc.
    const std::vector<GeoPoint>& places() const;

    // A zero-filled record at the end, or null when memory ran out (the list is unchanged).
    // It is the caller's to fill until the next change of the list.
    SpeedcamRecord* append_zeroed() noexcept;
    // Undoes the last append_zeroed (a line that turned out to be rejected).
    void drop_last() noexcept;
    // Removes the records whose flag is set, one flag a record in list order; the others keep
    // their order. The room they took stays the list's.
    void remove_flagged(std::span<const std::uint8_t> drop) noexcept;
    // A lasting copy of a comment for a record of this list; "" when memory ran out.
    const wchar_t* keep_comment(std::wstring_view text) noexcept;
    // Moves every record of `other`, and the comments they point at, to the end of this list.
    // False, with both lists unchanged, when memory ran out.
    bool take(RecordList&& other) noexcept;
    void clear() noexcept { *this = RecordList(); }
    // Objects of the file that the area filter kept out of the list: the window tells the user
    // how many the filter hides. A list that takes another takes its count too.
    std::uint64_t kept_out() const { return kept_out_; }
    void count_kept_out() noexcept { ++kept_out_; }
    // Empties the list but keeps its memory for the records appended next: a reader that lets
    // each batch go after looking at it would otherwise touch fresh memory for every batch,
    // which costs more than parsing it.
    void recycle() noexcept;

  private:
    // Segments are taken from the heap uninitialised: a record is written only when it is
    // appended, so that memory no record reaches is never touched.
    struct Free {
        void operator()(SpeedcamRecord* records) const noexcept;
    };
    struct Segment {
        std::unique_ptr<SpeedcamRecord[], Free> records;
        std::uint32_t size = 0;
        std::uint32_t capacity = 0;
    };
    std::vector<Segment> segments_;
    std::vector<Segment> spare_;       // emptied segments, the largest last
    std::vector<std::uint32_t> ends_;  // the count of records up to the end of each segment
    std::uint32_t count_ = 0;
    std::uint64_t kept_out_ = 0;
    TextStore comments_;
    mutable std::optional<TypeTally> tally_;
    mutable std::optional<std::vector<GeoPoint>> places_;
};

using CameraTypeList = std::vector<CameraType>;

void clear_records(RecordList& records);
// Copies the record, and its comment, to the end of the list; false when the list cannot grow.
bool append_record(RecordList& records, const SpeedcamRecord& record);
void clear_camera_types(CameraTypeList& types);
bool append_camera_type(CameraTypeList& types, const CameraType& type);
