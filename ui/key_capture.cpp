#include "ui/key_capture.h"

#include "core/key_map.h"
#include "engine/held_keys.h"
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
constexpr uint32_t kVkMiddleButton = 4;
constexpr uint32_t kVkFirstExtraButton = 5;
constexpr uint32_t kVkSecondExtraButton = 6;
constexpr uint32_t kVkShift = 16;
constexpr uint32_t kVkAlt = 18;
constexpr uint32_t kVkLeftShift = 160; // then right Shift, left and right Ctrl, left and right Alt
constexpr uint32_t kScanRightShift = 0x36;
constexpr int kKeyMessageScanShift = 16;

bool IsMouseButton(uint32_t vk) {
    return vk == kVkLeftButton || vk == kVkRightButton || vk == kVkMiddleButton ||
           vk == kVkFirstExtraButton || vk == kVkSecondExtraButton;
}

// The left code of a modifier's pair; 0 for other keys.
uint32_t LeftCodeOf(uint32_t vk) {
    if (vk < kVkShift || vk > kVkAlt)
        return 0;
    return kVkLeftShift + 2 * (vk - kVkShift);
}

// A side-neutral modifier from the hook's last key-down of the same modifier, or else the left
// one; other keys as they are.
uint32_t WithSide(uint32_t vk, uint32_t keyDownSeen) {
    const uint32_t left = LeftCodeOf(vk);
    if (left == 0)
        return vk;
    return keyDownSeen == left + 1 ? keyDownSeen : left;
}

// The key of a key-down message. Shift, Ctrl and Alt come as their side-neutral codes; the entry
// stores the side (160 to 165): Shift tells it by the scan code, Ctrl and Alt by the extended bit.
uint32_t KeyOfMessage(uint32_t vk, uint8_t scan, bool extended) {
    const uint32_t left = LeftCodeOf(vk);
    if (left == 0)
        return vk;
    const bool right = vk == kVkShift ? scan == kScanRightShift : extended;
    return right ? left + 1 : left;
}

// The key the step takes, or 0 to leave it to a later step.
uint32_t KeyToTake(const ProgramState& s, KeyMessageMemory& memory, CaptureView& view,
                   bool timerTick) {
    if (view.KeyDownWaiting())
        return 0;
    const uint32_t down = WithSide(FindKeyDown(), memory.keyDownSeen);
    if (down == 0)
        return memory.keyDownSeen;
    // In the active dialog the key's own message is on its way; it carries the extended bit.
    const bool awaitsMessage = memory.keyDownSeen == 0 && !IsMouseButton(down) &&
                               s.dialogActive.load(std::memory_order_relaxed);
    if (awaitsMessage && timerTick)
        ++memory.ticksWaited;
    if (awaitsMessage && memory.ticksWaited <= kTicksToWaitForKeyMessage)
        return 0;
    return down;
}

// These keys would also act on the dialog (Enter presses "OK", a mouse button clicks), so the
// message that found them goes no further.
bool FinishesMessage(uint32_t vk) {
    return vk == kVkReturn || vk == kVkLeftButton || vk == kVkRightButton;
}

bool CapturedRow(const SetupDialogState& d, int& row) {
    return DecodeKeyButtonId(d.captureTarget, row);
}

void ShowRowChord(CaptureView& view, int row, InputWord chord) {
    for (int j = 0; j < kGridColumns; ++j)
        view.ShowChordCheck(RowCheckBoxId(row, j), ((chord >> j) & 1) != 0);
}
} // namespace

void BeginKeyCapture(ProgramState& s, SetupDialogState& d, KeyMessageMemory& memory,
                     int keyButtonId) {
    d.captureTarget = keyButtonId;
    ReleaseAllKeys(s);
    memory = KeyMessageMemory{};
    s.captureActive.store(true, std::memory_order_relaxed);
}

void EndKeyCapture(ProgramState& s, const SetupDialogState& d, CaptureView& view) {
    if (!s.captureActive.exchange(false, std::memory_order_relaxed))
        return;
    int row = 0;
    if (!CapturedRow(d, row))
        return;
    const int32_t entry = d.grid.scrollPos + row;
    if (entry < 0 || entry >= kMaxKeys)
        return;
    // The row's check boxes followed the joystick; they show the entry's chord again.
    const KeyMapEntry e = ReadEntry(s.keyMap.entries[entry]);
    view.ShowKeyName(e.vk, e.scan, d.captureTarget);
    ShowRowChord(view, row, ChordMask(e));
}

uint32_t FindKeyDown() {
    for (uint32_t vk = kHighestCapturedKey; vk >= 1; --vk)
        if (IsKeyDownNow(vk))
            return vk;
    return 0;
}

bool StepKeyCapture(ProgramState& s, const SetupDialogState& d, KeyMessageMemory& memory,
                    CaptureView& view, bool timerTick) {
    const InputWord held = s.engine.currentInput.load(std::memory_order_relaxed);
    const int target = d.captureTarget;
    int row = 0;
    if (!CapturedRow(d, row)) {
        s.captureActive.store(false, std::memory_order_relaxed);
        return false;
    }
    const uint32_t vk = KeyToTake(s, memory, view, timerTick);
    const bool found = vk != 0;
    uint8_t scan = 0;
    if (found) {
        // The capture ends before anything is written: every write below makes the dialog run
        // messages, and a step run from one of them would find the same key still down.
        s.captureActive.store(false, std::memory_order_relaxed);
        memory = KeyMessageMemory{};
        scan = static_cast<uint8_t>(ScanCodeOfKey(vk));
        if (d.extendedKeyFlag)
            scan |= kScanExtended;
        const int32_t entry = d.grid.scrollPos + row;
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

void NoteKeyMessage(SetupDialogState& d, KeyMessageMemory& memory, uint32_t message,
                    uint64_t wParam, uint64_t lParam) {
    if (message != kWmKeyDown && message != kWmSysKeyDown)
        return;
    d.extendedKeyFlag = (lParam & kKeyMessageExtendedBit) != 0;
    memory.keyDownSeen =
        KeyOfMessage(static_cast<uint32_t>(wParam & 0xFF),
                     static_cast<uint8_t>(lParam >> kKeyMessageScanShift), d.extendedKeyFlag);
}

