#include "drive_dialog.h"

// Until the drive list exists the command ends as if cancelled.
std::optional<std::wstring> run_drive_dialog(HWND, AppState&) { return std::nullopt; }
