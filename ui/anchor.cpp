#include "anchor.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <new>

void anchor_begin(AnchorLayout& layout, HWND parent) {
    layout.parent = parent;
    GetWindowRect(parent, &layout.window_rect0);
    GetClientRect(parent, &layout.client_rect0);
    layout.entries.clear();
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
    const RECT& ref = layout.client_rect0;
    const int dx = std::max(0L, (client.right - client.left) - (ref.right - ref.left));
    const int dy = std::max(0L, (client.bottom - client.top) - (ref.bottom - ref.top));
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
    info.ptMinTrackSize.x = layout.window_rect0.right - layout.window_rect0.left;
    info.ptMinTrackSize.y = layout.window_rect0.bottom - layout.window_rect0.top;
}

void status_parts_fit(StatusParts& parts, HWND status_bar, AppState& state) {
    static constexpr std::int32_t kFirstWidths[] = {150, 200, 260};
    static_assert(sizeof kFirstWidths == sizeof AppState::status_widths);
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
        int needed = size.cx + 2 * (borders[0] + borders[2] + GetSystemMetrics(SM_CXEDGE)) + 8;
        if (part == last) needed += GetSystemMetrics(SM_CXVSCROLL);
        state.status_widths[part - 1] =
            std::max(kFirstWidths[part - 1], static_cast<std::int32_t>(needed));
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

void place_window(HWND window, const std::int32_t (&saved)[4], const RECT& template_rect) {
    const int width =
        std::max(saved[2] - saved[0], static_cast<int>(template_rect.right - template_rect.left));
    const int height =
        std::max(saved[3] - saved[1], static_cast<int>(template_rect.bottom - template_rect.top));
    int x = saved[0];
    int y = saved[1];
    if (x <= -500) x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    if (y <= -500) y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    SetWindowPos(window, HWND_TOP, x, y, width, height, 0);
}
