// Joystick input becoming keys and mouse buttons: presses, typematic repeat, chords, a joystick
// that goes away and comes back, a missing joystick at start-up, a session that is locked or
// asleep, and what is let go at exit.
//
// The poll loop runs in real time, so events are tied to poll cycles through the scripted
// joystick's read counter: every cycle reads the joystick once, and every observed event carries
// the read count of the cycle that injected it (ObservedInput::joystickReads). A change to the
// script is bracketed by the read counts just before and just after the write; the first cycle
// to see it has a read number in [before, after + 1].
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/click_receiver.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/text_receiver.h"

namespace {

// Virtual keys and their scan codes on the keyboard, written out rather than taken from the
// program. Up's scan code is that of the numeric pad's 8, without the extended flag.
constexpr uint32_t kVkReturn = 0x0D, kScanReturn = 0x1C;
constexpr uint32_t kVkTab = 0x09, kScanTab = 0x0F;
constexpr uint32_t kVkUp = 0x26, kScanUp = 0x48;
constexpr uint32_t kVkA = 0x41, kScanA = 0x1E;
constexpr uint8_t kVkLeftMouseButton = 1;

constexpr uint32_t kButton1 = 0x1, kButton2 = 0x2; // in the joystick's button word
constexpr uint64_t kInputButton1 = 1ull << 16;     // in the program's input word
constexpr uint64_t kInputButton2 = 1ull << 17;
constexpr int kAxisY = 1;
constexpr uint32_t kAxisLowest = 0; // the stick pushed all the way up

// Out of the box a cycle is 100 ms and a held key repeats after 500 ms, then every 100 ms: the
// first repeat comes five cycles after the press, then one per cycle. Cases that need no more
// than that cadence store it scaled to short cycles, to run quicker.
constexpr uint32_t kFirstRepeatCycles = 5;
constexpr uint32_t kShortCycleMs = 20;
// The joystick is tried again this long after a failed read.
constexpr DWORD kRetryMs = 5000;
constexpr DWORD kReplugTimeoutMs = kRetryMs + 10000;

// --- The stored settings a case starts from -------------------------------------------------

void StoreTypematic(bool on) {
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "typematic", on ? 1 : 0);
}

// Timing of slot 1 with the default repeat cadence counted in cycles of kShortCycleMs.
void StoreShortCycles() {
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "pollingspeed", kShortCycleMs);
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "typematicdelay",
                      kFirstRepeatCycles * kShortCycleMs);
    WriteStoredUint32(RegistryRoot::Machine, SlotSubKey('1'), "typematicrate", kShortCycleMs);
}

// --- The running program ---------------------------------------------------------------------

struct Running {
    Program* program;
    HWND window;
};

// Starts the program on slot 1 and waits until its poll loop has run whole cycles.
Running StartPolling() {
    const uint64_t readsBefore = JoystickReadCount();
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow(MainWindowTitle('1'), program.Id(), kStartTimeoutMs);
    WaitForJoystickReads(readsBefore, 3, kStartTimeoutMs);
    return {&program, window};
}

// Read counts just before and just after one change to the script.
struct Change {
    uint64_t before;
    uint64_t after;

    uint64_t FirstCycleAtLeast() const { return before; }
    uint64_t FirstCycleAtMost() const { return after + 1; }
};

template <typename Edit> Change ChangeJoystick(Edit edit) {
    Change c{};
    c.before = JoystickReadCount();
    ScriptJoystick(edit);
    c.after = JoystickReadCount();
    return c;
}

Change HoldButtons(uint32_t buttons) {
    return ChangeJoystick([&](ScriptedJoystickScript& s) { s.buttons = buttons; });
}

Change PushStickUp() {
    return ChangeJoystick([](ScriptedJoystickScript& s) { s.pos[kAxisY] = kAxisLowest; });
}

Change CentreStick() {
    return ChangeJoystick([](ScriptedJoystickScript& s) {
        s.pos[kAxisY] = s.axisMin[kAxisY] + (s.axisMax[kAxisY] - s.axisMin[kAxisY]) / 2;
    });
}

Change Plug(bool plugged) {
    return ChangeJoystick([&](ScriptedJoystickScript& s) {
        s.capsResult = plugged ? kJoyErrNoError : kJoyErrUnplugged;
        s.readResult = plugged ? kJoyErrNoError : kJoyErrUnplugged;
    });
}

void RequireFirstCycleOf(const Change& change, uint64_t cycle, const char* what) {
    Require(cycle >= change.FirstCycleAtLeast() && cycle <= change.FirstCycleAtMost(),
            Format("%s came in the cycle of read %llu; the first cycle to see the change reads "
                   "%llu to %llu",
                   what, static_cast<unsigned long long>(cycle),
                   static_cast<unsigned long long>(change.FirstCycleAtLeast()),
                   static_cast<unsigned long long>(change.FirstCycleAtMost())));
}

// --- What the observer saw -------------------------------------------------------------------

std::string Stamped(const std::vector<ObservedInput>& inputs) {
    if (inputs.empty())
        return "nothing";
    std::string text;
    for (const ObservedInput& input : inputs)
        text += Format("%s%s (read %llu)", text.empty() ? "" : ", ", Describe(input).c_str(),
                       static_cast<unsigned long long>(input.joystickReads));
    return text;
}

bool IsKey(const ObservedInput& input, uint32_t vk, bool down) {
    return input.isKey && input.vk == vk && input.down == down;
}

bool IsLeftButton(const ObservedInput& input, bool down) {
    return !input.isKey && input.button == MouseButton::Left && input.down == down;
}

template <typename Keep>
std::vector<ObservedInput> Only(const std::vector<ObservedInput>& inputs, Keep keep) {
    std::vector<ObservedInput> kept;
    for (const ObservedInput& input : inputs)
        if (keep(input))
            kept.push_back(input);
    return kept;
}

// Waits until the observer has seen an event that `matches`; returns everything seen so far.
template <typename Matches>
std::vector<ObservedInput> WaitForInput(const char* what, DWORD timeoutMs, Matches matches) {
    std::vector<ObservedInput> seen;
    const bool found = PollUntil(timeoutMs, [&] {
        seen = ObservedInputs();
        for (const ObservedInput& input : seen)
            if (matches(input))
                return true;
        return false;
    });
    if (!found)
        Fail(Format("timed out after %lu ms waiting for %s; saw %s", timeoutMs, what,
                    Stamped(seen).c_str()));
    return seen;
}

std::vector<ObservedInput> WaitForKey(uint32_t vk, bool down, DWORD timeoutMs = kShortTimeoutMs) {
    const std::string what = Format("key %s vk 0x%02X", down ? "down" : "up", vk);
    return WaitForInput(what.c_str(), timeoutMs,
                        [&](const ObservedInput& input) { return IsKey(input, vk, down); });
}

std::vector<ObservedInput> WaitForKeyPresses(uint32_t vk, size_t count, DWORD timeoutMs) {
    std::vector<ObservedInput> seen;
    const auto presses = [&] {
        return Only(seen, [&](const ObservedInput& i) { return IsKey(i, vk, true); }).size();
    };
    if (!PollUntil(timeoutMs, [&] { return seen = ObservedInputs(), presses() >= count; }))
        Fail(Format("timed out after %lu ms waiting for %zu presses of vk 0x%02X; saw %s",
                    timeoutMs, count, vk, Stamped(seen).c_str()));
    return seen;
}

// Injected by the program as a key with this scan code and no extended flag, no extra
// information.
void RequireKeyAsInjected(const ObservedInput& input, uint32_t scan) {
    Require(input.scanCode == scan && !input.Extended(),
            Format("%s; expected scan code 0x%02X without the extended flag",
                   Describe(input).c_str(), scan));
    Require(input.Injected() && input.extraInfo == 0,
            Format("%s came with flags 0x%X and extra information 0x%llX; expected the injected "
                   "flag and 0",
                   Describe(input).c_str(), input.flags,
                   static_cast<unsigned long long>(input.extraInfo)));
}

// One key held from the cycle of read `pressed` up to, not including, the cycle of read
// `released`, with typematic repeat at the default cadence: a press in the first held cycle,
// a repeat in the sixth and in every held cycle after it, and one release.
std::vector<uint64_t> TypematicPressCycles(uint64_t pressed, uint64_t released) {
    std::vector<uint64_t> cycles{pressed};
    for (uint64_t c = pressed + kFirstRepeatCycles; c < released; ++c)
        cycles.push_back(c);
    return cycles;
}

std::string Cycles(const std::vector<uint64_t>& cycles) {
    std::string text;
    for (uint64_t c : cycles)
        text += Format("%s%llu", text.empty() ? "" : " ", static_cast<unsigned long long>(c));
    return text.empty() ? "none" : text;
}

// Checks the key's presses and its one release against the typematic cadence; returns the
// release's cycle.
uint64_t RequireTypematicKey(const std::vector<ObservedInput>& inputs, uint32_t vk, uint32_t scan) {
    const std::vector<ObservedInput> key =
        Only(inputs, [&](const ObservedInput& i) { return i.isKey && i.vk == vk; });
    Require(!key.empty() && key.front().down,
            Format("the key's events do not start with a press: %s", Stamped(key).c_str()));
    Require(!key.back().down && key.size() >= 2,
            Format("the key's events do not end with a release: %s", Stamped(key).c_str()));
    std::vector<uint64_t> pressCycles;
    for (size_t i = 0; i + 1 < key.size(); ++i) {
        Require(key[i].down, Format("a release before the last event: %s", Stamped(key).c_str()));
        RequireKeyAsInjected(key[i], scan);
        pressCycles.push_back(key[i].joystickReads);
    }
    RequireKeyAsInjected(key.back(), scan);
    const uint64_t released = key.back().joystickReads;
    const std::vector<uint64_t> expected =
        TypematicPressCycles(key.front().joystickReads, released);
    Require(pressCycles == expected,
            Format("presses in the cycles of reads %s, released in %llu; with a repeat from the "
                   "sixth held cycle on, once per cycle, expected presses in %s",
                   Cycles(pressCycles).c_str(), static_cast<unsigned long long>(released),
                   Cycles(expected).c_str()));
    return released;
}

void RequireNothingMore(size_t seenBefore, const char* after) {
    WaitForJoystickReads(3, kShortTimeoutMs);
    const std::vector<ObservedInput> all = ObservedInputs();
    const std::vector<ObservedInput> more(all.begin() + std::min(seenBefore, all.size()),
                                          all.end());
    Require(more.empty(),
            Format("after %s the program still injected %s", after, Stamped(more).c_str()));
}

} // namespace

E2E_CASE("a user pushes the stick up and Up is pressed at once, without the extended flag, "
         "and let go when the stick comes back") {
    StartPolling(); // out of the box: default key map and timing
    StartInputObserver(true);

    const Change up = PushStickUp();
    const std::vector<ObservedInput> pressed = WaitForKey(kVkUp, true);
    Require(pressed.size() == 1 && IsKey(pressed[0], kVkUp, true),
            "pushing the stick up injected " + Stamped(pressed) + "; expected Up pressed");
    RequireKeyAsInjected(pressed[0], kScanUp);
    RequireFirstCycleOf(up, pressed[0].joystickReads, "Up's press");

    const Change centred = CentreStick();
    const std::vector<ObservedInput> all = WaitForKey(kVkUp, false);
    const uint64_t released = RequireTypematicKey(all, kVkUp, kScanUp);
    RequireFirstCycleOf(centred, released, "Up's release");
    Require(Only(all, [](const ObservedInput& i) { return !i.isKey || i.vk != kVkUp; }).empty(),
            "besides Up the program injected " + Stamped(all));
    RequireNothingMore(all.size(), "Up's release");
}

E2E_CASE("a user holds button 1 and gets Return at once, again in the sixth cycle and then in "
         "every cycle until the button is let go") {
    StartPolling(); // out of the box: default key map and timing
    StartInputObserver(true);

    const Change held = HoldButtons(kButton1);
    const std::vector<ObservedInput> presses =
        WaitForKeyPresses(kVkReturn, 4, kShortTimeoutMs); // the press and three repeats
    RequireFirstCycleOf(held, presses.front().joystickReads, "Return's first press");

    const Change letGo = HoldButtons(0);
    const std::vector<ObservedInput> all = WaitForKey(kVkReturn, false);
    const uint64_t released = RequireTypematicKey(all, kVkReturn, kScanReturn);
    RequireFirstCycleOf(letGo, released, "Return's release");
    Require(Only(all, [](const ObservedInput& i) { return !i.isKey || i.vk != kVkReturn; }).empty(),
            "besides Return the program injected " + Stamped(all));
    RequireNothingMore(all.size(), "Return's release");
}

E2E_CASE("a user presses buttons 1 and 2 together and gets only the pair's key A; letting go "
         "of button 2 first swaps A for Return in one cycle") {
    // The pair comes last in the key map: larger chords are served first wherever they stand.
    StoreKeyMap(RegistryRoot::Machine, '1',
                {{kInputButton1, kVkReturn, kScanReturn},
                 {kInputButton2, kVkTab, kScanTab},
                 {kInputButton1 | kInputButton2, kVkA, kScanA}});
    StoreTypematic(false);
    StoreShortCycles();
    StartPolling();
    StartInputObserver(true);

    const Change both = HoldButtons(kButton1 | kButton2);
    std::vector<ObservedInput> seen = WaitForKey(kVkA, true);
    WaitForJoystickReads(3, kShortTimeoutMs);
    seen = ObservedInputs();
    Require(seen.size() == 1 && IsKey(seen[0], kVkA, true),
            "pressing buttons 1 and 2 together injected " + Stamped(seen) +
                "; expected only A pressed");
    RequireKeyAsInjected(seen[0], kScanA);
    RequireFirstCycleOf(both, seen[0].joystickReads, "A's press");

    const Change onlyButton1 = HoldButtons(kButton1);
    WaitForKey(kVkReturn, true);
    WaitForJoystickReads(3, kShortTimeoutMs);
    seen = ObservedInputs();
    Require(seen.size() == 3 && IsKey(seen[1], kVkA, false) && IsKey(seen[2], kVkReturn, true),
            "letting go of button 2 gave " + Stamped(seen) +
                "; expected A released, then Return pressed");
    Require(seen[1].joystickReads == seen[2].joystickReads,
            "A's release and Return's press came in different cycles: " + Stamped(seen));
    RequireFirstCycleOf(onlyButton1, seen[1].joystickReads, "A's release");
    RequireKeyAsInjected(seen[1], kScanA);
    RequireKeyAsInjected(seen[2], kScanReturn);

    const Change none = HoldButtons(0);
    seen = WaitForKey(kVkReturn, false);
    Require(seen.size() == 4,
            "letting go of button 1 gave " + Stamped(seen) + "; expected only Return released");
    RequireFirstCycleOf(none, seen[3].joystickReads, "Return's release");
    RequireNothingMore(seen.size(), "all buttons were let go");
}

E2E_CASE("a user with button 1 mapped to the left mouse button presses it and the window under "
         "the pointer gets a click, the pointer staying put") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkLeftMouseButton, 0}});
    StoreTypematic(false);
    StoreShortCycles();
    StartPolling();
    const ClickReceiver receiver;
    POINT pointerBefore{};
    GetCursorPos(&pointerBefore);
    StartInputObserver(false); // the click must reach the window

    const Change held = HoldButtons(kButton1);
    const std::vector<ObservedInput> down =
        WaitForInput("the left button pressed", kShortTimeoutMs,
                     [](const ObservedInput& i) { return IsLeftButton(i, true); });
    receiver.WaitForClicks(1, kShortTimeoutMs);
    RequireFirstCycleOf(held, down.back().joystickReads, "the left button's press");

    const Change letGo = HoldButtons(0);
    const std::vector<ObservedInput> all =
        WaitForInput("the left button released", kShortTimeoutMs,
                     [](const ObservedInput& i) { return IsLeftButton(i, false); });
    const std::vector<ReceivedClick> clicks = receiver.WaitForClicks(2, kShortTimeoutMs);
    RequireFirstCycleOf(letGo, all.back().joystickReads, "the left button's release");

    Require(all.size() == 2 && IsLeftButton(all[0], true) && IsLeftButton(all[1], false),
            "the button gave " + Stamped(all) + "; expected the left button down, then up");
    for (const ObservedInput& input : all)
        Require(input.Injected() && input.extraInfo == 0,
                Format("%s came with flags 0x%X and extra information 0x%llX",
                       Describe(input).c_str(), input.flags,
                       static_cast<unsigned long long>(input.extraInfo)));
    Require(clicks.size() == 2 && clicks[0].message == WM_LBUTTONDOWN &&
                clicks[1].message == WM_LBUTTONUP,
            "the window under the pointer got " + Describe(clicks) +
                "; expected WM_LBUTTONDOWN, then WM_LBUTTONUP");
    POINT pointerAfter{};
    GetCursorPos(&pointerAfter);
    Require(pointerAfter.x == pointerBefore.x && pointerAfter.y == pointerBefore.y,
            Format("the pointer moved from %ld,%ld to %ld,%ld", pointerBefore.x, pointerBefore.y,
                   pointerAfter.x, pointerAfter.y));
    RequireNothingMore(all.size(), "the button was let go");
}

E2E_CASE("a user unplugs the joystick while holding the stick up and button 1: nothing is "
         "pressed or let go until it is back, then Up alone is let go") {
    StoreShortCycles();
    StartPolling();
    StartInputObserver(true);

    ChangeJoystick([](ScriptedJoystickScript& s) {
        s.pos[kAxisY] = kAxisLowest;
        s.buttons = kButton1;
    });
    // Both repeat in every cycle from here on: a cycle that acted on a failed read would show.
    WaitForKeyPresses(kVkUp, 2, kShortTimeoutMs);
    WaitForKeyPresses(kVkReturn, 2, kShortTimeoutMs);

    const Change unplugged = Plug(false);
    // The first failed read, then one retry: the program has been without its joystick for a
    // whole retry period.
    WaitForJoystickReads(unplugged.after, 2, 2 * kRetryMs + kShortTimeoutMs);
    const uint64_t lastCycleBefore = unplugged.after;
    std::vector<ObservedInput> seen = ObservedInputs();
    const std::vector<ObservedInput> whileAway =
        Only(seen, [&](const ObservedInput& i) { return i.joystickReads > lastCycleBefore; });
    Require(whileAway.empty(),
            "with the joystick unplugged the program injected " + Stamped(whileAway));

    // The stick comes back to the centre while the joystick is away; button 1 stays down.
    CentreStick();
    const Change replugged = Plug(true);
    seen = WaitForKey(kVkUp, false, kReplugTimeoutMs);
    const ObservedInput upReleased =
        Only(seen, [](const ObservedInput& i) { return IsKey(i, kVkUp, false); }).front();
    // The first read that succeeds brings the program back; the cycle after it is the first.
    Require(upReleased.joystickReads >= replugged.before + 1 &&
                upReleased.joystickReads <= replugged.after + 2,
            Format("Up was let go in the cycle of read %llu; the joystick came back at read %llu "
                   "to %llu, so the first cycle after it reads %llu to %llu",
                   static_cast<unsigned long long>(upReleased.joystickReads),
                   static_cast<unsigned long long>(replugged.before),
                   static_cast<unsigned long long>(replugged.after + 1),
                   static_cast<unsigned long long>(replugged.before + 1),
                   static_cast<unsigned long long>(replugged.after + 2)));
    const std::vector<ObservedInput> beforeBack = Only(seen, [&](const ObservedInput& i) {
        return i.joystickReads > lastCycleBefore && i.joystickReads < upReleased.joystickReads;
    });
    Require(beforeBack.empty(),
            "before the joystick was back the program injected " + Stamped(beforeBack));

    // Button 1 is still held: Return goes on repeating and is not let go.
    WaitForJoystickReads(upReleased.joystickReads, kFirstRepeatCycles + 2, kShortTimeoutMs);
    seen = ObservedInputs();
    const std::vector<ObservedInput> returnSince = Only(seen, [&](const ObservedInput& i) {
        return i.isKey && i.vk == kVkReturn && i.joystickReads >= upReleased.joystickReads;
    });
    Require(Only(returnSince, [](const ObservedInput& i) { return !i.down; }).empty(),
            "Return was let go although button 1 stayed down: " + Stamped(returnSince));
    Require(!returnSince.empty(),
            "Return did not repeat after the joystick came back although button 1 stayed down; "
            "saw " +
                Stamped(seen));
    Require(Only(seen,
                 [](const ObservedInput& i) {
                     return !(i.isKey && (i.vk == kVkUp || i.vk == kVkReturn));
                 })
                .empty(),
            "besides Up and Return the program injected " + Stamped(seen));

    const Change letGo = HoldButtons(0);
    seen = WaitForKey(kVkReturn, false);
    RequireFirstCycleOf(letGo, seen.back().joystickReads, "Return's release");
}

E2E_CASE("a user starts the program with the pad switched off and sees \"Selected joystick not "
         "installed\"; the pad switched on while the box is up types into the window they click, "
         "and after OK the program runs on") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkA, kScanA}});
    SetJoystickPlugged(false);
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow(MainWindowTitle('1'), program.Id(), kStartTimeoutMs);
    HWND box = WaitForMessageBox(program.Id(), kStartTimeoutMs);
    SaveScreenshot("engine-joystick-not-installed", box);
    Require(MessageBoxText(box) == "Selected joystick not installed",
            "the message box says '" + MessageBoxText(box) + "'");
    Require(MessageBoxButtons(box) == std::vector<int>{IDOK},
            Format("the box shows %zu buttons; expected OK alone", MessageBoxButtons(box).size()));
    Require(GetWindow(box, GW_OWNER) == window, "the message box is not owned by the main window");
    // The box does not hold the poll loop up: it keeps trying the pad meanwhile.
    WaitForJoystickReads(0, 1, kShortTimeoutMs);

    {
        const TextReceiver receiver("Padwright end-to-end: the pad types here");
        Plug(true);
        const Change pressed = HoldButtons(kButton1);
        WaitForJoystickReads(pressed.after, 2, kReplugTimeoutMs);
        HoldButtons(0);
        WaitUntil(kShortTimeoutMs, "button 1 to type 'a' into the receiver",
                  [&] { return receiver.Text() == "a"; });
    }
    Require(IsWindow(box) && JoystickCapsCount() >= 2,
            "the box closed, or the pad was not asked its capabilities again when it answered");
    ClickDialogButton(box, IDOK);
    WaitUntil(kShortTimeoutMs, "the message box to close", [&] { return !IsWindow(box); });
    Require(FindMessageBox(program.Id()) == nullptr, "a second message box came up");
    Require(program.IsRunning() && IsWindow(window) && !IsWindowVisible(window),
            "after OK the program is not running on with its hidden main window");

    PostCommand(window, kCommandExit);
    const DWORD code = program.WaitForExit(kExitTimeoutMs);
    Require(code == 0, Format("Exit ended the program with code 0x%lX, expected 0", code));
}

E2E_CASE("a user exits by Exit, by closing the window and by logging off while holding the stick "
         "up, and Up is let go as the program ends; a held mouse button too") {
    struct Way {
        const char* name;
        void (*exit)(HWND);
    };
    const Way ways[] = {
        {"Exit", [](HWND w) { PostCommand(w, kCommandExit); }},
        {"closing the window", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }},
        {"the session ending",
         [](HWND w) { PostMessageA(w, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP); }},
    };
    StoreShortCycles();
    for (const Way& way : ways) {
        CentreJoystick();
        const Running running = StartPolling();
        StartInputObserver(true);
        PushStickUp();
        WaitForKey(kVkUp, true);
        const size_t seenBeforeExit = ObservedInputs().size();
        way.exit(running.window);
        const DWORD code = running.program->WaitForExit(kExitTimeoutMs);
        Require(code == 0, Format("%s ended the program with code 0x%lX", way.name, code));
        // The stick stays up: only the exit can let Up go.
        WaitForKey(kVkUp, false);
        const std::vector<ObservedInput> all = ObservedInputs();
        const std::vector<ObservedInput> released =
            Only(all, [](const ObservedInput& i) { return IsKey(i, kVkUp, false); });
        Require(released.size() == 1 && IsKey(all.back(), kVkUp, false),
                Format("after %s with the stick up the program injected %s; expected it to end "
                       "with Up let go once",
                       way.name,
                       Stamped(std::vector<ObservedInput>(all.begin() + seenBeforeExit, all.end()))
                           .c_str()));
        RequireKeyAsInjected(released[0], kScanUp);
        StopInputObserver();
    }

    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkLeftMouseButton, 0}});
    CentreJoystick();
    const Running running = StartPolling();
    StartInputObserver(true); // the press is swallowed: it lands nowhere
    HoldButtons(kButton1);
    WaitForInput("the left button pressed", kShortTimeoutMs,
                 [](const ObservedInput& i) { return IsLeftButton(i, true); });
    PostCommand(running.window, kCommandExit);
    running.program->WaitForExit(kExitTimeoutMs);
    const std::vector<ObservedInput> all =
        WaitForInput("the left button released after Exit", kShortTimeoutMs,
                     [](const ObservedInput& i) { return IsLeftButton(i, false); });
    Require(!all.empty() && IsLeftButton(all.back(), false),
            "after Exit with button 1 held the program injected " + Stamped(all) +
                "; expected it to end with the left button up");
}

E2E_CASE("a user holding button 1 locks the session, which then sleeps: Return is let go and "
         "stays quiet; once awake and unlocked it is let go again and pressed anew") {
    StoreTypematic(false);
    StoreShortCycles();
    const Running running = StartPolling();
    StartInputObserver(true);
    HoldButtons(kButton1);
    WaitForKey(kVkReturn, true);

    SendMessageA(running.window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    SendMessageA(running.window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    WaitForKey(kVkReturn, false);
    WaitForJoystickReads(3, kShortTimeoutMs); // cycles with button 1 held
    SendMessageA(running.window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    WaitForJoystickReads(3, kShortTimeoutMs); // still locked
    const size_t seenWhileAway = ObservedInputs().size();
    const uint64_t unlocked = JoystickReadCount();
    SendMessageA(running.window, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    const std::vector<ObservedInput> seen = WaitForKeyPresses(kVkReturn, 2, kShortTimeoutMs);

    Require(seenWhileAway == 2, "the program injected " + Stamped(seen) +
                                    "; expected Return pressed, then let go once until the unlock");
    Require(seen.size() == 4 && IsKey(seen[2], kVkReturn, false) && IsKey(seen[3], kVkReturn, true),
            "after the unlock the program injected " + Stamped(seen) +
                "; expected Return let go once more, then pressed");
    Require(seen[3].joystickReads >= unlocked,
            "Return was pressed again before the unlock: " + Stamped(seen));
    HoldButtons(0);
    WaitForKey(kVkReturn, false);
}
