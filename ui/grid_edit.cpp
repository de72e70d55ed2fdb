#include "ui/grid_edit.h"

#include <algorithm>
#include <cstdio>

#include "core/key_map.h"
#include "ui/grid_layout.h"

namespace {
constexpr uint8_t kScanCodeBits = 0x7F;
constexpr uint8_t kScanExtended = 0x80;
constexpr uint32_t kKeyNameExtendedBit = uint32_t{1} << 24;
} // namespace

bool DecodeHeaderId(int id, int& column) {
    if (id < IDC_HEADER_FIRST || id > IDC_HEADER_BLOCK_END)
        return false;
    column = id - IDC_HEADER_FIRST;
    return true;
}

bool DecodeRowCheckBoxId(int id, GridCell& cell) {
    if (id < IDC_ROW_CHECK_FIRST || id > IDC_ROW_CHECK_LAST)
        return false;
    const int offset = id - IDC_ROW_CHECK_FIRST;
    if (offset % IDC_ROW_BLOCK >= kGridColumns)
        return false;
    cell = {offset / IDC_ROW_BLOCK, offset % IDC_ROW_BLOCK};
    return true;
}

bool DecodeKeyButtonId(int id, int& row) {
    if (id < IDC_KEY_BUTTON_FIRST || id > IDC_KEY_BUTTON_LAST)
        return false;
    row = id - IDC_KEY_BUTTON_FIRST;
    return true;
}

InputWord ChordMaskFromChecks(const bool (&checked)[IDC_ROW_BLOCK]) {
    InputWord mask = 0;
    for (int j = IDC_ROW_BLOCK - 1; j >= 0; --j)
        mask = (mask << 1) | (checked[j] ? 1 : 0);
    return mask & kInputBitsMask;
}

bool ApplyChordEdit(ProgramState& s, const GridState& g, int row, InputWord mask) {
    if (row < 0 || row >= VisibleRows(s, g))
        return false;
    const int32_t entry = g.scrollPos + row;
    if (entry < 0 || entry >= KeyCount(s))
        return false;
    KeyMapEntry e = ReadEntry(s.keyMap.entries[entry]);
    SetChordMask(e, mask & kInputBitsMask);
    e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
    WriteEntry(s.keyMap.entries[entry], e);
    RecomputeZoneMode(s);
    return true;
}

bool ToggleInputEnabled(ProgramState& s, int column) {
    if (column < 0 || column >= IDC_ROW_BLOCK)
        return false;
    const InputWord bit = InputWord{1} << column;
    const InputWord mask = s.enabledMask.fetch_xor(bit, std::memory_order_relaxed) ^ bit;
    return (mask & bit) != 0;
}

bool RemoveRow(ProgramState& s, GridState& g) {
    const int32_t before = KeyCount(s);
    const int32_t after = std::max(before - 1, 1);
    s.keyMap.keyCount = after;
    g.scrollPos = ClampScrollPos(g.scrollPos, after, g.pageRows);
    RecomputeZoneMode(s);
    return after != before;
}

bool AddRow(ProgramState& s) {
    const int32_t before = KeyCount(s);
    const int32_t after = std::min(before + 1, kMaxKeys);
    s.keyMap.keyCount = after;
    RecomputeZoneMode(s);
    return after != before;
}

void JoystickLabel(uint32_t number, char (&label)[kJoystickLabelSize]) {
    std::snprintf(label, sizeof label, "%2u", static_cast<unsigned>(number));
}

const char* KeyNameText(uint8_t vk, const char* platformName) {
    switch (vk) {
    case 1:
        return "Left Button";
    case 2:
        return "Right Button";
    case 4:
        return "Middle Button";
    case 5:
    case 6:
    case 7:
        return "X Button";
    default:
        return platformName != nullptr ? platformName : "";
    }
}

bool KeyNameTakesFocus(uint8_t vk) {
    return vk == kVkSpace;
}

uint32_t KeyNameLParam(uint8_t scan) {
    uint32_t lParam = uint32_t{static_cast<uint8_t>(scan & kScanCodeBits)} << 16;
    if (scan & kScanExtended)
        lParam |= kKeyNameExtendedBit;
    return lParam;
}
