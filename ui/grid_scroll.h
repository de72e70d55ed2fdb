#pragma once
// Scrolling the setup grid over the key map (ScrollGrid's decisions).
#include <cstdint>

#include "core/program_state.h"
#include "ui/setup_dialog_state.h"

// Request codes of WM_VSCROLL.
constexpr int32_t kSbLineUp = 0;
constexpr int32_t kSbLineDown = 1;
constexpr int32_t kSbPageUp = 2;
constexpr int32_t kSbPageDown = 3;
constexpr int32_t kSbThumbPosition = 4;
constexpr int32_t kSbThumbTrack = 5;
constexpr int32_t kSbTop = 6;
constexpr int32_t kSbBottom = 7;

// The requested position, clamped into 0 .. max(keyCount - pageRows, 0); other codes keep it.
int32_t ScrollTarget(int32_t request, int32_t thumb, int32_t scrollPos, int32_t keyCount,
                     int32_t pageRows);

// Moves scrollPos; returns whether it changed, that is whether the rows need RefreshRows. The
// scroll bar's position is set to scrollPos either way.
bool ApplyScroll(const ProgramState& s, GridState& g, int32_t request, int32_t thumb);
