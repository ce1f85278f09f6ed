// Times how long the real main window takes to show a speedcam file, against the conversion
// core reading the same file, all in one process under the same Wine.
//   window_fill.exe FILE [RUNS]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app_state_win.h"
#include "main_commands.h"
#include "main_window.h"
#include "reader.h"
#include "resource.h"
#include "type_summary.h"
#include "win_clock.h"

namespace {

double best(std::vector<double> runs) {
    return *std::min_element(runs.begin(), runs.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring path = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    std::vector<double> core, fill, reload, close;
    std::uint32_t objects = 0;
    for (int run = 0; run < runs; ++run) {
        RecordList records;
        CameraTypeList types;
        double t = now_ms();
        read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel);
        summarize_types(records, types);
        core.push_back(now_ms() - t);
        objects = records.size();
    }
    for (int run = 0; run < runs; ++run) {
        AppState state;
        app_state_init(state, GetModuleHandleW(nullptr));
        const HWND window = create_main_window(state);
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        settle();
        double t = now_ms();
        open_speedcam_file(window, InputFormat::Navitel, path);
        UpdateWindow(window);
        settle();
        fill.push_back(now_ms() - t);
        t = now_ms();
        SendMessageW(window, WM_COMMAND, IDC_ENCODING_UTF8, 0);  // reads the file again
        UpdateWindow(window);
        settle();
        reload.push_back(now_ms() - t);
        t = now_ms();
        DestroyWindow(window);
        close.push_back(now_ms() - t);
    }
    const double c = best(core), f = best(fill);
    std::printf("objects        %u\n", objects);
    std::printf("core read      %8.0f ms\n", c);
    std::printf("window fill    %8.0f ms  (both lists filled and painted)\n", f);
    std::printf("ratio          %8.2f\n", f / c);
    std::printf("reload         %8.0f ms  (encoding button: clear, read, fill)\n", best(reload));
    std::printf("close          %8.0f ms\n", best(close));
    return 0;
}
