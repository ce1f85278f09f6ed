#include "dpi.h"

#include <vector>

namespace {

// A function of user32 that older systems lack, or null.
template <typename Function>
Function* user32(const char* name) {
    const HMODULE module = GetModuleHandleW(L"user32.dll");
    return module
               ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

int system_dpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

std::vector<HWND> controls_of(HWND dialog) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(c);
    return out;
}

}  // namespace

int window_dpi(HWND window) {
    static auto* const for_window = user32<UINT WINAPI(HWND)>("GetDpiForWindow");
    const UINT dpi = for_window && window ? for_window(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : system_dpi();
}

int system_metric(int index, int dpi) {
    static auto* const for_dpi = user32<int WINAPI(int, UINT)>("GetSystemMetricsForDpi");
    if (for_dpi) return for_dpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, system_dpi());
}

void keep_dialog_layout_own(HWND dialog) {
    static auto* const set_behavior =
        user32<BOOL WINAPI(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS)>(
            "SetDialogDpiChangeBehavior");
    if (set_behavior) set_behavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

HFONT set_controls_font(HWND dialog, int created_dpi, int dpi) {
    // The dialog keeps answering WM_GETFONT with the font it made from its template, which it
    // also deletes itself.
    const auto own = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    HFONT scaled = nullptr;
    if (own != nullptr && dpi != created_dpi && GetObjectW(own, sizeof font, &font)) {
        font.lfHeight = MulDiv(font.lfHeight, dpi, created_dpi);
        font.lfWidth = MulDiv(font.lfWidth, dpi, created_dpi);
        scaled = CreateFontIndirectW(&font);
    }
    const HFONT used = scaled ? scaled : own;
    if (used != nullptr)
        for (HWND control : controls_of(dialog))
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(used), TRUE);
    return scaled;
}

void rescale_controls(HWND dialog, int from_dpi, int to_dpi) {
    for (HWND control : controls_of(dialog)) {
        RECT r = {};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const auto at = [&](LONG v) { return MulDiv(v, to_dpi, from_dpi); };
        SetWindowPos(control, nullptr, at(r.left), at(r.top), at(r.right) - at(r.left),
                     at(r.bottom) - at(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

RECT work_area_near(const RECT& rect) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
