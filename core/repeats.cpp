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
// cell, the type and the place within the cell to a few micrometres, 16 bytes, so that a
// million kept objects touch 20 MB rather than the 60 MB of the records themselves. Only a
// cell and no trigonometry is worked out for every object; the distance itself is measured
// only to an object of the same type in a cell looked in, and within 10 m of it from south to
// north.
namespace {

// Each cell next to an object's own that is looked in costs a line of the table that is
// seldom in the cache: cells of 200 m send a fifth of the objects to another cell, those of
// 100 m more than a third. Larger ones gain little more, and hold too many objects of one
// type where cameras are dense.
constexpr double kCell = 200;
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

// Rows are taken in bands, and every row of a band has as many cells as fit where the band is
// narrowest, at least one: cells are then a little wider than they need be, by a thousandth at
// most, and the counts of all the bands fit in the first-level cache, where those of every row
// would not.
constexpr std::uint32_t kBandRows = 64;
constexpr std::uint32_t kBands = (kRows + kBandRows - 1) / kBandRows;

std::uint32_t columns(std::uint32_t row) {
    static const std::vector<std::uint32_t> cells = [] {
        std::vector<std::uint32_t> n(kBands);
        for (std::uint32_t band = 0; band < kBands; ++band) {
            const double south = band * kBandRows * kRowDegrees - 90,
                         north = south + kBandRows * kRowDegrees;
            const double edge = std::min(std::max(std::fabs(south), std::fabs(north)), 90.0);
            n[band] =
                std::max(1u, static_cast<std::uint32_t>(
                                 360 * std::cos(edge * std::numbers::pi / 180) / kRowDegrees));
        }
        return n;
    }();
    return cells[row / kBandRows];
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

// The place from south to north, in the steps of a slot, counted from the south pole.
std::uint64_t north_of(std::uint64_t cell_north) {
    return cell_north >> (kNorthBits + kColumnBits) << kNorthBits | (cell_north & kNorthMask);
}
// The reach in those steps, and two more: a slot's place is rounded to the nearest step, and
// the step of the place nearest a row's north edge is the one below it.
constexpr std::uint64_t kReachSteps = static_cast<std::uint64_t>(kReach * kNorthSteps) + 2;

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
// places of a list cost the thread that keeps the table less to read. Most objects lie far
// enough inside their cell to be looked for there alone, so the cells next to it are listed
// apart, for the others only.
struct RepeatFilter::Place {
    Slot slot;  // what keeping it stores; its cell 0: no place on the earth, never a repeat
    std::uint32_t home;  // the line of the table where its own cell's slots start
    std::uint32_t next;  // 1 + the first of its looks in the cells next to its own; 0: none
};

// A cell next to an object's own to look in, and the line where its slots start.
struct RepeatFilter::Look {
    std::uint64_t cell;  // with the place's own bits 0
    std::uint32_t home;
    std::uint32_t last;  // of the object's looks
};

struct RepeatFilter::Prepared {
    std::vector<Place> places;
    std::vector<Look> looks;
    std::size_t capacity = 0;  // of the table the homes were worked out for
};

RepeatFilter::RepeatFilter() = default;
RepeatFilter::~RepeatFilter() = default;

std::uint32_t RepeatFilter::home_of(std::uint64_t cell, std::int32_t type, std::size_t capacity) {
    // Any number of lines spreads the keys evenly, not only powers of two.
    __extension__ using Wide = unsigned __int128;
    const std::uint64_t key = mix(cell * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint32_t>(type));
    const std::size_t lines = capacity / kLineSlots;
    return static_cast<std::uint32_t>((static_cast<Wide>(key) * lines) >> 64);
}

void RepeatFilter::reserve(std::uint64_t more) noexcept {
    try {
        make_room(more);
    } catch (const std::bad_alloc&) {
    }
}

// Throws std::bad_alloc when the room cannot be had: a table without room would never end
// a search.
void RepeatFilter::make_room(std::uint64_t more) {
    const std::uint64_t objects = used_ + more;
    if (static_cast<double>(objects) > kMaxLoad * static_cast<double>(capacity_.load()))
        grow(objects);
}

void RepeatFilter::grow(std::uint64_t objects) {
    static_assert(sizeof(Slot) * kLineSlots == 64);
    std::size_t capacity = std::max(
        kFirstSlots, static_cast<std::size_t>(static_cast<double>(objects) / kMaxLoad) + 1);
    capacity = (capacity + kLineSlots - 1) / kLineSlots * kLineSlots;
    // A line is named in 32 bits.
    if (capacity / kLineSlots > UINT32_MAX) throw std::bad_alloc();
    TableMemory memory = table_memory(capacity * sizeof(Slot));
    if (!memory) throw std::bad_alloc();
    // Zero-filled, and a slot of zeros is empty.
    Slot* const old = std::exchange(slots_, static_cast<Slot*>(memory.get()));
    std::swap(memory, memory_);
    const std::size_t old_capacity = capacity_.exchange(capacity);
    for (std::size_t i = 0; i < old_capacity; ++i) {
        if (old[i].cell_north == 0) continue;
        std::size_t at =
            std::size_t{home_of(old[i].cell_north & ~kNorthMask, old[i].type, capacity)} *
            kLineSlots;
        while (slots_[at].cell_north != 0) at = at + 1 == capacity ? 0 : at + 1;
        slots_[at] = old[i];
    }
}

bool RepeatFilter::is_repeat(const Place& p, const std::vector<Look>& looks,
                             const SpeedcamRecord& record, std::size_t& free) const {
    const std::size_t capacity = capacity_.load(std::memory_order_relaxed);
    std::optional<GeoPoint> at;
    const std::uint64_t own_north = north_of(p.slot.cell_north);
    const auto kept_near = [&](std::uint64_t cell, std::uint32_t home, std::size_t& end) {
        std::size_t i = std::size_t{home} * kLineSlots;
        for (; slots_[i].cell_north != 0; i = i + 1 == capacity ? 0 : i + 1) {
            const Slot& s = slots_[i];
            if ((s.cell_north & ~kNorthMask) != cell || s.type != p.slot.type) continue;
            // Farther apart from south to north than the reach is never nearer along the great
            // circle: most of a dense cell's objects are passed over without trigonometry.
            const std::uint64_t kept_north = north_of(s.cell_north);
            if ((kept_north > own_north ? kept_north - own_north : own_north - kept_north) >
                kReachSteps)
                continue;
            const auto north = static_cast<double>(s.cell_north & kNorthMask);
            const CellShape shape = shape_of(cell);
            const GeoPoint kept{shape.corner.lon + s.east / kEastSteps * shape.width,
                                shape.corner.lat + north / kNorthSteps * kRowDegrees};
            if (!at) at = place_of(record);
            if (distance_metres(kept, *at) <= kRepeatMetres) return true;
        }
        end = i;
        return false;
    };
    if (kept_near(p.slot.cell_north & ~kNorthMask, p.home, free)) return true;
    if (p.next == 0) return false;
    std::size_t end;
    for (std::size_t l = p.next - 1;; ++l) {
        if (kept_near(looks[l].cell, looks[l].home, end)) return true;
        if (looks[l].last) return false;
    }
}

void RepeatFilter::keep(const Place& p, std::size_t free) {
    slots_[free] = p.slot;
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
    const auto look = [&](std::uint64_t cell, std::int32_t type) {
        if (looks.size() >= UINT32_MAX - 1) throw std::bad_alloc();
        looks.push_back({cell, home_of(cell, type, out.capacity), 0});
    };
    // The cell at the place in a row, if `own` is not, and those across its west and east
    // edges when the place lies that close to them; across the date line the cells go round.
    // Returns the cell at the place and the place's part of its width, west to east.
    const auto look_in_row = [&](std::uint32_t row, const GeoPoint& p, std::int32_t type,
                                 bool own) {
        const std::uint32_t cells = columns(row);
        const double x = (p.lon + 180) * (cells * (1.0 / 360));
        const std::uint32_t at = std::min(static_cast<std::uint32_t>(x), cells - 1);
        const double within = x - at;
        if (!own) look(cell_of(row, at), type);
        if (cells > 1 && within < kReach) look(cell_of(row, at == 0 ? cells - 1 : at - 1), type);
        if (cells > 2 && within > 1 - kReach)
            look(cell_of(row, at + 1 == cells ? 0 : at + 1), type);
        return std::pair{cell_of(row, at), within};
    };
    records.for_each([&](const SpeedcamRecord& r) {
        Place& p = places.emplace_back();
        p.slot.type = r.type_id;
        const GeoPoint at = place_of(r);
        if (!on_earth(at)) return;
        const std::size_t first = looks.size();
        const double y = (at.lat + 90) * (1 / kRowDegrees);
        const std::uint32_t row = std::min(static_cast<std::uint32_t>(y), kRows - 1);
        const auto [own, east] = look_in_row(row, at, r.type_id, true);
        p.slot.cell_north = own | steps_of(y - row, kNorthSteps);
        p.slot.east = static_cast<std::uint32_t>(steps_of(east, kEastSteps));
        p.home = home_of(own, r.type_id, out.capacity);
        if (y - row < kReach && row > 0) look_in_row(row - 1, at, r.type_id, false);
        if (y - row > 1 - kReach && row + 1 < kRows) look_in_row(row + 1, at, r.type_id, false);
        if (looks.size() == first) return;
        p.next = static_cast<std::uint32_t>(first + 1);
        looks.back().last = 1;
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
    std::vector<Place>& places = prepared->places;
    std::vector<Look>& looks = prepared->looks;
    // Homes depend on the size of the table: when it has to grow for this list, they are
    // worked out again.
    make_room(places.size());
    const std::size_t capacity = capacity_.load();
    if (prepared->capacity != capacity) {
        for (Place& p : places) {
            if (p.slot.cell_north == 0) continue;
            p.home = home_of(p.slot.cell_north & ~kNorthMask, p.slot.type, capacity);
            for (std::size_t l = p.next; l > 0; ++l) {
                looks[l - 1].home = home_of(looks[l - 1].cell, p.slot.type, capacity);
                if (looks[l - 1].last) break;
            }
        }
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
            __builtin_prefetch(&slots_[std::size_t{ahead.home} * kLineSlots]);
            for (std::size_t l = ahead.next; l > 0; ++l) {
                __builtin_prefetch(&slots_[std::size_t{looks[l - 1].home} * kLineSlots]);
                if (looks[l - 1].last) break;
            }
        }
        const Place& p = places[i++];
        if (p.slot.cell_north == 0) return;
        // The walk through the object's own cell ends at the slot that keeps it.
        std::size_t free = 0;
        if (is_repeat(p, looks, record, free)) {
            drop_[i - 1] = 1;
            ++removed;
        } else {
            keep(p, free);
        }
    });
    {
        const std::lock_guard lock(mutex_);
        spare_.push_back(std::move(prepared));  // room was reserved
    }
    if (removed > 0) records.remove_flagged(drop_);
    return removed;
}
