#include "tools/winekit/screenshot.h"

#include "tools/winekit/wait.h"

namespace {

std::string artifactsDirectory;
constexpr UINT kPaintWaitMs = 2000;
constexpr DWORD kWatcherWaitMs = 10000;

// A window found a moment after it was created may not have painted yet: have it (and its
// children) paint now, on its own thread, and wait until that thread has done so. Bounded, so a
// hung window gives a picture of whatever is there.
void SettlePainting(HWND window) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPaintWaitMs, &ignored))
        return;
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPaintWaitMs, &ignored);
    GdiFlush();
}

bool WriteRequest(const std::string& path, const std::string& area) {
    const std::string temporary = path + ".tmp";
    HANDLE out = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, area.data(), DWORD(area.size()), &written, nullptr);
    CloseHandle(out);
    // Renamed into place, so the watcher never reads half a request.
    return ok && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

} // namespace

void SetArtifactsDirectory(const std::string& windowsPath) {
    artifactsDirectory = windowsPath;
}

bool SaveScreenshot(const std::string& name, HWND window) {
    if (artifactsDirectory.empty())
        return false;
    std::string area;
    if (window != nullptr) {
        SettlePainting(window);
        RECT r{};
        if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top)
            return false;
        area = Format("%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    const std::string request = artifactsDirectory + "\\" + name + ".request";
    if (!WriteRequest(request, area))
        return false;
    const bool taken = PollUntil(kWatcherWaitMs, [&] {
        return GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES;
    });
    if (!taken) {
        DeleteFileA(request.c_str());
        Trace("no screenshot '%s': nobody took the request", name.c_str());
    }
    return taken;
}
