#include "repeats.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <numbers>
#include <optional>
#include <utility>

#include "places.h"

// The earth is cut into rows of kCell metres from south to north, and each row into cells at
// least kCell metres wide even at its edge nearer the pole; a row near the pole is one cell.
// A kept object is stored under its type and its own cell; an object is looked for in its own
// cell and in the cells next to it within 10 m, which is none for most. Each slot holds the
// cell, the type and the place within the cell to a micrometre, 16 bytes, so that a million
// kept objects touch 20 MB rather than the 60 MB of the records themselves. Only a
// cell and no trigonometry is worked out for every object; the distance itself is measured
// only to an object of the same type in a cell looked in.
namespace {

constexpr double kCell = 100;
constexpr double kMetresPerDegree = kEarthRadiusMetres * std::numbers::pi / 180;
constexpr double kRowDegrees = kCell / kMetresPerDegree;
constexpr auto kRows = static_cast<std::uint32_t>(180 / kRowDegrees) + 1;
// Where a cell is narrowest, 10 m are at most this part of its width or height; a little
// more, so that rounding never hides a cell within reach.
constexpr double kReach = kRepeatMetres / kCell * 1.001;

// A slot's first 64 bits: row + 1 (so that no slot in use is 0), the cell within the row, and
// the place within the cell from south to north.
constexpr int kRowBits = 18, kColumnBits = 19, kNorthBits = 64 - kRowBits - kColumnBits;
static_assert(180 / kRowDegrees + 2 < (1 << kRowBits));
static_assert(360 / kRowDegrees < (1 << kColumnBits));
constexpr std::uint64_t kNorthMask = (std::uint64_t{1} << kNorthBits) - 1;

constexpr std::size_t kLineSlots = 4;  // 64 bytes
constexpr std::size_t kFirstSlots = 1024;
constexpr double kMaxLoad = 0.9;
constexpr double kNorthSteps = static_cast<double>(std::uint64_t{1} << kNorthBits);
constexpr double kEastSteps = 4294967296.0;

std::uint64_t mix(std::uint64_t k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdULL;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ULL;
    return k ^ (k >> 33);
}

// The cells of a row: as many as fit where the row is narrowest, at least one. Each row's is
// worked out when first needed, by whichever thread needs it first; they all get one number.
std::uint32_t columns(std::uint32_t row) {
    static std::vector<std::atomic<std::uint32_t>> cells(kRows);
    std::uint32_t n = cells[row].load(std::memory_order_relaxed);
    if (n == 0) {
        const double south = row * kRowDegrees - 90, north = south + kRowDegrees;
        const double edge = std::min(std::max(std::fabs(south), std::fabs(north)), 90.0);
        n = std::max(1u, static_cast<std::uint32_t>(360 * std::cos(edge * std::numbers::pi / 180) /
                                                    kRowDegrees));
        cells[row].store(n, std::memory_order_relaxed);
    }
    return n;
}

std::uint64_t cell_of(std::uint32_t row, std::uint32_t column) {
    return ((std::uint64_t{row} + 1) << kColumnBits | column) << kNorthBits;
}

// A cell's south-west corner and its width in degrees.
struct CellShape {
    GeoPoint corner;
    double width;
};
CellShape shape_of(std::uint64_t cell) {
    const auto row = static_cast<std::uint32_t>((cell >> (kNorthBits + kColumnBits)) - 1);
    const auto column = static_cast<std::uint32_t>(cell >> kNorthBits & ((1u << kColumnBits) - 1));
    const double width = 360.0 / columns(row);
    return {{column * width - 180, row * kRowDegrees - 90}, width};
}

// A part of a cell, 0 to 1, in `steps`.
std::uint64_t steps_of(double part, double steps) {
    return static_cast<std::uint64_t>(std::clamp(part * steps + 0.5, 0.0, steps - 1));
}

}  // namespace

struct RepeatFilter::Slot {
    std::uint64_t cell_north;  // 0: empty
    std::int32_t type;
    std::uint32_t east;  // the place within the cell from west to east
};

// An object's place is read again from its record for the few measured: kept small, the
// places of a list cost the thread that keeps the table less to read.
struct RepeatFilter::Place {
    Slot slot;            // what keeping it stores
    std::uint32_t first;  // of its looks; the first is its own cell
    std::uint8_t looks;   // 0: no place on the earth, never a repeat
};

// A cell to look in, and where its slots start.
struct RepeatFilter::Look {
    std::uint64_t cell;  // with the place's own bits 0
    std::size_t home;
};

struct RepeatFilter::Prepared {
    std::vector<Place> places;
    std::vector<Look> looks;
    std::size_t capacity = 0;  // of the table the looks' homes were worked out for
};

RepeatFilter::RepeatFilter() = default;
RepeatFilter::~RepeatFilter() = default;

std::size_t RepeatFilter::home_of(std::uint64_t cell, std::int32_t type, std::size_t capacity) {
    // Any number of lines spreads the keys evenly, not only powers of two.
    __extension__ using Wide = unsigned __int128;
    const std::uint64_t key = mix(cell * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint32_t>(type));
    const std::size_t lines = capacity / kLineSlots;
    return static_cast<std::size_t>((static_cast<Wide>(key) * lines) >> 64) * kLineSlots;
}

void RepeatFilter::reserve(std::uint64_t more) {
    const std::uint64_t objects = used_ + more;
    if (static_cast<double>(objects) > kMaxLoad * static_cast<double>(capacity_.load()))
        grow(objects);
}

void RepeatFilter::grow(std::uint64_t objects) {
    static_assert(sizeof(Slot) * kLineSlots == 64);
    std::size_t capacity = std::max(
        kFirstSlots, static_cast<std::size_t>(static_cast<double>(objects) / kMaxLoad) + 1);
    capacity = (capacity + kLineSlots - 1) / kLineSlots * kLineSlots;
    TableMemory memory = table_memory(capacity * sizeof(Slot));
    if (!memory) throw std::bad_alloc();
    // Zero-filled, and a slot of zeros is empty.
    Slot* const old = std::exchange(slots_, static_cast<Slot*>(memory.get()));
    std::swap(memory, memory_);
    const std::size_t old_capacity = capacity_.exchange(capacity);
    for (std::size_t i = 0; i < old_capacity; ++i) {
        if (old[i].cell_north == 0) continue;
        std::size_t at = home_of(old[i].cell_north & ~kNorthMask, old[i].type, capacity);
        while (slots_[at].cell_north != 0) at = at + 1 == capacity ? 0 : at + 1;
        slots_[at] = old[i];
    }
}

bool RepeatFilter::is_repeat(const Place& p, const std::vector<Look>& looks,
                             const SpeedcamRecord& record) const {
    const std::size_t capacity = capacity_.load(std::memory_order_relaxed);
    std::optional<GeoPoint> at;
    for (std::uint32_t l = p.first; l < p.first + p.looks; ++l) {
        const Look& look = looks[l];
        for (std::size_t i = look.home; slots_[i].cell_north != 0;
             i = i + 1 == capacity ? 0 : i + 1) {
            const Slot& s = slots_[i];
            if ((s.cell_north & ~kNorthMask) != look.cell || s.type != p.slot.type) continue;
            const auto north = static_cast<double>(s.cell_north & kNorthMask);
            const CellShape cell = shape_of(look.cell);
            const GeoPoint kept{cell.corner.lon + s.east / kEastSteps * cell.width,
                                cell.corner.lat + north / kNorthSteps * kRowDegrees};
            if (!at) at = place_of(record);
            if (distance_metres(kept, *at) <= kRepeatMetres) return true;
        }
    }
    return false;
}

void RepeatFilter::insert(const Place& p, const Look& own) {
    const std::size_t capacity = capacity_.load(std::memory_order_relaxed);
    std::size_t i = own.home;
    while (slots_[i].cell_north != 0) i = i + 1 == capacity ? 0 : i + 1;
    slots_[i] = p.slot;
    ++used_;
}

void RepeatFilter::look_up_places(const RecordList& records, Prepared& out) const {
    std::vector<Place>& places = out.places;
    std::vector<Look>& looks = out.looks;
    places.clear();
    looks.clear();
    places.reserve(records.size());
    // The homes are worked out for the table as it is now; a table grown since is seen.
    out.capacity = capacity_.load(std::memory_order_relaxed);
    // The cell at the place in a row, and those across its west and east edges when the place
    // lies that close to them; across the date line the cells go round. Returns the place's
    // part of the cell's width, west to east.
    const auto look_in_row = [&](std::uint32_t row, const GeoPoint& p) {
        const std::uint32_t cells = columns(row);
        const double x = (p.lon + 180) * cells / 360;
        const std::uint32_t own = std::min(static_cast<std::uint32_t>(x), cells - 1);
        const double within = x - own;
        const auto look = [&](std::uint32_t column) {
            const std::uint64_t cell = cell_of(row, column);
            looks.push_back({cell, home_of(cell, places.back().slot.type, out.capacity)});
            ++places.back().looks;
        };
        look(own);
        if (cells == 1) return within;
        if (within < kReach) look(own == 0 ? cells - 1 : own - 1);
        if (within > 1 - kReach && cells > 2) look(own + 1 == cells ? 0 : own + 1);
        return within;
    };
    records.for_each([&](const SpeedcamRecord& r) {
        Place& p = places.emplace_back();
        const GeoPoint at = place_of(r);
        p.slot.type = r.type_id;
        p.first = static_cast<std::uint32_t>(looks.size());
        p.looks = 0;
        if (!on_earth(at)) return;
        const double y = (at.lat + 90) / kRowDegrees;
        const std::uint32_t row = std::min(static_cast<std::uint32_t>(y), kRows - 1);
        const double east = look_in_row(row, at);
        p.slot.cell_north = looks[p.first].cell | steps_of(y - row, kNorthSteps);
        p.slot.east = static_cast<std::uint32_t>(steps_of(east, kEastSteps));
        if (y - row < kReach && row > 0) look_in_row(row - 1, at);
        if (y - row > 1 - kReach && row + 1 < kRows) look_in_row(row + 1, at);
    });
}

void RepeatFilter::prepare(RecordList& records) {
    std::unique_ptr<Prepared> prepared;
    {
        const std::lock_guard lock(mutex_);
        prepared_.reserve(prepared_.size() + 1);
        if (!spare_.empty()) {
            prepared = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    if (!prepared) prepared = std::make_unique<Prepared>();
    look_up_places(records, *prepared);
    const std::lock_guard lock(mutex_);
    for (auto& [list, earlier] : prepared_) {
        // Left by a list that was never handed on, whose room this one now has.
        if (list == &records) return std::swap(earlier, prepared);
    }
    prepared_.emplace_back(&records, std::move(prepared));  // room was reserved
}

std::uint32_t RepeatFilter::remove_repeats(RecordList& records) {
    std::unique_ptr<Prepared> prepared;
    {
        const std::lock_guard lock(mutex_);
        for (auto at = prepared_.begin(); at != prepared_.end(); ++at) {
            if (at->first != &records) continue;
            prepared = std::move(at->second);
            prepared_.erase(at);
            break;
        }
        if (!prepared && !spare_.empty()) {
            prepared = std::move(spare_.back());
            spare_.pop_back();
            prepared->places.clear();
        }
        spare_.reserve(spare_.size() + 1);
    }
    if (!prepared) prepared = std::make_unique<Prepared>();
    if (prepared->places.size() != records.size()) look_up_places(records, *prepared);
    const std::vector<Place>& places = prepared->places;
    std::vector<Look>& looks = prepared->looks;
    // Homes depend on the size of the table: when it has to grow for this list, they are
    // worked out again.
    reserve(places.size());
    const std::size_t capacity = capacity_.load();
    if (prepared->capacity != capacity) {
        for (const Place& p : places)
            for (std::uint32_t l = p.first; l < p.first + p.looks; ++l)
                looks[l].home = home_of(looks[l].cell, p.slot.type, capacity);
        prepared->capacity = capacity;
    }
    drop_.assign(places.size(), 0);
    std::uint32_t removed = 0;
    // The lines of the objects a little ahead are fetched while this one is looked at: with a
    // table larger than the caches, most of the time would otherwise go in waiting for them.
    constexpr std::size_t kAhead = 12;
    std::size_t i = 0;
    records.for_each([&](const SpeedcamRecord& record) {
        if (i + kAhead < places.size()) {
            const Place& ahead = places[i + kAhead];
            for (std::uint32_t l = ahead.first; l < ahead.first + ahead.looks; ++l)
                __builtin_prefetch(&slots_[looks[l].home]);
        }
        const Place& p = places[i++];
        if (p.looks == 0) return;
        if (used_ > 0 && is_repeat(p, looks, record)) {
            drop_[i - 1] = 1;
            ++removed;
        } else {
            insert(p, looks[p.first]);
        }
    });
    {
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(prepared));  // room was reserved
    }
    if (removed > 0) records.remove_flagged(drop_);
    return removed;
}
