// The export nearest first: when a list does not fit the head unit's limit, the objects far
// from the driver's home are the ones the cut leaves out, never those of the home region.
#pragma once

#include <cstdint>
#include <vector>

#include "export.h"
#include "places.h"

// The list positions of the records, nearest to `home` first, along great circles; objects
// with no place on the earth come last. Objects equally far keep their list order.
std::vector<std::uint32_t> nearest_first(const RecordList& records, GeoPoint home);

// The same order for a converter that never holds every record: of the records handed in,
// a batch at a time, it keeps only those that an export nearest first can still reach
// before the cap, and then writes them in that order. The records count in the order they
// come, as the positions of one list.
class NearestCut {
  public:
    NearestCut(const CameraTypeList& types, GeoPoint home, std::uint64_t cap = kExportSizeCap);
    // May throw std::bad_alloc.
    void add(const RecordList& batch);
    // Writes the kept records nearest first, until the export stops at the cap. Returns the
    // distance in metres of the farthest object written that has a place on the earth; 0
    // when there is none.
    double write(CsvExport& csv) const;

  private:
    struct Entry {
        double measure;  // of the distance from home
        std::uint64_t position;
        std::uint32_t slot;    // in kept_
        std::uint32_t weight;  // what its lines add to the count against the cap
    };
    struct Nearer {
        bool operator()(const Entry& a, const Entry& b) const {
            return a.measure < b.measure || (a.measure == b.measure && a.position < b.position);
        }
    };

    const CameraTypeList& types_;
    DistanceFrom home_;
    std::uint64_t cap_;
    std::vector<Entry> heap_;  // the farthest on top
    std::vector<SpeedcamRecord> kept_;
    std::vector<std::uint32_t> free_;  // slots of kept_ left by records put out again
    std::uint64_t weight_ = 0;         // of every record on the heap
    std::uint64_t seen_ = 0;
};

