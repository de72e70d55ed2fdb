#include "ui/key_capture.h"

#include "app/key_map.h"
#include "engine/chords.h"
#include "platform/input.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"

namespace {
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint64_t kKeyMessageExtendedBit = uint64_t{1} << 24;
constexpr uint8_t kScanExtended = 0x80;
constexpr uint32_t kVkLeftButton = 1;
constexpr uint32_t kVkRightButton = 2;
constexpr uint32_t kVkReturn = 13;

// These keys would also act on the dialog (Enter presses "OK", a mouse button clicks), so the
// message that found them goes no further.
bool FinishesMessage(uint32_t vk) {
    return vk == kVkReturn || vk == kVkLeftButton || vk == kVkRightButton;
}

bool CapturedRow(const ProgramState& s, int& row) {
    return DecodeKeyButtonId(s.captureTarget, row);
}
} // namespace

void BeginKeyCapture(ProgramState& s, int keyButtonId) {
    s.captureTarget = keyButtonId;
    ReleaseAllKeys(s);
    s.captureActive.store(true, std::memory_order_relaxed);
}

void EndKeyCapture(ProgramState& s, CaptureView& view) {
    if (!s.captureActive.exchange(false, std::memory_order_relaxed))
        return;
    int row = 0;
    if (!CapturedRow(s, row))
        return;
    const int32_t entry = s.grid.scrollPos + row;
    if (entry < 0 || entry >= kMaxKeys)
        return;
    const KeyMapEntry e = ReadEntry(s.keyMap.entries[entry]);
    view.ShowKeyName(e.vk, e.scan, s.captureTarget);
}

uint32_t FindKeyDown() {
    for (uint32_t vk = kHighestCapturedKey; vk >= 1; --vk)
        if (IsKeyDownNow(vk))
            return vk;
    return 0;
}

bool StepKeyCapture(ProgramState& s, CaptureView& view) {
    const InputWord held = s.engine.currentInput.load(std::memory_order_relaxed);
    const int target = s.captureTarget;
    int row = 0;
    if (!CapturedRow(s, row)) {
        s.captureActive.store(false, std::memory_order_relaxed);
        return false;
    }
    const uint32_t vk = FindKeyDown();
    const bool found = vk != 0 && !view.KeyDownWaiting();
    uint8_t scan = 0;
    if (found) {
        // The capture ends before anything is written: every write below makes the dialog run
        // messages, and a step run from one of them would find the same key still down.
        s.captureActive.store(false, std::memory_order_relaxed);
        scan = static_cast<uint8_t>(ScanCodeOfKey(vk));
        if (s.extendedKeyFlag)
            scan |= kScanExtended;
        const int32_t entry = s.grid.scrollPos + row;
        if (entry >= 0 && entry < kMaxKeys) {
            KeyMapEntry e = ReadEntry(s.keyMap.entries[entry]);
            SetChordMask(e, held);
            e.vk = static_cast<uint8_t>(vk);
            e.scan = scan;
            e.bitCount = static_cast<uint8_t>(CountInputBits(held));
            WriteEntry(s.keyMap.entries[entry], e);
        }
        RecomputeMaxChordSize(s);
    }
    for (int j = 0; j < kGridColumns; ++j) {
        // A nested step that found the key has shown its own chord; this one is older.
        if (!found && !s.captureActive.load(std::memory_order_relaxed))
            break;
        view.ShowChordCheck(RowCheckBoxId(row, j), ((held >> j) & 1) != 0);
    }
    if (!found)
        return false;
    view.ShowKeyName(static_cast<uint8_t>(vk), scan, target);
    return FinishesMessage(vk);
}

void NoteKeyMessage(ProgramState& s, uint32_t message, uint64_t lParam) {
    if (message == kWmKeyDown || message == kWmSysKeyDown)
        s.extendedKeyFlag = (lParam & kKeyMessageExtendedBit) != 0;
}
