#include "map_borders.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

struct Cursor {
    std::span<const unsigned char> bytes;
    std::size_t at = 0;

    std::size_t left() const { return bytes.size() - at; }
    std::uint32_t fixed(std::size_t n) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t{bytes[at + i]} << (8 * i);
        at += n;
        return v;
    }
    // Nothing when the bytes end inside the number or it has more than 32 bits.
    std::optional<std::uint32_t> leb128() {
        std::uint32_t v = 0;
        for (int shift = 0; shift < 35 && at < bytes.size(); shift += 7) {
            const unsigned char byte = bytes[at++];
            v |= std::uint32_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80) == 0) return v;
        }
        return std::nullopt;
    }
    std::optional<std::int32_t> step() {
        const auto v = leb128();
        if (!v) return std::nullopt;
        return static_cast<std::int32_t>(*v >> 1) ^ -static_cast<std::int32_t>(*v & 1);
    }
};

}  // namespace

std::vector<BorderLine> decode_map_borders(std::span<const unsigned char> bytes) {
    std::vector<BorderLine> lines;
    Cursor in{bytes};
    if (in.left() < 8 || std::memcmp(bytes.data(), "OVB2", 4) != 0) return lines;
    in.at = 4;
    for (std::uint32_t count = in.fixed(4); count > 0; --count) {
        const auto points = in.leb128();
        if (!points || *points == 0 || in.left() < 4) break;
        std::int32_t lon = static_cast<std::int16_t>(in.fixed(2));
        std::int32_t lat = static_cast<std::int16_t>(in.fixed(2));
        // Every point after the first takes two bytes at least.
        if (*points - 1 > in.left() / 2) break;
        BorderLine line;
        line.points.reserve(*points);
        line.points.push_back({lon / 100.0, lat / 100.0});
        bool whole = true;
        for (std::uint32_t i = 1; i < *points && whole; ++i) {
            const auto dlon = in.step(), dlat = in.step();
            whole = dlon && dlat;
            if (whole) line.points.push_back({(lon += *dlon) / 100.0, (lat += *dlat) / 100.0});
        }
        if (!whole) break;
        const auto [west, east] = std::ranges::minmax(line.points, {}, &MapCoord::lon);
        const auto [south, north] = std::ranges::minmax(line.points, {}, &MapCoord::lat);
        line.west = west.lon, line.east = east.lon, line.south = south.lat, line.north = north.lat;
        lines.push_back(std::move(line));
    }
    return lines;
}
