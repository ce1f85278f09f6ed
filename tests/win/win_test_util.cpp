#include "win_test_util.h"

#include <cstdio>
#include <cstring>

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

struct ModalRun {
    std::function<HWND()> find;
    std::function<void(HWND)> act;
    DWORD start = 0;
    bool done = false;
};
ModalRun* g_run = nullptr;

void CALLBACK on_timer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_run == nullptr || g_run->done) return;
    if (const HWND dialog = g_run->find()) {
        g_run->done = true;
        KillTimer(nullptr, timer);
        g_run->act(dialog);
    } else if (GetTickCount() - g_run->start > 10000) {
        // Never hang the suite: close whatever dialog this thread shows.
        g_run->done = true;
        KillTimer(nullptr, timer);
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    }
}

}  // namespace

INT_PTR run_modal(const AppState& state, int template_id, DLGPROC proc,
                  const std::function<HWND()>& find, const std::function<void(HWND)>& act) {
    ModalRun run{find, act, GetTickCount(), false};
    g_run = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_timer);
    const INT_PTR result =
        DialogBoxParamW(static_cast<HINSTANCE>(state.instance), MAKEINTRESOURCEW(template_id),
                        nullptr, proc, reinterpret_cast<LPARAM>(&state));
    if (!run.done) KillTimer(nullptr, timer);
    g_run = nullptr;
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

namespace wintest {

namespace {

class Reader {
  public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD word() {
        WORD v;
        std::memcpy(&v, p_, 2);
        p_ += 2;
        return v;
    }
    DWORD dword() {
        DWORD v;
        std::memcpy(&v, p_, 4);
        p_ += 4;
        return v;
    }
    short sword() { return static_cast<short>(word()); }
    std::wstring text() {
        std::wstring s;
        for (WORD c; (c = word()) != 0;) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    // A string or a 0xFFFF-prefixed ordinal.
    std::wstring text_or_ordinal() {
        WORD first;
        std::memcpy(&first, p_, 2);
        if (first == 0xFFFF) {
            word();
            return L"#" + std::to_wstring(word());
        }
        return text();
    }
    void align(const BYTE* base, std::size_t to) {
        while ((p_ - base) % to != 0) ++p_;
    }
    void skip(std::size_t n) { p_ += n; }
    const BYTE* at() const { return p_; }

  private:
    const BYTE* p_;
};

std::wstring class_of(const std::wstring& cls) {
    static const wchar_t* const kPredefined[] = {L"Button",  L"Edit",      L"Static",
                                                 L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int i = 0; i < 6; ++i)
        if (cls == L"#" + std::to_wstring(0x80 + i)) return kPredefined[i];
    return cls;
}

}  // namespace

bool load_dialog_template(int id, DialogTemplate& out) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (found == nullptr) return false;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    Reader r(base);
    if (r.word() != 1 || r.word() != 0xFFFF) return false;  // not DIALOGEX
    r.dword();                                              // help ID
    out.ex_style = r.dword();
    out.style = r.dword();
    const WORD count = r.word();
    r.sword(), r.sword();
    out.cx = r.sword();
    out.cy = r.sword();
    out.menu = r.text_or_ordinal();
    r.text_or_ordinal();  // window class
    out.title = r.text();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.point_size = r.word();
        r.word();   // weight
        r.skip(2);  // italic, character set
        out.font = r.text();
    }
    out.items.clear();
    for (WORD i = 0; i < count; ++i) {
        r.align(base, 4);
        TemplateItem item;
        r.dword();  // help ID
        item.ex_style = r.dword();
        item.style = r.dword();
        item.x = r.sword();
        item.y = r.sword();
        item.cx = r.sword();
        item.cy = r.sword();
        item.id = r.dword();
        item.cls = class_of(r.text_or_ordinal());
        item.title = r.text_or_ordinal();
        r.skip(r.word());
        out.items.push_back(item);
    }
    return true;
}

}  // namespace wintest
