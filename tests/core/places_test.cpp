// Where the objects lie: coordinates read to the last bit, repeats within 10 m left out with
// the first kept, several files read as one list, and the export nearest first, from the
// whole list or from batches that come and go.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>

#include "codepage.h"
#include "nearest.h"
#include "parser.h"
#include "reader.h"
#include "repeats.h"
#include "test_support.h"

namespace {

constexpr double kMetresPerDegree = kEarthRadiusMetres * 3.14159265358979323846 / 180;

// A record as a file gives it: coordinates with seven decimals.
SpeedcamRecord record_at(GeoPoint p, int type) {
    SpeedcamRecord r{};
    std::snprintf(r.x_text, sizeof r.x_text, "%.7f", p.lon);
    std::snprintf(r.y_text, sizeof r.y_text, "%.7f", p.lat);
    r.type_id = type;
    r.speed_limit = 60;
    return r;
}

// `north` and `east` metres away, across the date line if need be.
GeoPoint moved(GeoPoint p, double north, double east) {
    const double lat = p.lat + north / kMetresPerDegree;
    double lon = p.lon + east / (kMetresPerDegree * std::cos(lat * 3.14159265358979323846 / 180));
    if (lon > 180) lon -= 360;
    return {lon, lat};
}

RecordList list_of(const std::vector<SpeedcamRecord>& records) {
    RecordList list;
    for (const SpeedcamRecord& r : records) append_record(list, r);
    return list;
}

// The repeats left out by measuring every pair, in order.
std::vector<std::string> kept_by_hand(const std::vector<SpeedcamRecord>& records) {
    std::vector<const SpeedcamRecord*> kept;
    for (const SpeedcamRecord& r : records) {
        const GeoPoint p = place_of(r);
        const bool repeat = on_earth(p) && std::any_of(kept.begin(), kept.end(), [&](auto* k) {
                                return k->type_id == r.type_id && on_earth(place_of(*k)) &&
                                       distance_metres(place_of(*k), p) <= kRepeatMetres;
                            });
        if (!repeat) kept.push_back(&r);
    }
    std::vector<std::string> rows;
    for (const SpeedcamRecord* k : kept) rows.push_back(test::row(*k));
    return rows;
}

// The reader's fast ways to the number must give the bits that reading the text gives.
TEST(Coordinates, ReadToTheLastBitAsTheTextSays) {
    std::mt19937_64 random(28);
    const auto digits = [&](unsigned most) {
        return std::string(random() % most, '0') + std::to_string(random() % 100000);
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string text = (std::string(random() % 3 ? "" : "-") + digits(3) +
                                  (random() % 4 ? "." : "") + digits(15) + digits(2))
                                     .substr(0, 31);
        double expected = 0;  // stays so where nothing reads as a number
        std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::fixed);
        SpeedcamRecord record{};  // a record's text, read eight bytes at a time
        text.copy(record.x_text, 31);
        const double read[] = {coordinate_to_double(text), coordinate_to_double(record.x_text)};
        for (const double value : read)
            ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
    }
    EXPECT_EQ(coordinate_to_double("37.6175500-9"), 37.61755);
}

// Pairs at the places where cells meet or wrap: the equator, Moscow, the date line, the pole.
TEST(Repeats, FirstKeptWithinTenMetresOfTheSameTypeEverywhere) {
    const GeoPoint moscow{37.6175500, 55.7522200}, line{179.9999500, -16.5}, pole{10, 89.99995};
    const std::tuple<const char*, GeoPoint, GeoPoint, int, std::size_t> pairs[] = {
        {"5 m", moscow, moved(moscow, 3, 4), 1, 1},
        {"9.9 m", moscow, moved(moscow, 0, 9.9), 1, 1},
        {"10.1 m", moscow, moved(moscow, 10.1, 0), 1, 2},
        {"another type 2 m away", moscow, moved(moscow, 2, 0), 2, 2},
        {"across the date line", line, moved(line, 0, 8), 1, 1},
        {"around the pole, 7.9 m", pole, GeoPoint{100, 89.99995}, 1, 1},
        {"around the pole, 19 m", GeoPoint{10, 89.9999}, GeoPoint{130, 89.9999}, 1, 2},
        {"no place on the earth", GeoPoint{37, 95}, GeoPoint{37, 95}, 1, 2},
    };
    for (const auto& [name, a, b, type, kept] : pairs) {
        RecordList list = list_of({record_at(a, 1), record_at(b, type)});
        RepeatFilter repeats;
        repeats.reserve(std::uint64_t{1} << 60);  // a huge or sparse file's guess: no room, no harm
        EXPECT_EQ(repeats.remove_repeats(list), 2 - kept) << name;
        EXPECT_EQ(test::rows(list).front(), test::row(record_at(a, 1))) << name;
    }
}

// Thousands of objects in tight clusters the world over, cut into lists of every size (whose
// records span several segments): the same objects stay as when every pair is measured, each
// against those kept before it, also in earlier lists.
TEST(Repeats, SameAsMeasuringEveryPair) {
    std::mt19937_64 random(2028);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<SpeedcamRecord> records;
    const GeoPoint centres[] = {{37.6, 55.75},  {179.9999, 64.7},   {-179.9999, 64.7},
                                {0, 0},         {-0.1276, 51.5072}, {10, 89.9997},
                                {45, -89.9997}, {158.6, 53}};
    for (int cluster = 0; cluster < 40; ++cluster) {
        const GeoPoint centre = moved(centres[cluster % std::size(centres)],
                                      (unit(random) - 0.5) * 400, (unit(random) - 0.5) * 400);
        for (int i = 0; i < 150; ++i)
            records.push_back(
                record_at(moved(centre, (unit(random) - 0.5) * 60, (unit(random) - 0.5) * 60),
                          static_cast<int>(random() % 3)));
    }
    std::shuffle(records.begin(), records.end(), random);
    RepeatFilter repeats;
    std::vector<std::string> kept;
    std::uint64_t removed = 0;
    for (std::size_t at = 0; at < records.size();) {
        const std::size_t n = std::min(records.size() - at, std::size_t{1} + random() % 700);
        RecordList list = list_of({records.begin() + static_cast<std::ptrdiff_t>(at),
                                   records.begin() + static_cast<std::ptrdiff_t>(at + n)});
        removed += repeats.remove_repeats(list);
        for (const std::string& row : test::rows(list)) kept.push_back(row);
        at += n;
    }
    EXPECT_EQ(kept, kept_by_hand(records));
    EXPECT_EQ(removed + kept.size(), records.size());
    EXPECT_GT(removed, records.size() / 2) << "the clusters are dense";
}

// Two files of one dialect, the second of six columns and the first of seven, are one list in
// the order given; one that cannot be read leaves none and is named.
TEST(SeveralFiles, OneListInFileOrderEachFileInItsOwnShape) {
    const std::wstring seven = test::data_path("igo_indexed.txt"),
                       six = test::data_path("igo_six_columns.txt");
    const auto rows_of = [](std::vector<std::wstring> paths, bool drop, FilesRead* outcome) {
        RecordList records;
        *outcome =
            read_speedcam_files(records, paths, TextEncoding::Utf8, InputFormat::Igo, {}, drop);
        return test::rows(records);
    };
    FilesRead outcome;
    std::vector<std::string> one = rows_of({seven}, false, &outcome), both = one;
    for (const std::string& row : rows_of({six}, false, &outcome)) both.push_back(row);
    EXPECT_EQ(rows_of({seven, six}, false, &outcome), both);
    EXPECT_EQ(rows_of({seven, seven}, true, &outcome), one);
    EXPECT_EQ(outcome.repeats, one.size());
    EXPECT_EQ(rows_of({seven, L"missing.txt", six}, false, &outcome), std::vector<std::string>{});
    EXPECT_EQ((std::pair{outcome.read, outcome.failed}), (std::pair{false, std::size_t{1}}));
}

// Objects around Moscow and far away, some of a type that is not exported, cut at caps small
// and large: the export of the list nearest first, its plan, and the cut that keeps only what
// batches of it can still bring before the cap give the same file. That nothing written lies
// farther than an object left out is the converter's test.
TEST(NearestFirst, HeldAndStreamedGiveOneFileAndLeaveOutTheFarthest) {
    std::mt19937_64 random(6);
    std::uniform_real_distribution<double> unit(0, 1);
    const GeoPoint home{37.6175500, 55.7522200};
    std::vector<SpeedcamRecord> records;
    for (int i = 0; i < 3000; ++i) {
        const double metres = i % 10 == 0 ? 0 : std::pow(10, 1 + 6 * unit(random));
        const double bearing = 6.283 * unit(random);
        records.push_back(
            record_at(moved(home, metres * std::cos(bearing), metres * std::sin(bearing)),
                      static_cast<int>(1 + random() % 3)));
    }
    records.push_back(record_at({300, 0}, 1));  // no place: last of all
    const RecordList list = list_of(records);
    const CameraTypeList types = {test::camera_type(1, L"Камера %SPEED%"),
                                  test::camera_type(2, L"Светофор", false),
                                  test::camera_type(3, L"Пост")};
    const std::vector<std::uint32_t> order = nearest_first(list, home);
    // Also a cap that the first hundred objects reach exactly, which lets the export go on.
    std::uint64_t exactly = export_start_count(), objects = 0;
    const std::vector<ExportShare> shares = export_shares(list, types);
    for (std::size_t i = 0; objects < 100; ++i)
        if (shares[order[i]].lines > 0)
            exactly += shares[order[i]].bytes + shares[order[i]].lines, ++objects;
    test::TempDir dir;
    for (const std::uint64_t cap :
         {std::uint64_t{0}, std::uint64_t{300}, exactly, std::uint64_t{60000}, kExportSizeCap}) {
        SCOPED_TRACE(cap);
        const ExportResult held =
            export_speedcam_csv(list, types, dir.file("held.csv"), cap, order);
        const ExportPlan plan = plan_export(list, types, cap, order);
        const std::string bytes = test::read_bytes(dir.file("held.csv"));
        // The records come in batches in their list's order, and also nearest first, when
        // every one that comes may still be written.
        double reach = 0;
        for (const bool nearest_come_first : {false, true}) {
            CsvExport csv(types, dir.file("cut.csv"), cap);
            NearestCut cut(types, home, cap);
            std::vector<SpeedcamRecord> batch;
            for (std::size_t i = 0; i < records.size(); ++i) {
                batch.push_back(records[nearest_come_first ? order[i] : i]);
                if (batch.size() == 250 || i + 1 == records.size())
                    cut.add(list_of(std::exchange(batch, {})));
            }
            reach = cut.write(csv);
            EXPECT_EQ(csv.finish(), held);
            EXPECT_SAME_BYTES(bytes, test::read_bytes(dir.file("cut.csv")));
        }
        EXPECT_EQ(plan.bytes, bytes.size());
        EXPECT_EQ(held, cap == kExportSizeCap ? ExportResult::Complete : ExportResult::Capped);
        // The plan names the last object written, and the cut says how far it lies; the
        // object of no place, last in the order, is written only without a cut.
        if (held == ExportResult::Capped) {
            EXPECT_NEAR(reach, distance_metres(home, place_of(list[plan.last])), 1e-6);
        }
    }
    EXPECT_EQ(order.back(), records.size() - 1);
    EXPECT_EQ(kilometres_text(0, ',') + " " + kilometres_text(49, ',') + " " +
                  kilometres_text(2500, '.') + " " + kilometres_text(9999, '.') + " " +
                  kilometres_text(850000, '.') + " " + kilometres_text(850000.5, '.'),
              "0,0 0,1 2.5 10 850 851");
}

}  // namespace
