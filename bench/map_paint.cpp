// Times the map window over a speedcam file under Wine: opening it, one full paint, and the
// worst step of zooming, panning and drawing a rectangle (each step's message and its paint),
// at the window's first size and maximised, where a country-wide file shows the 1:50m
// borders; one paint of the whole world, where the 1:110m ones are drawn; and the budget's
// recount in the status bar.
//   map_paint.exe FILE [STEPS]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app_state_win.h"
#include "camera_types.h"
#include "export.h"
#include "map_window.h"
#include "reader.h"
#include "win_clock.h"

namespace {

// One step: the message, then the paint it asks for.
double step(HWND map, UINT message, WPARAM wparam, LPARAM lparam) {
    const double t = now_ms();
    SendMessageW(map, message, wparam, lparam);
    UpdateWindow(map);
    return now_ms() - t;
}

struct Times {
    double paint = 0, zoom = 0, pan = 0, draw = 0;
};

Times measure(HWND map, int steps) {
    Times out;
    RECT client;
    GetClientRect(map, &client);
    const int cx = client.right / 2, cy = client.bottom / 3;
    for (int i = 0; i < 3; ++i) {
        InvalidateRect(map, nullptr, FALSE);
        const double t = now_ms();
        UpdateWindow(map);
        out.paint = i == 0 ? now_ms() - t : std::min(out.paint, now_ms() - t);
    }
    POINT screen = {cx, cy};
    ClientToScreen(map, &screen);
    for (int i = 0; i < steps; ++i)
        out.zoom =
            std::max(out.zoom, step(map, WM_MOUSEWHEEL, MAKEWPARAM(0, i < steps / 2 ? 120 : -120),
                                    MAKELPARAM(screen.x, screen.y)));
    step(map, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cx, cy));
    for (int i = 1; i <= steps; ++i)
        out.pan =
            std::max(out.pan, step(map, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(cx + 3 * i, cy + i)));
    step(map, WM_RBUTTONUP, 0, MAKELPARAM(cx + 3 * steps, cy + steps));
    step(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx / 2, cy / 2));
    for (int i = 1; i <= steps; ++i)
        out.draw = std::max(out.draw, step(map, WM_MOUSEMOVE, MK_LBUTTON,
                                           MAKELPARAM(cx / 2 + 5 * i, cy / 2 + 4 * i)));
    step(map, WM_LBUTTONUP, 0, MAKELPARAM(cx / 2 + 5 * steps, cy / 2 + 4 * steps));
    return out;
}

void print(const char* size, const Times& t) {
    std::printf("%-10s paint %6.1f ms, worst step: zoom %6.1f, pan %6.1f, draw %6.1f ms\n", size,
                t.paint, t.zoom, t.pan, t.draw);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring path = argv[1];
    const int steps = argc > 2 ? std::max(2, _wtoi(argv[2])) : 20;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    AppState state;
    app_state_init(state, GetModuleHandleW(nullptr));
    load_camera_types(state.types, state.type_config_path, InputFormat::Navitel);
    read_speedcam_file(state.records, path, TextEncoding::Utf8, InputFormat::Navitel);

    double budget = 1e9;
    ExportPlan plan;
    for (int i = 0; i < 5; ++i) {
        const double t = now_ms();
        plan = plan_export(state.records, state.types);
        budget = std::min(budget, now_ms() - t);
    }
    std::printf("objects    %u, to export %llu, %llu bytes\n", state.records.size(),
                static_cast<unsigned long long>(plan.objects),
                static_cast<unsigned long long>(plan.bytes));
    std::printf("budget     %6.1f ms (a tick, a read or the filter recounts it)\n", budget);

    double t = now_ms();
    const HWND map =
        create_map_window(nullptr, state, {{path}, TextEncoding::Utf8, InputFormat::Navitel});
    if (map == nullptr) return 1;
    ShowWindow(map, SW_SHOW);
    UpdateWindow(map);
    std::printf("open       %6.1f ms (reads the file again, without the filter)\n", now_ms() - t);
    settle();
    print("first size", measure(map, steps));
    ShowWindow(map, SW_MAXIMIZE);
    settle();
    print("maximised", measure(map, steps));
    RECT client;
    GetClientRect(map, &client);
    POINT middle = {client.right / 2, client.bottom / 3};
    ClientToScreen(map, &middle);
    for (int i = 0; i < 40; ++i)
        SendMessageW(map, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(middle.x, middle.y));
    settle();
    double world = 1e9;
    for (int i = 0; i < 3; ++i) {
        InvalidateRect(map, nullptr, FALSE);
        t = now_ms();
        UpdateWindow(map);
        world = std::min(world, now_ms() - t);
    }
    std::printf("world      paint %6.1f ms (maximised, zoomed out as far as it goes)\n", world);
    DestroyWindow(map);
    return 0;
}
