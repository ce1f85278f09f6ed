#include "win_test_util.h"

#include <utility>

#include "strings.h"

namespace wintest {

// Messages rather than GetWindowText*, which Wine answers from its own copy of the text for a
// control of another process.
std::wstring window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
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
    unsigned ticks;
    bool acted, timed_out;
};
// A stale WM_TIMER can still arrive after its run has ended.
Run* g_run = nullptr;

void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_run == nullptr) return;
    if (const HWND found = g_run->acted ? nullptr : g_run->find()) {
        g_run->acted = true;
        g_run->act(found);
    } else if (++g_run->ticks > 500) {  // about 10 s; a busy machine only waits longer
        g_run->timed_out = true;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM) -> BOOL { return PostMessageW(w, WM_COMMAND, IDCANCEL, 0) || true; },
            0);
    }
}

// The first visible window of this thread with this owner and title, where they are given.
HWND search(HWND owner, const wchar_t* title) {
    struct Search {
        HWND owner;
        const wchar_t* title;
        HWND found;
    } s{owner, title, nullptr};
    const auto test = [](HWND window, LPARAM p) -> BOOL {
        auto& w = *reinterpret_cast<Search*>(p);
        return !IsWindowVisible(window) || (w.owner && GetWindow(window, GW_OWNER) != w.owner) ||
               (w.title && window_text(window) != w.title) || !(w.found = window);
    };
    EnumThreadWindows(GetCurrentThreadId(), test, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

bool while_running(const std::function<HWND()>& find, const std::function<void(HWND)>& act,
                   const std::function<void()>& start) {
    Run run{find, act, 0, false, false};
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

}  // namespace wintest
