#pragma once
// The setup dialog's grid on screen: BuildGrid measures the live dialog and carries out the plan
// of ui/grid_layout.h; RefreshRows and ShowKeyName write the rows.
#include <windows.h>

#include <cstdint>

void BuildGrid(HWND dialog);
void RefreshRows(HWND dialog);
void ShowKeyName(HWND dialog, uint8_t vk, uint8_t scan, int controlId);
// A scroll bar request: moves the rows over the key map.
void ScrollGrid(HWND dialog, int32_t request, int32_t thumb);
