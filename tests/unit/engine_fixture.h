#pragma once
// Fresh state and fresh fakes for every engine test, and a readable account of what was injected.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/key_map.h"
#include "engine/held_keys.h"
#include "engine/poll_loop.h"
#include "platform/input.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_fine_timer.h"
#include "tests/fakes/fake_input.h"
#include "tests/fakes/fake_joystick.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_tray.h"

using Events = std::vector<std::string>;

constexpr InputWord Button(int n) {
    return InputWord{1} << (15 + n);
}

// "+A" / "-A" for a letter's key-down / key-up, "+45 ext" for other codes with the extended
// flag, "+m2" / "-m4" for mouse flags (X buttons add their data: "+m128/1").
inline std::string Describe(const InjectedEvent& e) {
    const bool key = e.kind == InjectedEvent::Key;
    constexpr uint32_t kMouseUps = kMouseLeftUp | kMouseRightUp | kMouseMiddleUp | kMouseXUp;
    const bool up = key ? (e.flags & kKeyEventKeyUp) != 0 : (e.flags & kMouseUps) != 0;
    std::string text(1, up ? '-' : '+');
    if (!key) {
        text.append("m").append(std::to_string(e.flags));
        if (e.data != 0)
            text.append("/").append(std::to_string(e.data));
        return text;
    }
    if (e.vk >= 'A' && e.vk <= 'Z')
        text.push_back(static_cast<char>(e.vk));
    else
        text.append(std::to_string(e.vk));
    if (e.flags & kKeyEventExtended)
        text.append(" ext");
    return text;
}

struct EngineTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;

    EngineTest() {
        ResetFakeInput();
        ResetFakeJoystick();
        TheFakeClock() = FakeClock{};
        TheFakeFineTimer() = FakeFineTimer{};
        TheFakeTray() = FakeTray{};
        TheFakeMessageBox() = FakeMessageBox{};
    }

    // As a key capture leaves an entry: bitCount matches the mask.
    void SetEntry(int i, InputWord mask, uint8_t vk, uint8_t scan = 0) {
        KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        SetChordMask(e, mask);
        e.vk = vk;
        e.scan = scan;
        e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
        WriteEntry(s.keyMap.entries[i], e);
    }
    void UseEntries(std::initializer_list<std::pair<InputWord, uint8_t>> entries) {
        int i = 0;
        for (const auto& [mask, vk] : entries)
            SetEntry(i++, mask, vk);
        s.keyMap.keyCount = i;
        RecomputeMaxChordSize(s);
    }

    // One chord resolution; Step leaves the events in the fake, Resolve returns and clears them.
    void Step(InputWord input) { ProduceEvents(s, JoystickSample{}, input); }
    Events Resolve(InputWord input) {
        Step(input);
        return TakeEvents();
    }
    static Events TakeEvents() {
        Events described;
        for (const InjectedEvent& e : TheFakeInput().events)
            described.push_back(Describe(e));
        TheFakeInput().events.clear();
        return described;
    }
    int32_t Counter(int i) const { return s.engine.chordCounter[i].load(); }
};
