#include "velour/velour_message_box.h"

int VelourMessageBox(const wchar_t* text, const wchar_t* caption, UINT type, HWND owner) {
    return ::MessageBoxW(owner, text, caption, type);
}
