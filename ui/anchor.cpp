#include "anchor.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <new>

#include "dpi.h"

namespace {

LONG width(const RECT& r) {
    return r.right - r.left;
}
LONG height(const RECT& r) {
    return r.bottom - r.top;
}

// A rectangle's size at another DPI, its top-left corner kept.
void rescale_size(RECT& r, int from_dpi, int to_dpi) {
    r.right = r.left + MulDiv(width(r), to_dpi, from_dpi);
    r.bottom = r.top + MulDiv(height(r), to_dpi, from_dpi);
}

}  // namespace

void anchor_begin(AnchorLayout& layout, HWND parent) {
    layout.parent = parent;
    GetWindowRect(parent, &layout.window_rect0);
    GetClientRect(parent, &layout.client_rect0);
    layout.min_size = {width(layout.window_rect0), height(layout.window_rect0)};
    layout.entries.clear();
}

void anchor_rescale(AnchorLayout& layout, int from_dpi, int to_dpi) {
    rescale_size(layout.window_rect0, from_dpi, to_dpi);
    rescale_size(layout.client_rect0, from_dpi, to_dpi);
    layout.min_size = {MulDiv(layout.min_size.cx, to_dpi, from_dpi),
                       MulDiv(layout.min_size.cy, to_dpi, from_dpi)};
    for (AnchorEntry& e : layout.entries) {
        rescale_size(e.rect, from_dpi, to_dpi);
        e.origin = {MulDiv(e.origin.x, to_dpi, from_dpi), MulDiv(e.origin.y, to_dpi, from_dpi)};
    }
}

bool anchor_add(AnchorLayout& layout, HWND control, bool keep_width, bool keep_y,
                bool keep_height) {
    AnchorEntry entry;
    entry.control = control;
    GetWindowRect(control, &entry.rect);
    entry.origin = {entry.rect.left, entry.rect.top};
    ScreenToClient(layout.parent, &entry.origin);
    entry.keep_x = 1;
    entry.keep_width = keep_width ? 1 : 0;
    entry.keep_y = keep_y ? 1 : 0;
    entry.keep_height = keep_height ? 1 : 0;
    try {
        layout.entries.push_back(entry);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void anchor_relayout(const AnchorLayout& layout) {
    RECT client = {};
    GetClientRect(layout.parent, &client);
    // Below the reference size the controls shrink only as far as the minimum size allows.
    const RECT& ref = layout.client_rect0;
    const int dx = std::max(width(client) - width(ref),
                            std::min(0L, layout.min_size.cx - width(layout.window_rect0)));
    const int dy = std::max(height(client) - height(ref),
                            std::min(0L, layout.min_size.cy - height(layout.window_rect0)));
    for (const AnchorEntry& e : layout.entries) {
        const int w0 = e.rect.right - e.rect.left;
        const int h0 = e.rect.bottom - e.rect.top;
        const int x = e.origin.x + (e.keep_x ? 0 : dx);
        const int y = e.origin.y + (e.keep_y ? 0 : dy);
        const int cx = w0 + (e.keep_width ? 0 : dx);
        const int cy = h0 + (e.keep_height ? 0 : dy);
        // Without SWP_NOZORDER each control is raised, so they end up stacked in
        // registration order with the status bar on top.
        SetWindowPos(e.control, HWND_TOP, x, y, cx, cy, SWP_NOACTIVATE);
    }
}

void anchor_min_track_size(const AnchorLayout& layout, MINMAXINFO& info) {
    info.ptMinTrackSize.x = layout.min_size.cx;
    info.ptMinTrackSize.y = layout.min_size.cy;
}

void status_parts_fit(StatusParts& parts, HWND status_bar, AppState& state) {
    // At 96 DPI.
    static constexpr std::int32_t kFirstWidths[] = {150, 200, 260};
    static_assert(sizeof kFirstWidths == sizeof AppState::status_widths);
    const int dpi = parts.dpi;
    HDC dc = GetDC(status_bar);
    if (dc == nullptr) return;
    auto font = reinterpret_cast<HFONT>(SendMessageW(status_bar, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    int borders[3] = {};
    SendMessageW(status_bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int last = static_cast<int>(std::size(kFirstWidths));
    for (int part = 1; part <= last; ++part) {
        std::wstring text(LOWORD(SendMessageW(status_bar, SB_GETTEXTLENGTHW, part, 0)) + 1, L'\0');
        SendMessageW(status_bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(wcslen(text.c_str())), &size);
        // The part's frame and the margins inside it; the last part also holds the grip.
        int needed = size.cx + 2 * (borders[0] + borders[2] + system_metric(SM_CXEDGE, dpi)) +
                     scale_to(8, dpi);
        if (part == last) needed += system_metric(SM_CXVSCROLL, dpi);
        state.status_widths[part - 1] = std::max(scale_to(kFirstWidths[part - 1], dpi), needed);
    }
    SelectObject(dc, old);
    ReleaseDC(status_bar, dc);
    status_parts_update(parts, status_bar, state);
}

void status_parts_update(StatusParts& parts, HWND status_bar, const AppState& state) {
    GetClientRect(status_bar, &parts.client);
    // Right edges from the right: each part after the first has its own width.
    const std::size_t n = std::size(state.status_widths) + 1;
    std::vector<int> edges(n);
    edges[n - 1] = parts.client.right - parts.client.left;
    for (std::size_t k = n - 1; k-- > 0;) edges[k] = edges[k + 1] - state.status_widths[k];
    parts.edges = std::move(edges);
    SendMessageW(status_bar, SB_SETPARTS, parts.edges.size(),
                 reinterpret_cast<LPARAM>(parts.edges.data()));
}

RECT fit_into(const RECT& window, const RECT& work, SIZE min_size) {
    const LONG cx = std::max(std::min(width(window), width(work)), min_size.cx);
    const LONG cy = std::max(std::min(height(window), height(work)), min_size.cy);
    // The right and bottom edges first, so that a window larger than the work area keeps its
    // title bar and left edge inside.
    const LONG x = std::max(std::min(window.left, work.right - cx), work.left);
    const LONG y = std::max(std::min(window.top, work.bottom - cy), work.top);
    return {x, y, x + cx, y + cy};
}

void place_window(HWND window, const std::int32_t (&saved)[4], const RECT& template_rect,
                  SIZE min_size, int dpi) {
    const int cx = std::max(scale_to(saved[2], dpi) - scale_to(saved[0], dpi),
                            static_cast<int>(width(template_rect)));
    const int cy = std::max(scale_to(saved[3], dpi) - scale_to(saved[1], dpi),
                            static_cast<int>(height(template_rect)));
    int x = scale_to(saved[0], dpi);
    int y = scale_to(saved[1], dpi);
    if (saved[0] <= -500) x = GetSystemMetrics(SM_CXSCREEN) / 2 - cx / 2;
    if (saved[1] <= -500) y = GetSystemMetrics(SM_CYSCREEN) / 2 - cy / 2;
    const RECT wanted = {x, y, x + cx, y + cy};
    const RECT r = fit_into(wanted, work_area_near(wanted), min_size);
    SetWindowPos(window, HWND_TOP, r.left, r.top, width(r), height(r), 0);
}

void keep_on_screen(HWND window, SIZE min_size) {
    RECT now = {};
    GetWindowRect(window, &now);
    const RECT r = fit_into(now, work_area_near(now), min_size);
    if (!EqualRect(&r, &now))
        SetWindowPos(window, nullptr, r.left, r.top, width(r), height(r),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void store_placement(HWND window, std::int32_t (&saved)[4], int dpi) {
    RECT r = {};
    if (!GetWindowRect(window, &r)) return;
    saved[0] = scale_from(r.left, dpi), saved[1] = scale_from(r.top, dpi);
    saved[2] = scale_from(r.right, dpi), saved[3] = scale_from(r.bottom, dpi);
}
