#include "ui/key_capture.h"

#include <functional>
#include <map>

#include "tests/unit/fixture.h"
#include "ui/grid_layout.h"

namespace {

constexpr InputWord kButton1 = 0x10000;
constexpr InputWord kXLeft = 0x1;
constexpr uint8_t kScanOfA = 0x1E;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint64_t kExtendedBit = uint64_t{1} << 24;

// The dialog as key capture sees it: check states and key button texts, and every write
// recorded. A write may run a step of its own first, as writing a control does to a dialog
// whose procedure starts every message with a capture step.
struct FakeCaptureDialog : CaptureView {
    std::map<int, bool> checks;
    std::map<int, std::pair<uint8_t, uint8_t>> names; // key button: vk, scan
    int nameWrites = 0;
    int checkWrites = 0;
    bool keyDownWaiting = false;
    std::function<void()> onWrite;

    void ShowChordCheck(int controlId, bool checked) override {
        ++checkWrites;
        checks[controlId] = checked;
        if (onWrite)
            onWrite();
    }
    void ShowKeyName(uint8_t vk, uint8_t scan, int keyButtonId) override {
        ++nameWrites;
        names[keyButtonId] = {vk, scan};
        if (onWrite)
            onWrite();
    }
    bool KeyDownWaiting() override { return keyDownWaiting; }
    InputWord RowChord(int row) {
        InputWord chord = 0;
        for (int j = 0; j < kGridColumns; ++j)
            if (checks[RowCheckBoxId(row, j)])
                chord |= InputWord{1} << j;
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
    bool Message(bool timerTick = false) {
        return s.captureActive ? StepKeyCapture(s, d, keys, dialog, timerTick) : false;
    }
    bool TimerTick() { return Message(true); }
    void Begin(int row) { BeginKeyCapture(s, d, keys, KeyButtonId(row)); }
    // A key-down message as it passes the message hook.
    void KeyDownMessage(uint32_t vk, bool extended = false, uint32_t message = kWmKeyDown) {
        NoteKeyMessage(d, keys, message, vk, extended ? kExtendedBit : 0);
    }
};

TEST_F(KeyCaptureTest, ButtonOneHeldAndAPressedAssignsThemToTheRowsEntry) {
    s.keyMap.keyCount = 20;
    d.grid.scrollPos = 4;
    KeyMapEntry before = Entry(6);
    before.reserved = 0x77;
    WriteEntry(s.keyMap.entries[6], before);

    Begin(2);
    EXPECT_TRUE(s.captureActive);
    Hold(kButton1);
    EXPECT_FALSE(Message()) << "nothing pressed yet";
    EXPECT_TRUE(s.captureActive);
    EXPECT_EQ(dialog.RowChord(2), kButton1) << "the row follows the joystick live";
    EXPECT_EQ(Entry(6).vk, before.vk) << "nothing written before a key";

    PressKey('A');
    EXPECT_FALSE(Message()) << "A does not finish the message";
    EXPECT_FALSE(s.captureActive);
    const KeyMapEntry e = Entry(6); // scrollPos 4 + row 2
    EXPECT_EQ(ChordMask(e), kButton1);
    EXPECT_EQ(e.vk, 'A');
    EXPECT_EQ(e.scan, kScanOfA);
    EXPECT_EQ(e.bitCount, 1);
    EXPECT_EQ(e.reserved, 0x77);
    EXPECT_EQ(dialog.names[KeyButtonId(2)], std::make_pair(uint8_t{'A'}, kScanOfA));

    const int writes = dialog.nameWrites;
    Message();
    EXPECT_EQ(dialog.nameWrites, writes) << "the capture is over";
}

TEST_F(KeyCaptureTest, ChordSizeFollowsTheCaptureAndAnEmptyChordIsKept) {
    s.keyMap.keyCount = 10;
    Begin(7);
    Hold(kXLeft | kButton1 | 0x20000);
    PressKey('B');
    Message();
    EXPECT_EQ(Entry(7).bitCount, 3);
    EXPECT_EQ(s.maxChordSize, 3) << "recomputed after a capture";

    Begin(7);
    Hold(0);
    Message();
    EXPECT_EQ(ChordMask(Entry(7)), 0u) << "no joystick input: an empty chord that never fires";
    EXPECT_EQ(Entry(7).bitCount, 0);
    EXPECT_EQ(s.maxChordSize, 1);
}

// The highest key down wins, so a held modifier gives its left or right code. A quick tap is up
// again before the step runs; its key-down message then tells the side.
TEST_F(KeyCaptureTest, ShiftCtrlAndAltAreStoredWithTheirSideEvenWhenAlreadyUp) {
    const struct {
        uint32_t message, vk, scan;
        bool extended;
        uint32_t down[3]; // keys reported down when the step runs
        uint32_t stored;
    } rows[] = {{0, 0, 0, false, {16, 160, 'A'}, 160},    {kWmKeyDown, 16, 0x2A, false, {}, 160},
                {kWmKeyDown, 16, 0x36, false, {}, 161},   {kWmKeyDown, 17, 0x1D, false, {}, 162},
                {kWmKeyDown, 17, 0x1D, true, {}, 163},    {kWmSysKeyDown, 18, 0x38, false, {}, 164},
                {kWmSysKeyDown, 18, 0x38, true, {}, 165}, {kWmKeyDown, 16, 0x36, false, {16}, 161},
                {kWmKeyDown, 'A', 0x1E, false, {17}, 162}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        ResetFakeSystem();
        Begin(0);
        if (row.message != 0)
            NoteKeyMessage(d, keys, row.message, row.vk,
                           (uint64_t{row.scan} << 16) | (row.extended ? kExtendedBit : 0));
        for (uint32_t vk : row.down)
            PressKey(vk);
        Message();
        EXPECT_EQ(Entry(0).vk, row.stored);
    }
}

TEST_F(KeyCaptureTest, EnterAndTheLeftAndRightMouseButtonsFinishTheirMessage) {
    for (uint32_t vk : {13u, 1u, 2u, 4u, 32u}) {
        SCOPED_TRACE(vk);
        ResetFakeSystem();
        Begin(1);
        PressKey(vk);
        EXPECT_EQ(Message(), vk == 13 || vk == 1 || vk == 2);
        EXPECT_EQ(Entry(1).vk, vk);
    }
}

TEST_F(KeyCaptureTest, TheExtendedFlagComesFromTheLastKeyDownMessage) {
    KeyDownMessage(45, true);
    EXPECT_TRUE(d.extendedKeyFlag);
    NoteKeyMessage(d, keys, kWmKeyUp, 45, 0);
    EXPECT_TRUE(d.extendedKeyFlag) << "only key-down messages count";
    Begin(3);
    PressKey(45); // Insert, pressed while another program has the focus
    Message();
    EXPECT_EQ(Entry(3).scan, 0x52 | 0x80) << "the flag the last key-down left";

    KeyDownMessage(18, false, kWmSysKeyDown);
    EXPECT_FALSE(d.extendedKeyFlag);
    KeyDownMessage(18, true, kWmSysKeyDown);
    EXPECT_TRUE(d.extendedKeyFlag);
}

// In the active dialog the key state changes before the key's own message arrives, and only the
// message tells whether the key is an extended one.
TEST_F(KeyCaptureTest, InTheActiveDialogAKeyIsTakenOnceItsMessageHasPassedTheHook) {
    s.dialogActive = true;
    KeyDownMessage(46, true); // Delete, an extended key, pressed before
    Begin(0);
    PressKey(45); // Insert on the keypad's place: not extended
    EXPECT_FALSE(Message());
    EXPECT_FALSE(TimerTick());
    dialog.keyDownWaiting = true; // the message has arrived but not yet passed the hook
    EXPECT_FALSE(Message());
    EXPECT_TRUE(s.captureActive);
    EXPECT_EQ(dialog.nameWrites, 0);

    dialog.keyDownWaiting = false;
    KeyDownMessage(45, false);
    Message();
    EXPECT_FALSE(s.captureActive);
    EXPECT_EQ(Entry(0).scan, 0x52) << "not the flag Delete left";

    Begin(1);
    PressKey(45, false);
    PressKey(1); // mouse buttons send no key message
    EXPECT_TRUE(Message());
    EXPECT_EQ(Entry(1).vk, 1);

    Begin(2);
    PressKey(1, false);
    PressKey(44); // a key whose down the dialog never gets
    for (int tick = 0; tick < kTicksToWaitForKeyMessage; ++tick)
        EXPECT_FALSE(TimerTick());
    TimerTick();
    EXPECT_EQ(Entry(2).vk, 44) << "taken after waiting";
}

// Wine keeps the key state for a while, so it can still say "up" while the key's own key-down
// message is handled; Enter must be taken then, or that message goes on to press "OK".
TEST_F(KeyCaptureTest, TheKeyOfAKeyDownMessageIsTakenWhenTheKeyStateLags) {
    s.dialogActive = true;
    KeyDownMessage('Q');
    Begin(1);
    EXPECT_FALSE(Message()) << "a key-down from before the capture does not count";
    KeyDownMessage(13);
    EXPECT_TRUE(Message());
    EXPECT_EQ(Entry(1).vk, 13);

    Begin(1);
    KeyDownMessage('B');
    PressKey(160); // Left Shift, reported down
    Message();
    EXPECT_EQ(Entry(1).vk, 160) << "a key reported down still wins";
}

// Writing the key's name makes the dialog run messages at once, each of them a capture step
// while the capture still runs; the key is still down, so every step would write the entry and
// the name again, without end.
TEST_F(KeyCaptureTest, AStepRunFromTheDialogsOwnWritesNeverCapturesTheKeyAgain) {
    int nested = 0;
    dialog.onWrite = [&] {
        if (++nested < 1000)
            Message();
    };
    Begin(2);
    Hold(kButton1);
    PressKey('A');
    Message();
    EXPECT_EQ(dialog.nameWrites, 1);
    EXPECT_EQ(dialog.checkWrites, kGridColumns);
    EXPECT_LT(nested, 1000);
    EXPECT_FALSE(s.captureActive);
    EXPECT_EQ(Entry(2).vk, 'A');
    EXPECT_EQ(dialog.RowChord(2), kButton1);
}

// A key going down while the row's check boxes are written: the nested step takes it with the
// chord held then, and the outer step, which read the joystick earlier, stops writing its older
// chord over the row.
TEST_F(KeyCaptureTest, AKeyFoundInANestedStepLeavesTheRowShowingTheChordItStored) {
    int writes = 0;
    dialog.onWrite = [&] {
        if (++writes == 3) {
            Hold(kButton1 | kXLeft);
            PressKey('C');
            Message();
        }
    };
    Begin(4);
    Hold(kButton1);
    EXPECT_FALSE(Message());
    EXPECT_EQ(ChordMask(Entry(4)), kButton1 | kXLeft);
    EXPECT_EQ(dialog.RowChord(4), kButton1 | kXLeft);
    EXPECT_EQ(dialog.nameWrites, 1);
}

TEST_F(KeyCaptureTest, StartingReleasesWhatChordsHoldAndEndingWithoutAKeyRestoresTheRow) {
    s.timing.pollingInterval = 100;
    ProduceEvents(s, JoystickSample{}, kButton1); // entry 4: button 1 presses Return
    ASSERT_TRUE(fake.input.injectedDown[13]);

    Begin(4);
    EXPECT_FALSE(fake.input.injectedDown[13]) << "lifted when the capture starts";
    EXPECT_EQ(d.captureTarget, KeyButtonId(4));

    Hold(kXLeft);
    Message();
    EndKeyCapture(s, d, dialog);
    EXPECT_FALSE(s.captureActive);
    EXPECT_EQ(dialog.names[KeyButtonId(4)], std::make_pair(uint8_t{13}, Entry(4).scan))
        << "the button names its key again instead of asking for one";
    EXPECT_EQ(dialog.RowChord(4), kButton1) << "the check boxes show the entry, not the joystick";
    const int writes = dialog.nameWrites;
    EndKeyCapture(s, d, dialog);
    EXPECT_EQ(dialog.nameWrites, writes) << "nothing to end";
}

} // namespace
