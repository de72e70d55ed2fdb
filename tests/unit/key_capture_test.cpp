#include "ui/key_capture.h"

#include <functional>
#include <map>
#include <tuple>

#include "tests/unit/fixture.h"
#include "ui/grid_layout.h"

namespace {
constexpr InputWord kButton1 = 0x10000, kXLeft = 0x1;
constexpr uint32_t kWmKeyDown = 0x0100, kWmKeyUp = 0x0101, kWmSysKeyDown = 0x0104;
constexpr uint64_t kExtendedBit = uint64_t{1} << 24;

// The dialog as key capture sees it, writes counted; a write may run a nested step first.
struct FakeCaptureDialog : CaptureView {
    std::map<int, bool> checks;
    std::map<int, std::pair<uint8_t, uint8_t>> names; // key button: vk, scan
    int nameWrites = 0, checkWrites = 0;
    bool keyDownWaiting = false;
    std::function<void()> onWrite = [] {};

    void ShowChordCheck(int id, bool checked) override {
        ++checkWrites, checks[id] = checked, onWrite();
    }
    void ShowKeyName(uint8_t vk, uint8_t scan, int id) override {
        ++nameWrites, names[id] = {vk, scan}, onWrite();
    }
    bool KeyDownWaiting() override { return keyDownWaiting; }
    InputWord RowChord(int row) {
        InputWord chord = 0;
        for (int j = 0; j < kGridColumns; ++j)
            chord |= checks[RowCheckBoxId(row, j)] ? InputWord{1} << j : 0;
        return chord;
    }
};

struct KeyCaptureTest : FakeSystemTest {
    SetupDialogState d;
    FakeCaptureDialog dialog;
    KeyMessageMemory keys;

    KeyCaptureTest() { d.grid.pageRows = 30; }
    void Hold(InputWord joystick) { s.engine.currentInput = joystick; }
    void PressKey(uint32_t vk, bool down = true) { fake.input.physicalDown[vk] = down; }
    KeyMapEntry Entry(int i) const { return ReadEntry(s.keyMap.entries[i]); }
    // The dialog procedure: a capture step first for every message while the capture runs.
    bool Message(bool tick = false) {
        return s.captureActive && StepKeyCapture(s, d, keys, dialog, tick);
    }
    void Begin(int row) { BeginKeyCapture(s, d, keys, KeyButtonId(row)); }
};

TEST_F(KeyCaptureTest, TheHeldChordAndTheKeyGoToTheRowsEntryAndTheChordSizeFollows) {
    s.keyMap.keyCount = 20;
    d.grid.scrollPos = 4;
    WriteEntry(s.keyMap.entries[6], {0, 0, 9, 0, 0, 0x77}); // scrollPos 4 + row 2
    const InputWord held = kButton1 | kXLeft | Button(2);
    Begin(2);
    Hold(held);
    EXPECT_FALSE(Message() || Entry(6).vk != 9) << "nothing pressed yet, nothing written";
    EXPECT_EQ(dialog.RowChord(2), held) << "the row follows the joystick live";
    PressKey('A');
    EXPECT_FALSE(Message() || s.captureActive) << "A does not finish the message";
    const KeyMapEntry e = Entry(6);
    EXPECT_EQ((e.vk << 24) | (e.scan << 16) | (e.bitCount << 8) | e.reserved, 0x411E0377);
    EXPECT_EQ(s.maxChordSize, 3) << "recomputed after a capture";
    EXPECT_EQ(dialog.names[KeyButtonId(2)], std::make_pair(uint8_t{'A'}, uint8_t{0x1E}));
    Begin(2);
    Hold(0);
    Message();
    EXPECT_EQ(ChordMask(Entry(6)) | Entry(6).bitCount | (s.maxChordSize - 1), 0u) << "empty chord";
}

using HookMessage = std::tuple<uint32_t, uint32_t, uint64_t>; // message, key, lParam
constexpr HookMessage Down(uint32_t vk, uint8_t scan = 0, bool extended = false) {
    return {kWmKeyDown, vk, uint64_t{scan} << 16 | (extended ? kExtendedBit : 0)};
}
constexpr HookMessage SysDown(uint32_t vk, bool extended) {
    return {kWmSysKeyDown, vk, 0x38u << 16 | (extended ? kExtendedBit : 0)};
}
constexpr uint32_t kWaiting = 0x1000; // a key-down waits in the queue, not yet past the hook

// Rows: active, hook messages before and after Begin, keys down, ticks (0: one other message) ->
// key and scan taken (0: none yet), message finished. Highest key wins, a key-down tells the side;
// in the active dialog a key waits for its message (mouse buttons not, others two ticks at most).
TEST_F(KeyCaptureTest, TheKeyTakenFromTheKeyStateAndTheHooksMessages) {
    using Messages = std::vector<HookMessage>;
    const std::tuple<bool, Messages, Messages, std::vector<uint32_t>, int, uint32_t, uint32_t, bool>
        rows[] = {
            {false, {}, {}, {16, 160, 'A'}, 0, 160, 0x2A, false},
            {false, {}, {}, {'A', 'C'}, 0, 'C', 0, false},
            {false, {}, {Down(16, 0x2A)}, {}, 0, 160, 0x2A, false},
            {false, {}, {Down(16, 0x36)}, {}, 0, 161, 0x36, false},
            {false, {}, {Down(17, 0x1D)}, {}, 0, 162, 0x1D, false},
            {false, {}, {Down(17, 0x1D, true)}, {}, 0, 163, 0x80, false},
            {false, {}, {SysDown(18, false)}, {}, 0, 164, 0, false},
            {false, {}, {SysDown(18, true)}, {}, 0, 165, 0x80, false},
            {false, {}, {Down(16, 0x36)}, {16}, 0, 161, 0x36, false},
            {false, {}, {Down('A')}, {17}, 0, 162, 0x1D, false},
            {false, {}, {}, {13}, 0, 13, 0x1C, true}, {false, {}, {}, {1}, 0, 1, 0, true},
            {false, {}, {}, {2}, 0, 2, 0, true},      {false, {}, {}, {4}, 0, 4, 0, false},
            {false, {}, {}, {32}, 0, 32, 0, false},   {true, {}, {}, {1}, 0, 1, 0, true},
            {false, {Down(45, 0, true), {kWmKeyUp, 45, 0}}, {}, {45}, 0, 45, 0xD2, false},
            {true, {Down(46, 0, true)}, {}, {45}, 2, 0, 0, false},
            {true, {}, {}, {45 | kWaiting}, 3, 0, 0, false},
            {true, {Down(46, 0, true)}, {Down(45)}, {45}, 0, 45, 0x52, false},
            {true, {}, {}, {44}, 2, 0, 0, false},     {true, {}, {}, {44}, 3, 44, 0, false},
            {true, {Down('Q')}, {}, {}, 0, 0, 0, false},
            {true, {}, {Down(13)}, {}, 0, 13, 0x1C, true},
            {true, {}, {Down('B')}, {160}, 0, 160, 0x2A, false}};
    for (const auto& row : rows) {
        const auto& [active, before, after, down, ticks, vk, scan, finishes] = row;
        SCOPED_TRACE(&row - rows);
        ResetFakeSystem();
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        d.extendedKeyFlag = false;
        s.dialogActive = active;
        for (const auto& [message, key, lParam] : before)
            NoteKeyMessage(d, keys, message, key, lParam);
        Begin(1);
        for (const auto& [message, key, lParam] : after)
            NoteKeyMessage(d, keys, message, key, lParam);
        for (uint32_t key : down)
            PressKey(key & 0xFF), dialog.keyDownWaiting = (key & kWaiting) != 0;
        bool finished = ticks == 0 && Message();
        for (int tick = 0; tick < ticks; ++tick)
            finished = Message(true);
        EXPECT_EQ(s.captureActive, vk == 0);
        const uint32_t taken = vk ? vk << 8 | scan : 40 << 8 | 0x50; // or the default
        EXPECT_EQ(uint32_t(Entry(1).vk << 8 | Entry(1).scan), taken);
        EXPECT_EQ(finished, finishes);
    }
}

// Nested steps neither capture the held key again without end nor see their chord overwritten.
TEST_F(KeyCaptureTest, StartAndEndRestoreTheRowAndNestedStepsNeitherRecaptureNorOverwrite) {
    // starting releases what chords hold; ending without a key restores the row
    s.timing.pollingInterval = 100;
    ProduceEvents(s, JoystickSample{}, kButton1); // entry 4: button 1 presses Return
    ASSERT_TRUE(fake.input.injectedDown[13]);
    Begin(4);
    EXPECT_FALSE(fake.input.injectedDown[13]) << "lifted when the capture starts";
    Hold(kXLeft);
    Message();
    EndKeyCapture(s, d, dialog);
    EXPECT_FALSE(s.captureActive);
    EXPECT_EQ(dialog.names[KeyButtonId(4)], std::make_pair(uint8_t{13}, Entry(4).scan))
        << "the button names its key again instead of asking for one";
    EXPECT_EQ(dialog.RowChord(4), kButton1) << "the check boxes show the entry, not the joystick";
    const int writes = dialog.nameWrites;
    EndKeyCapture(s, d, dialog);
    Message();
    EXPECT_EQ(dialog.nameWrites, writes) << "nothing to end, no step runs";
    dialog.nameWrites = dialog.checkWrites = 0;
    int nested = 0;
    dialog.onWrite = [&] { ++nested < 1000 && Message(); };
    Begin(2);
    Hold(kButton1);
    PressKey('A');
    Message();
    EXPECT_EQ(dialog.nameWrites * 1000 + dialog.checkWrites, 1000 + kGridColumns) << "once each";
    EXPECT_EQ(Entry(2).vk, 'A');
    EXPECT_FALSE(s.captureActive);
    PressKey('A', false);
    nested = 0;
    dialog.onWrite = [&] {
        if (++nested == 3)
            Hold(kButton1 | kXLeft), PressKey('C'), Message();
    };
    Begin(4);
    Hold(kButton1 | Button(2));
    EXPECT_FALSE(Message());
    EXPECT_EQ(ChordMask(Entry(4)), kButton1 | kXLeft);
    EXPECT_EQ(dialog.RowChord(4), kButton1 | kXLeft);
    EXPECT_EQ(dialog.nameWrites, 2);
}
} // namespace
