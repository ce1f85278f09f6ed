#include "convert.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "camera_types.h"
#include "codepage.h"
#include "export.h"
#include "file_io.h"
#include "nearest.h"
#include "reader.h"
#include "repeats.h"
#include "type_summary.h"
#include "version.h"

namespace {

constexpr char kUsage[] =
    "Usage: orvane-convert [--format navitel|igo] [--encoding utf8|ansi|utf16]\n"
    "                      [--config FILE] [--area WEST,NORTH,EAST,SOUTH]\n"
    "                      [--no-duplicates] [--near LON,LAT] [-o FILE] INPUT...\n"
    "\n"
    "Converts Navitel or iGO speedcam.txt files into the speedcam.csv that Nissan Connect\n"
    "reads from a USB drive (folder myPOIs/myPOIWarnings). Several inputs are read in the\n"
    "order given, as one list.\n"
    "\n"
    "  --format         dialect of the inputs and section of the type table (default navitel)\n"
    "  --encoding       text encoding of the inputs (default utf8; ansi is Windows-1251 on Linux)\n"
    "  --config         camera-type table (default Config.txt next to this program)\n"
    "  --area           keep only objects strictly inside the rectangle, in decimal degrees\n"
    "  --no-duplicates  leave out an object within 10 m of an earlier one of the same type\n"
    "  --near           write the objects nearest to this place first, so that the 6 MB limit\n"
    "                   leaves out the farthest; decimal degrees, longitude first\n"
    "  -o               output file (default speedcam.csv in the current folder)\n"
    "  --version        print the version and exit\n"
    "\n"
    "Exit codes: 0 done, 1 input or output failed, 2 bad arguments,\n"
    "3 done but cut at the 6 MB limit.\n";

struct Options {
    InputFormat format = InputFormat::Navitel;
    TextEncoding encoding = TextEncoding::Utf8;
    std::wstring config;
    std::wstring output = L"speedcam.csv";
    std::vector<std::wstring> inputs;
    AreaFilter area{};
    bool no_duplicates = false;
    std::optional<GeoPoint> near;
    std::wstring near_text;  // as the user wrote it
    bool help = false;
    bool version = false;
};

// `count` numbers separated by commas, nothing else.
std::optional<std::vector<double>> parse_numbers(const std::wstring& text, int count) {
    const std::string narrow = to_utf8(text);
    std::vector<double> v(static_cast<std::size_t>(count));
    const char* p = narrow.c_str();
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        v[static_cast<std::size_t>(i)] = std::strtod(p, &end);
        if (end == p || *end != (i < count - 1 ? ',' : '\0')) return std::nullopt;
        p = end + 1;
    }
    return v;
}

std::optional<AreaFilter> parse_area(const std::wstring& text) {
    const auto v = parse_numbers(text, 4);
    if (!v) return std::nullopt;
    return AreaFilter{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

std::optional<GeoPoint> parse_place(const std::wstring& text) {
    const auto v = parse_numbers(text, 2);
    if (!v || !on_earth({(*v)[0], (*v)[1]})) return std::nullopt;
    return GeoPoint{(*v)[0], (*v)[1]};
}

// Returns an error text, or nothing when the arguments are good.
std::optional<std::string> parse_args(const std::vector<std::wstring>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::wstring name = args[i];
        std::optional<std::wstring> value;
        if (name.starts_with(L"--") && name.find(L'=') != std::wstring::npos) {
            value = name.substr(name.find(L'=') + 1);
            name = name.substr(0, name.find(L'='));
        }
        auto take = [&]() -> std::optional<std::wstring> {
            if (value) return value;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if (name == L"--help" || name == L"-h") {
            o.help = true;
        } else if (name == L"--version") {
            o.version = true;
        } else if (name == L"--format") {
            const auto v = take();
            if (v == L"navitel")
                o.format = InputFormat::Navitel;
            else if (v == L"igo")
                o.format = InputFormat::Igo;
            else
                return "--format takes navitel or igo";
        } else if (name == L"--encoding") {
            const auto v = take();
            if (v == L"utf8")
                o.encoding = TextEncoding::Utf8;
            else if (v == L"ansi")
                o.encoding = TextEncoding::Ansi;
            else if (v == L"utf16")
                o.encoding = TextEncoding::Utf16;
            else
                return "--encoding takes utf8, ansi or utf16";
        } else if (name == L"--config" || name == L"-o") {
            const auto v = take();
            if (!v || v->empty()) return to_utf8(name) + " takes a file name";
            (name == L"-o" ? o.output : o.config) = *v;
        } else if (name == L"--area") {
            const auto v = take();
            const auto area = v ? parse_area(*v) : std::nullopt;
            if (!area) return "--area takes four numbers: WEST,NORTH,EAST,SOUTH";
            o.area = *area;
        } else if (name == L"--no-duplicates") {
            o.no_duplicates = true;
        } else if (name == L"--near") {
            const auto v = take();
            o.near = v ? parse_place(*v) : std::nullopt;
            if (!o.near) return "--near takes a place: LON,LAT in decimal degrees";
            o.near_text = *v;
        } else if (name.size() > 1 && name[0] == L'-') {
            return "unknown option " + to_utf8(name);
        } else {
            o.inputs.push_back(name);
        }
    }
    if (!o.help && !o.version && o.inputs.empty()) return "no input file given";
    return std::nullopt;
}

void print(std::FILE* f, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), f);
}

std::string quoted(const std::wstring& path) {
    return "'" + to_utf8(path) + "'";
}

const char* format_name(InputFormat f) {
    return f == InputFormat::Igo ? "IGO" : "Navitel";
}

const char* encoding_name(TextEncoding e) {
    return e == TextEncoding::Utf16 ? "UTF-16" : e == TextEncoding::Ansi ? "ANSI" : "UTF-8";
}

// What the inputs gave.
struct Reading {
    std::vector<std::uint64_t> objects;  // of each input, before repeats are left out
    std::uint64_t repeats = 0;
    TypeTally tally;   // of the objects kept
    double reach = 0;  // how far from --near the objects written lie, in metres
};

void print_summary(const Reading& r, const ExportPlan& plan, CameraTypeList& types,
                   const Options& o, std::FILE* out) {
    char line[160];
    std::uint64_t objects = 0;
    for (std::size_t i = 0; i < o.inputs.size(); ++i) {
        std::snprintf(line, sizeof line, ": %llu objects (%s, %s, filter %s)\n",
                      static_cast<unsigned long long>(r.objects[i]), format_name(o.format),
                      encoding_name(o.encoding), o.area.on() ? "on" : "off");
        print(out, "Read " + quoted(o.inputs[i]) + line);
        objects += r.objects[i];
    }
    if (o.inputs.size() > 1) {
        std::snprintf(line, sizeof line, "Read %zu files: %llu objects\n", o.inputs.size(),
                      static_cast<unsigned long long>(objects));
        print(out, line);
    }
    if (o.no_duplicates) {
        std::snprintf(line, sizeof line,
                      "Repeats left out: %llu (of the same type within 10 m of one kept before)\n",
                      static_cast<unsigned long long>(r.repeats));
        print(out, line);
    }
    const std::vector<TypeSummaryRow> rows = summarize_types(r.tally, types);
    if (!rows.empty()) print(out, "      ID    Objects  Export  Description\n");
    for (const TypeSummaryRow& row : rows) {
        const bool exported = row.type != nullptr && row.type->export_enabled;
        std::snprintf(line, sizeof line, "%8d %10llu  %-6s  ", static_cast<int>(row.id),
                      static_cast<unsigned long long>(row.count), exported ? "yes" : "no");
        print(out, line + (row.type ? to_utf8(row.type->description) : "not in the table") + "\n");
    }
    if (const std::uint64_t unknown = records_of_unknown_types(rows)) {
        std::snprintf(line, sizeof line,
                      "Not in the table: %llu objects, never exported (add their types to the "
                      "table to export them)\n",
                      static_cast<unsigned long long>(unknown));
        print(out, line);
    }
    std::snprintf(line, sizeof line, "To export: %u objects, %llu bytes of the 6 MB limit",
                  plan.objects, static_cast<unsigned long long>(plan.bytes));
    print(out, line);
    if (plan.result == ExportResult::Capped) {
        std::snprintf(line, sizeof line, " (cut there: %u objects are left out)",
                      plan.exportable - plan.objects);
        print(out, line);
    }
    print(out, "\n");
    if (o.near && plan.objects > 0)
        print(out, "Nearest first from " + to_utf8(o.near_text) +
                       ": the objects written reach to " + kilometres_text(r.reach, '.') + " km\n");
}

// A file read in the wrong dialect exports nothing; the user is told which option would do.
void print_dialect_hint(const TypeTally& tally, const CameraTypeList& types,
                        std::uint64_t exportable, const std::wstring& config, InputFormat format,
                        std::FILE* err) {
    if (exportable > 0) return;  // some type is in this dialect's table
    const InputFormat other_format =
        format == InputFormat::Igo ? InputFormat::Navitel : InputFormat::Igo;
    CameraTypeList other;
    load_camera_types(other, config, other_format);
    if (!fits_other_dialect(tally, types, other)) return;
    print(err, std::string("orvane-convert: hint: no type of this file is in the ") +
                   format_name(format) + " table; most are in the " + format_name(other_format) +
                   " table: try --format " +
                   (other_format == InputFormat::Igo ? "igo" : "navitel") + "\n");
}

}  // namespace

int run_convert(const std::vector<std::wstring>& args, const std::wstring& exe_dir, std::FILE* out,
                std::FILE* err) {
    Options o;
    if (const auto error = parse_args(args, o)) {
        print(err, "orvane-convert: " + *error + "\n\n" + kUsage);
        return kExitUsage;
    }
    if (o.help) {
        print(out, kUsage);
        return kExitComplete;
    }
    if (o.version) {
        print(out, "orvane-convert " ORVANE_VERSION_TEXT "\n");
        return kExitComplete;
    }
    // Files are used by their full paths: a bare name would send the Windows profile
    // functions to the Windows folder. Messages name them as the user did.
    const bool config_given = !o.config.empty();
    if (!config_given) o.config = exe_dir + L"Config.txt";
    const std::wstring config = absolute_path(o.config), output = absolute_path(o.output);
    std::vector<std::wstring> inputs;
    for (const std::wstring& input : o.inputs) {
        inputs.push_back(absolute_path(input));
        // Written into a copy that then replaces it, the input would be lost.
        if (same_file(inputs.back(), output)) {
            print(err, "orvane-convert: the output file " + quoted(o.output) +
                           " is the input file; choose another -o\n");
            return kExitUsage;
        }
    }
    if (config_given && file_kind(config) != FileKind::Regular) {
        print(err, "orvane-convert: cannot read camera-type table " + quoted(o.config) + "\n");
        return kExitFailed;
    }

    CameraTypeList types;
    load_camera_types(types, config, o.format);
    if (types.empty())
        print(err, "orvane-convert: warning: no camera types for " +
                       std::string(format_name(o.format)) + " in " + quoted(o.config) +
                       "; only the banner line is written\n");
    // Each batch of records is counted and written as it is read and then let go: the
    // converter needs every record only once, and a large file's time would otherwise go
    // into the first touch of memory for all of its records. Leaving out repeats needs only
    // where the kept objects lie; writing the nearest first only the records that can still
    // come before the cut.
    CsvExport csv(types, output);
    RepeatFilter repeats;
    std::optional<NearestCut> nearest;
    if (o.near) nearest.emplace(types, *o.near);
    Reading r;
    const RecordBatchSink take = [&](RecordList& batch) {
        r.objects.back() += batch.size();
        if (o.no_duplicates) r.repeats += repeats.remove_repeats(batch);
        r.tally.add_all(batch.type_tally());
        if (nearest)
            nearest->add(batch);
        else
            csv.add(batch);
        return true;
    };
    // What needs no other batch is done on the threads that parse them.
    const RecordBatchPrepare prepare = [&](RecordList& batch) {
        if (o.no_duplicates) repeats.prepare(batch);
        if (o.near) batch.places();
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        r.objects.push_back(0);
        const UniqueFile in = open_file(inputs[i], "rb");
        if (in && o.no_duplicates) repeats.reserve(likely_objects(in.get()));
        if (!in || !read_speedcam_batches(in.get(), o.encoding, o.format, o.area, take, {},
                                          o.no_duplicates || o.near ? prepare : nullptr)) {
            print(err, "orvane-convert: cannot read input file " + quoted(o.inputs[i]) + "\n");
            return kExitFailed;
        }
    }
    if (nearest) r.reach = nearest->write(csv);
    ExportPlan plan = csv.written();
    plan.exportable = static_cast<std::uint32_t>(exportable_records(r.tally, types));
    print_summary(r, plan, types, o, out);
    print_dialect_hint(r.tally, types, plan.exportable, config, o.format, err);

    switch (csv.finish()) {
        case ExportResult::Complete:
            print(out, "Wrote " + quoted(o.output) + "\n");
            return kExitComplete;
        case ExportResult::Capped:
            print(out, "Wrote " + quoted(o.output) + "\n");
            print(err, o.near
                           ? "orvane-convert: warning: the output reached the 6 MB limit of Nissan "
                             "Connect; the objects farthest from --near were left out.\n"
                           : "orvane-convert: warning: the output reached the 6 MB limit of Nissan "
                             "Connect; the objects after that point were left out. Use --area, "
                             "--near or fewer camera types to make it smaller.\n");
            return kExitCapped;
        case ExportResult::Failed:
            break;
    }
    print(err, "orvane-convert: cannot write output file " + quoted(o.output) + "\n");
    return kExitFailed;
}
