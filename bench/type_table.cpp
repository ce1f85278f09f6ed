// How the time to save and to load the camera-type table grows with its size: 4,096, 16,384
// and 65,536 entries (the most Config.txt may claim), beside the floor of writing the same
// bytes in one go. The time per entry stays flat when the cost is linear.
//   type_table FOLDER   (the folder is written into and left with its files)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "camera_types.h"
#include "codepage.h"
#include "file_io.h"

namespace {

double now_ms() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <typename F>
double best_of(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = now_ms();
        f();
        best = std::min(best, now_ms() - start);
    }
    return best;
}

int run(const std::wstring& given) {
    if (given.empty()) {
        std::fprintf(stderr, "usage: type_table FOLDER\n");
        return 2;
    }
    const std::wstring folder = absolute_path(given);
    const std::wstring path = folder + L"/Config.txt", floor_path = folder + L"/floor.txt";
    std::printf("| entries | save ms | per entry us | load ms | per entry us | floor ms |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const int n : {4096, 16384, 65536}) {
        CameraType type{};
        type.id = 7;
        type.export_enabled = 1;
        std::wstring(L"Камера контроля скорости").copy(type.description, 126);
        std::wstring(L"Камера %SPEED% км/ч").copy(type.message_format, 126);
        const CameraTypeList types(static_cast<std::size_t>(n), type);
        const int runs = n > 20000 ? 3 : 5;
        const double save = best_of(runs, [&] {
            remove_file(path);
            if (!save_camera_types(types, path, InputFormat::Navitel)) std::abort();
        });
        CameraTypeList loaded;
        const double load =
            best_of(runs, [&] { load_camera_types(loaded, path, InputFormat::Navitel); });
        if (loaded.size() != types.size()) std::abort();
        // The floor: the saved file's bytes written, flushed and put in place in one go.
        std::string bytes;
        if (UniqueFile in = open_file(path, "rb")) {
            char block[65536];
            for (std::size_t got; (got = std::fread(block, 1, sizeof block, in.get())) > 0;)
                bytes.append(block, got);
        }
        const double floor = best_of(runs, [&] {
            UniqueFile out = open_file(floor_path + L".new", "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), out.get());
            flush_to_device(out.get());
            close_file(std::move(out));
            replace_file(floor_path + L".new", floor_path);
        });
        std::printf("| %d | %.1f | %.2f | %.1f | %.2f | %.1f |\n", n, save, save * 1000 / n, load,
                    load * 1000 / n, floor);
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return run(argc > 1 ? argv[1] : L"");
}
#else
int main(int argc, char** argv) {
    return run(argc > 1 ? from_utf8(argv[1]) : L"");
}
#endif
