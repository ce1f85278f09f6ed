#include "map_borders.h"

#include <cstdint>
#include <cstring>

namespace {

struct Cursor {
    std::span<const unsigned char> bytes;
    size_t at = 0;

    bool has(size_t n) const { return bytes.size() - at >= n; }
    uint32_t u(size_t n) {
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint32_t(bytes[at + i]) << (8 * i);
        at += n;
        return v;
    }
    double degrees() { return int16_t(uint16_t(u(2))) / 100.0; }
};

}  // namespace

std::vector<std::vector<LonLat>> decode_map_borders(std::span<const unsigned char> bytes) {
    std::vector<std::vector<LonLat>> lines;
    Cursor in{bytes};
    if (!in.has(8) || std::memcmp(bytes.data(), "OVB1", 4) != 0) return lines;
    in.at = 4;
    uint32_t count = in.u(4);
    while (count-- > 0 && in.has(2)) {
        size_t points = in.u(2);
        if (!in.has(points * 4)) break;
        auto& line = lines.emplace_back();
        line.reserve(points);
        for (size_t i = 0; i < points; ++i) {
            LonLat p;
            p.lon = in.degrees();
            p.lat = in.degrees();
            line.push_back(p);
        }
    }
    return lines;
}
