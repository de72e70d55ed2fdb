#pragma once
// Drag reordering of the setup grid's rows, around the decisions of ui/grid_drag.h.
#include <windows.h>

#include <cstdint>

void OnGridPress(HWND dialog, uint32_t x, uint32_t y);
void OnGridPointerMove(HWND dialog, WPARAM keyState, uint32_t y);
void OnGridRelease(HWND dialog, WPARAM keyState, uint32_t y);
