// A program to bring to the front, for the end-to-end cases of slots that follow the program in
// front: copied under the file names a case needs (game.exe, race.exe, ...), it opens a window
// titled by its command line with a focused edit box that collects the keys typed into it, takes
// the foreground, and ends when its window is closed. A case reads what arrived with WM_GETTEXT
// on the edit box, and brings the window back to the front by its title.
// Wine 8 raises no EVENT_SYSTEM_FOREGROUND of its own, so the window raises it whenever it
// becomes the active one; on Windows the system's own notice comes as well.
#include <windows.h>

namespace {
constexpr char kClass[] = "PadwrightReceiver";

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        MoveWindow(GetWindow(window, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
        break;
    case WM_SETFOCUS: // the edit box keeps the focus whenever the window has it
        SetFocus(GetWindow(window, GW_CHILD));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kClass, commandLine, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                                  480, 160, nullptr, nullptr, module, nullptr);
    if (window == nullptr)
        return 1;
    RECT client{};
    GetClientRect(window, &client);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0,
                                0, client.right, client.bottom, window, nullptr, module, nullptr);
    SendMessageA(edit, EM_SETLIMITTEXT, 0x10000, 0);
    SetForegroundWindow(window);
    SetFocus(edit);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
