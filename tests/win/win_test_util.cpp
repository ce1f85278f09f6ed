#include "win_test_util.h"

#include <cstdio>
#include <utility>

#include "strings.h"

namespace wintest {

std::wstring window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring text_of(AppState& state, unsigned id) {
    return load_string_copy(state, id).value_or(L"<missing>");
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
    bool timed_out;
};
Run* g_run = nullptr;

void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_run == nullptr) return;
    const HWND found = g_run->find();
    if (found != nullptr && !g_run->acted) {
        g_run->acted = true;
        g_run->act(found);
    } else if (GetTickCount() - g_run->start > 10000) {
        g_run->timed_out = true;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    }
}

struct Search {
    HWND owner;
    const wchar_t* title;
    HWND found;
};

HWND search(HWND owner, const wchar_t* title) {
    Search wanted{owner, title, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            if (!IsWindowVisible(window) || (s.owner && GetWindow(window, GW_OWNER) != s.owner) ||
                (s.title && window_text(window) != s.title))
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

}  // namespace

bool while_running(const std::function<HWND()>& find, const std::function<void(HWND)>& act,
                   const std::function<void()>& start) {
    Run run{find, act, GetTickCount(), false, false};
    Run* const outer = std::exchange(g_run, &run);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_timer);
    start();
    KillTimer(nullptr, timer);
    g_run = outer;
    return run.acted && !run.timed_out;
}

HWND owned_by(HWND owner) {
    return search(owner, nullptr);
}

HWND dialog_titled(const wchar_t* title) {
    return search(nullptr, title);
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
