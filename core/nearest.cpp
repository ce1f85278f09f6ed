#include "nearest.h"

#include <algorithm>
#include <limits>

std::vector<std::uint32_t> nearest_first(const RecordList& records, GeoPoint home) {
    // Sorted with their measures beside them, not looked up: the order is a random walk
    // through a list larger than the caches.
    struct Item {
        double measure;
        std::uint32_t position;
    };
    const DistanceFrom from(home);
    std::vector<Item> items;
    items.reserve(records.size());
    records.for_each([&](const SpeedcamRecord& r) {
        items.push_back({from.measure(place_of(r)), static_cast<std::uint32_t>(items.size())});
    });
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.measure < b.measure || (a.measure == b.measure && a.position < b.position);
    });
    std::vector<std::uint32_t> order;
    order.reserve(items.size());
    for (const Item& item : items) order.push_back(item.position);
    return order;
}

NearestCut::NearestCut(const CameraTypeList& types, GeoPoint home, std::uint64_t cap)
    : types_(types), home_(home), cap_(cap) {}

void NearestCut::add(const RecordList& batch) {
    const std::vector<ExportShare> shares = export_shares(batch, types_);
    const std::vector<GeoPoint>& places = batch.places();
    const std::uint64_t start = export_start_count();
    std::size_t i = 0;
    batch.for_each([&](const SpeedcamRecord& record) {
        const GeoPoint place = places[i];
        const ExportShare share = shares[i++];
        const std::uint64_t position = seen_++;
        if (share.lines == 0) return;  // no line of it is ever written
        const Entry entry{home_.measure(place), position, 0, share.bytes + share.lines};
        // Farther than every record kept, and those already take the export past the cap.
        if (!heap_.empty() && start + weight_ > cap_ && Nearer()(heap_.front(), entry)) return;
        heap_.push_back(entry);
        if (free_.empty()) {
            heap_.back().slot = static_cast<std::uint32_t>(kept_.size());
            kept_.push_back(record);
        } else {
            heap_.back().slot = free_.back();
            free_.pop_back();
            kept_[heap_.back().slot] = record;
        }
        kept_[heap_.back().slot].comment = L"";  // the export never writes it
        std::push_heap(heap_.begin(), heap_.end(), Nearer());
        weight_ += entry.weight;
        // The farthest goes once the nearer ones alone take the export past the cap: it would
        // never be written, whatever comes later.
        while (heap_.size() > 1 && start + weight_ - heap_.front().weight > cap_) {
            weight_ -= heap_.front().weight;
            free_.push_back(heap_.front().slot);
            std::pop_heap(heap_.begin(), heap_.end(), Nearer());
            heap_.pop_back();
        }
    });
}

double NearestCut::write(CsvExport& csv) const {
    std::vector<Entry> order = heap_;
    std::sort(order.begin(), order.end(), Nearer());
    double reach = 0;
    for (const Entry& e : order) {
        const bool more = csv.add(kept_[e.slot]);
        if (e.measure != std::numeric_limits<double>::infinity()) reach = e.measure;
        if (!more) break;
    }
    return DistanceFrom::metres(reach);
}
