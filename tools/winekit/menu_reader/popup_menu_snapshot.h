#pragma once
// What the menu reader (a hook DLL the driver places on the program's user-interface thread)
// reads from an open popup menu in the program's own process, and how the driver asks for it.
// Under Wine a menu handle is only usable in the process that made it, so the menu is read there
// and the result comes back through this shared memory. Both sides are built by the same
// compiler, so one struct describes the mapping exactly.
#include <windows.h>

#include <cstdint>

constexpr char kPopupMenuSnapshotMapping[] = "Local\\PadwrightPopupMenuSnapshot";
constexpr uint32_t kPopupMenuSnapshotMagic = 0x4D4D5750; // "PWMM"
// Sent to the popup menu window ("#32768"); the hook sees it before the menu's own procedure.
constexpr char kReadPopupMenuMessage[] = "PadwrightE2EReadPopupMenu";
constexpr char kReadPopupMenuHookName[] = "ReadPopupMenuHook";
constexpr char kMenuReaderDll[] = "padwright_menu_reader.dll";

constexpr int kSnapshotMaxItems = 32;
constexpr int kSnapshotTextSize = 128;

struct PopupMenuSnapshotItem {
    uint32_t id;       // wID
    uint32_t type;     // fType (MFT_*)
    uint32_t state;    // fState (MFS_*)
    int32_t textChars; // what GetMenuStringA reports; -1 when it failed
    char text[kSnapshotTextSize];
    RECT screenRect; // GetMenuItemRect; all zero when it failed
};

struct PopupMenuSnapshot {
    uint32_t magic;
    uint32_t size;            // sizeof(PopupMenuSnapshot), so a stale layout is never trusted
    volatile LONG requests;   // raised by the driver before it asks
    volatile LONG answers;    // set to `requests` by the reader once the rest is written
    uint32_t readerProcessId; // the process the menu was read in
    uint32_t readerThreadId;
    uint64_t menu;     // the HMENU the popup window answered to MN_GETHMENU
    int32_t itemCount; // GetMenuItemCount; -1 when the handle was not a menu
    int32_t lastError; // GetLastError after GetMenuItemCount
    PopupMenuSnapshotItem items[kSnapshotMaxItems];
};
