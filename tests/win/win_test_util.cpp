#include "win_test_util.h"

#include <cstdio>
#include <utility>

namespace wintest {

std::wstring window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring class_name(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

RECT rect_in_parent(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int width(const RECT& r) {
    return r.right - r.left;
}
int height(const RECT& r) {
    return r.bottom - r.top;
}

AppState make_state(const std::wstring& dir) {
    AppState state;
    state.instance = GetModuleHandleW(nullptr);
    state.module_dir = dir;
    state.settings_path = dir + L"Orvane.ini";
    state.type_config_path = dir + L"Config.txt";
    return state;
}

namespace {

struct Run {
    const std::function<HWND()>& find;
    const std::function<void(HWND)>& act;
    DWORD start;
    bool acted;
};
Run* g_run = nullptr;

void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_run == nullptr) return;
    const HWND found = g_run->find();
    if (found != nullptr && !g_run->acted) {
        g_run->acted = true;
        g_run->act(found);
    } else if (GetTickCount() - g_run->start > 10000) {
        // Never hang the suite: cancel the dialog that was never found or outlived the action.
        if (found != nullptr) {
            PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
        } else if (!g_run->acted) {
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND window, LPARAM) -> BOOL {
                    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                    return TRUE;
                },
                0);
        }
    }
}

}  // namespace

bool while_running(const std::function<HWND()>& find, const std::function<void(HWND)>& act,
                   const std::function<void()>& start) {
    Run run{find, act, GetTickCount(), false};
    Run* const outer = std::exchange(g_run, &run);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_timer);
    start();
    KillTimer(nullptr, timer);
    g_run = outer;
    return run.acted;
}

INT_PTR run_modal(const AppState& state, int template_id, DLGPROC proc,
                  const std::function<HWND()>& find, const std::function<void(HWND)>& act) {
    INT_PTR result = 0;
    while_running(find, act, [&] {
        result =
            DialogBoxParamW(static_cast<HINSTANCE>(state.instance), MAKEINTRESOURCEW(template_id),
                            nullptr, proc, reinterpret_cast<LPARAM>(&state));
    });
    return result;
}

std::string units(const std::wstring& text) {
    std::string out;
    char unit[8];
    for (wchar_t c : text) {
        std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

}  // namespace wintest
