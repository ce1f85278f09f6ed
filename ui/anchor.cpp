#include "anchor.h"

#include <commctrl.h>

#include <algorithm>
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

bool anchor_relayout(const AnchorLayout& layout) {
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
    return true;
}

void anchor_min_track_size(const AnchorLayout& layout, MINMAXINFO& info) {
    info.ptMinTrackSize.x = layout.window_rect0.right - layout.window_rect0.left;
    info.ptMinTrackSize.y = layout.window_rect0.bottom - layout.window_rect0.top;
}

void status_parts_update(StatusParts& parts, HWND status_bar, const AppState& state) {
    GetClientRect(status_bar, &parts.client);
    const int width = parts.client.right - parts.client.left;
    const int edge0 = width - state.status_widths[0] - state.status_widths[1];
    const int edges[3] = {edge0, edge0 + state.status_widths[0],
                          edge0 + state.status_widths[0] + state.status_widths[1]};
    for (std::size_t k = 0; k < 3; ++k) {
        if (parts.edges.size() > k) {
            parts.edges[k] = edges[k];
            continue;
        }
        try {
            parts.edges.push_back(edges[k]);
        } catch (const std::bad_alloc&) {
            // The bar keeps the parts it already had.
        }
    }
    SendMessageW(status_bar, SB_SETPARTS, parts.edges.size(),
                 reinterpret_cast<LPARAM>(parts.edges.data()));
}
