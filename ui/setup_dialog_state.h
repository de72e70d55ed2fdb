#pragma once
// The setup dialog's own record: the grid's geometry, scroll and drag state, and key capture's
// target and extended-key flag. User-interface thread only. It lives as long as the process, so
// the scroll position survives closing and reopening the dialog.
#include <cstdint>

struct GridState {
    int32_t scrollPos = 0;
    int32_t pageRows = 0;
    int32_t builtKeyCount = 0;
    int32_t rowPitch = 0;
    int32_t keyButtonTop = 0;
    int32_t frameDx = 0;
    int32_t frameDy = 0;
    struct {
        int32_t left, top, right, bottom;
    } workArea{};
    int32_t dragActive = 0;
    int32_t dragSourceRow = 0;
    int32_t dropRow = 0;
};

struct SetupDialogState {
    GridState grid;
    int32_t captureTarget = 0;    // key button identifier of the row being captured
    bool extendedKeyFlag = false; // of the last key-down message the hook saw
};

// The process-wide record.
SetupDialogState& SetupDialog();
