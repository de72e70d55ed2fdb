#pragma once
// Tests start on a fresh fake system and state with the default map; engine tests add more.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/key_map.h"
#include "engine/poll_loop.h"
#include "platform/message_box.h"
#include "tests/fakes/fake_system.h"
#include "ui/key_capture.h"

using Events = std::vector<std::string>;
constexpr InputWord Button(int n) {
    return InputWord{1} << (15 + n);
}
// "+A" / "-A" for a letter's key-down / key-up, "+45:52ext" for other codes with their scan
// code and extended flag, "+m2" / "-m4" for mouse flags (X buttons add their data: "+m128/1").
inline std::string Describe(const InputEvent& e) {
    const bool key = e.kind == InputEvent::Key;
    constexpr uint32_t kMouseUps = kMouseLeftUp | kMouseRightUp | kMouseMiddleUp | kMouseXUp;
    const std::string sign = (e.flags & (key ? kKeyEventKeyUp : kMouseUps)) ? "-" : "+";
    if (!key)
        return sign + "m" + std::to_string(e.flags) + (e.data ? "/" + std::to_string(e.data) : "");
    if (e.vk >= 'A' && e.vk <= 'Z')
        return sign + static_cast<char>(e.vk);
    char scan[8] = "";
    if (e.scan != 0)
        std::snprintf(scan, sizeof scan, ":%x", e.scan);
    return sign + std::to_string(e.vk) + scan + (e.flags & kKeyEventExtended ? "ext" : "");
}
// A row's steps as text, each its input and what arrives, "b1+b2 +P -A; 0 -P" ('@': an option).
struct TextStep {
    std::string input, option;
    Events events;
};
inline std::vector<TextStep> Steps(const std::string& text) {
    std::vector<TextStep> steps;
    std::istringstream all(text);
    for (std::string step; std::getline(all, step, ';');) {
        std::istringstream words(step);
        TextStep& s = steps.emplace_back();
        words >> s.input;
        for (std::string word; words >> word;)
            (word[0] == '@' ? s.option : s.events.emplace_back()) = word;
    }
    return steps;
}
// "b1+b17" for buttons 1 and 17; a number for those bits of the word.
inline InputWord Inputs(const std::string& text) {
    InputWord word = 0;
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, '+');)
        word |= part[0] == 'b' ? Button(std::stoi(part.substr(1))) : std::stoull(part, nullptr, 0);
    return word;
}
// The setup dialog's controls as key capture writes them: nothing shown, names counted.
struct NullCaptureView : CaptureView {
    int names = 0;
    void ShowChordCheck(int, bool) override {}
    void ShowKeyName(uint8_t, uint8_t, int) override { ++names; }
    bool KeyDownWaiting() override { return false; }
};
struct FakeSystemTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    FakeSystem& fake = Fake();
    FakeSystemTest() { ResetFakeSystem(), ResetKeyMapDefaults(s, ScanCodeOfKey); }
};
struct EngineTest : FakeSystemTest {
    struct Entry {
        InputWord mask;
        uint8_t vk, scan = 0;
    };
    // As a key capture leaves an entry: bitCount matches the mask.
    void SetEntry(int i, InputWord mask, uint8_t vk, uint8_t scan = 0) {
        KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        SetChordMask(e, mask);
        e.vk = vk;
        e.scan = scan;
        e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
        WriteEntry(s.keyMap.entries[i], e);
    }
    // The first entries, and keyCount and maxChordSize to match unless `recompute` is false.
    void UseEntries(const std::vector<Entry>& entries, bool recompute = true) {
        for (size_t i = 0; i < entries.size(); ++i)
            SetEntry(static_cast<int>(i), entries[i].mask, entries[i].vk, entries[i].scan);
        if (!recompute)
            return;
        s.keyMap.keyCount = static_cast<int32_t>(entries.size());
        RecomputeMaxChordSize(s);
    }
    // One chord resolution; Step leaves the events in the fake, Resolve returns and clears them.
    void Step(InputWord input) { ProduceEvents(s, JoystickSample{}, input); }
    Events Resolve(InputWord input) { return Step(input), TakeEvents(); }
    Events TakeEvents() {
        Events described;
        for (const InputEvent& e : fake.input.events)
            described.push_back(Describe(e));
        fake.input.events.clear();
        return described;
    }
    int32_t Counter(int i) const { return s.engine.chordCounter[i].load(); }
};
