// Axis zones: a key map entry that sets both X direction bits makes the X position choose one of
// the entries that take part, and crossing into another zone taps that entry's key once.
//
// Every step of the stick is bracketed by the scripted joystick's read counts, and every
// observed event carries the read count of the cycle that injected it, so a tap is tied to the
// step that crossed the zone border.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

namespace {

constexpr int kAxisX = 0;
constexpr uint32_t kBothXBits = 0x3; // X below and X above the centre: never held as a chord
constexpr uint32_t kCycleMs = 20;
constexpr uint64_t kReadsPerStep = 2; // the step is then seen by at least one whole cycle

struct ZoneKey {
    uint8_t vk;
    uint8_t scan;
    char name;
};
// Written out from the keyboard rather than taken from the program.
constexpr ZoneKey kZoneKeys[] = {
    {'A', 0x1E, 'A'}, {'B', 0x30, 'B'}, {'C', 0x2E, 'C'}, {'D', 0x20, 'D'}};

// Slot 1 holds only the four zone entries, in this order, and polls every kCycleMs.
void StoreZoneKeyMap() {
    std::vector<uint8_t> bytes;
    for (const ZoneKey& key : kZoneKeys)
        bytes.insert(bytes.end(),
                     {uint8_t(kBothXBits), 0, 0, 0, 0, 0, 0, 0, key.vk, key.scan, 2, 0});
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "numkeys", 4);
    WriteStoredBytes(RegistryRoot::Machine, SlotSubKey('1'), "keymap", bytes);
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "pollingspeed", kCycleMs);
}

const ZoneKey* KeyOf(const ObservedInput& input) {
    for (const ZoneKey& key : kZoneKeys)
        if (input.isKey && input.vk == key.vk)
            return &key;
    return nullptr;
}

struct Tap {
    char key;
    uint64_t cycle;
};

// Reads the observed events as taps: a key-down followed at once, in the same cycle, by the
// same key's release, with the stored scan code and no extended flag.
std::vector<Tap> ReadTaps(const std::vector<ObservedInput>& inputs) {
    std::vector<Tap> taps;
    for (size_t i = 0; i < inputs.size(); i += 2) {
        const ObservedInput& down = inputs[i];
        const ZoneKey* key = KeyOf(down);
        Require(key != nullptr && down.down,
                Format("event %zu is %s; expected a zone key pressed. All events: %s", i,
                       Describe(down).c_str(), Describe(inputs).c_str()));
        Require(i + 1 < inputs.size(), "the last press was never released: " + Describe(inputs));
        const ObservedInput& up = inputs[i + 1];
        Require(up.isKey && up.vk == down.vk && !up.down && up.joystickReads == down.joystickReads,
                Format("%s is followed by %s; a tap releases the key in the same cycle. All "
                       "events: %s",
                       Describe(down).c_str(), Describe(up).c_str(), Describe(inputs).c_str()));
        for (const ObservedInput* e : {&down, &up})
            Require(e->scanCode == key->scan && !e->Extended() && e->Injected(),
                    Format("%s; expected an injected event with scan code 0x%02X and no extended "
                           "flag",
                           Describe(*e).c_str(), key->scan));
        taps.push_back({key->name, down.joystickReads});
    }
    return taps;
}

struct Step {
    uint32_t position;
    char tapped; // the key whose zone this step enters, or 0
    uint64_t before = 0, after = 0;
};

} // namespace

E2E_CASE("a user sweeps the stick slowly from left to right and back over four X zones and "
         "hears A, B, C, D once each, then C, B, A, each tapped as its border is crossed") {
    // X bounds 0 to 1000, four zones: 0-249, 250-499, 500-749, 750-1000. The steps touch both
    // sides of every border.
    std::vector<Step> steps = {
        {124, 0}, {249, 0},   {250, 'B'}, {499, 0},   {500, 'C'}, {749, 0},   {750, 'D'}, {1000, 0},
        {750, 0}, {749, 'C'}, {500, 0},   {499, 'B'}, {250, 0},   {249, 'A'}, {0, 0},
    };
    StoreZoneKeyMap();
    ScriptJoystick([](ScriptedJoystickScript& s) {
        s.axisMin[kAxisX] = 0;
        s.axisMax[kAxisX] = 1000;
        s.pos[kAxisX] = 0;
    });
    StartInputObserver(true);
    const uint64_t readsBeforeStart = JoystickReadCount();
    Program& program = StartPadwright();
    WaitForProgramWindow(MainWindowTitle('1'), program.Id(), kStartTimeoutMs);
    WaitForJoystickReads(readsBeforeStart, 3, kStartTimeoutMs);

    for (Step& step : steps) {
        step.before = JoystickReadCount();
        ScriptJoystick([&](ScriptedJoystickScript& s) { s.pos[kAxisX] = step.position; });
        step.after = JoystickReadCount();
        WaitForJoystickReads(step.after, kReadsPerStep, kShortTimeoutMs);
    }

    const std::vector<Tap> taps = ReadTaps(ObservedInputs());
    std::string heard;
    for (const Tap& tap : taps)
        heard += tap.key;
    Require(heard == "ABCDCBA",
            Format("the sweep tapped %s; expected ABCDCBA (A for the zone under the stick at "
                   "start, then one tap per zone entered)",
                   heard.empty() ? "nothing" : heard.c_str()));

    // The first tap is the start-up zone; the others come in the first cycle after their step.
    size_t next = 1;
    for (const Step& step : steps) {
        if (step.tapped == 0)
            continue;
        const Tap& tap = taps[next++];
        Require(tap.cycle >= step.before && tap.cycle <= step.after + 1,
                Format("%c was tapped in the cycle of read %llu; the stick reached %u between "
                       "reads %llu and %llu",
                       tap.key, static_cast<unsigned long long>(tap.cycle), step.position,
                       static_cast<unsigned long long>(step.before),
                       static_cast<unsigned long long>(step.after + 1)));
    }
}
