// Figures of padwright.exe under Wine on the scripted joystick, for scripts/measure.
//
//   padwright_measure.exe --exe PATH --work DIR latency INTERVAL_MS CHANGES
//   padwright_measure.exe --exe PATH --work DIR idle INTERVAL_MS SECONDS
//   padwright_measure.exe --exe PATH --work DIR pointer INTERVAL_MS SECONDS
//
// latency: slot 1 maps button 1 to A (no repeat) and polls every INTERVAL_MS. The button is
// pressed and let go CHANGES times at random moments; for each change three times are taken on
// one clock (QueryPerformanceCounter, shared by the processes of one Wine):
//   written  - just before the measurer writes the change into the scripted joystick,
//   read     - when the program's first read that answered from the change began (the stand-in
//              notes it),
//   arrived  - when the key's event reached the measurer's low-level keyboard hook.
// It prints the raw latency (arrived - written), the wait for the poll (read - written) and the
// latency the program adds after its poll (arrived - read), p50, p99 and the largest.
//
// idle: the program with the default key map, polling every INTERVAL_MS, the joystick centred;
// the left stick moves the pointer and the hat turns the wheel (a build before them ignores it).
// Prints "ready" once it polls, then leaves it alone for SECONDS (the caller measures its CPU
// use meanwhile), prints how often it read the joystick, and ends it through its Exit command.
//
// pointer: slot 1 gives the left stick to the pointer (linear, no dead zone, 500 pixels a second)
// and polls every INTERVAL_MS. The stick is held at half deflection, and for SECONDS from 200 ms
// on a low-level mouse hook times the moves the program injects (under Wine they then stop at the
// hook: the cursor stays). Prints the updates per second and the gaps between them.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/winekit/input_observer.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/scripted_joystick_control.h"

namespace {

constexpr uint8_t kVkA = 'A', kScanA = 0x1E;
constexpr uint64_t kInputButton1 = 1ull << 16;
constexpr uint32_t kJoyButton1 = 0x1;
constexpr int kWarmUpChanges = 10; // not counted: the first events warm Wine's paths up
constexpr DWORD kEventTimeoutMs = 3000;

LARGE_INTEGER ticksPerSecond;

double Ms(LONGLONG ticks) {
    return 1000.0 * double(ticks) / double(ticksPerSecond.QuadPart);
}

LONGLONG Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void StoreTiming(uint32_t intervalMs) {
    WriteStoredValue(RegistryRoot::Machine, "", "pollingspeed", Word(intervalMs));
}

Program& Start(const std::string& work) {
    const uint64_t readsBefore = JoystickReads();
    Program& program = StartOnSlot("", '1', work);
    WaitForJoystickReads(3, kStartTimeoutMs, readsBefore);
    return program;
}

void End(const Program& running) {
    PostCommand(running.window, kCommandExit);
    running.WaitForExit(kExitTimeoutMs);
}

// Nearest rank: the smallest value with at least `percent` of the values at or below it.
double Percentile(std::vector<double> values, double percent) {
    std::sort(values.begin(), values.end());
    size_t rank = size_t(percent / 100.0 * double(values.size()) + 0.999999);
    rank = std::clamp<size_t>(rank, 1, values.size());
    return values[rank - 1];
}

void PrintFigures(const char* what, const std::vector<double>& values) {
    std::printf("  %-44s p50 %7.2f ms   p99 %7.2f ms   max %7.2f ms\n", what,
                Percentile(values, 50), Percentile(values, 99),
                *std::max_element(values.begin(), values.end()));
}

int MeasureLatency(const std::string& work, uint32_t intervalMs, int changes) {
    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkA, kScanA}});
    WriteStoredValue(RegistryRoot::Machine, "", "typematic", Word(0));
    StoreTiming(intervalMs);
    StartInputObserver(true); // the keys stop at the hook
    const Program& running = Start(work);

    std::vector<double> raw, pollWait, added;
    unsigned random = 12345;
    bool down = false;
    const int total = kWarmUpChanges + changes + (kWarmUpChanges + changes) % 2; // ends let go
    const uint64_t readsAtStart = JoystickReads();
    const LONGLONG startedAt = Ticks();
    for (int i = 0; i < total; ++i) {
        // A moment at random within a poll cycle, at least one cycle after the last event.
        random = random * 1103515245u + 12345u;
        Sleep(intervalMs + (random >> 16) % intervalMs);
        ClearObservedInputs();
        down = !down;
        const LONGLONG written = Ticks();
        SetJoystickButtons(down ? kJoyButton1 : 0);
        const int32_t sequence = ScriptSequence();
        const std::vector<ObservedInput> seen = WaitForObservedInputs(1, kEventTimeoutMs);
        const ObservedInput& event = seen.front();
        Require(event.isKey && event.vk == kVkA && event.down == down,
                Format("change %d (button 1 %s) brought %s", i, down ? "pressed" : "let go",
                       Describe(seen).c_str()));
        const LONGLONG read = ChangeSeenAt(sequence);
        Require(read != 0, Format("change %d: no read of the program was noted", i));
        if (i < kWarmUpChanges)
            continue;
        raw.push_back(Ms(event.observedTicks - written));
        pollWait.push_back(Ms(read - written));
        added.push_back(Ms(event.observedTicks - read));
    }
    const double readPeriod = Ms(Ticks() - startedAt) / double(JoystickReads() - readsAtStart);
    End(running);

    std::printf("latency at %u ms polling: %zu changes (button 1 pressed or let go, A pressed or "
                "released at a low-level keyboard hook); the program read the joystick every "
                "%.2f ms on average\n",
                intervalMs, raw.size(), readPeriod);
    PrintFigures("raw: change written -> key at the hook", raw);
    PrintFigures("wait for the poll: written -> read seeing it", pollWait);
    PrintFigures("added: read seeing it -> key at the hook", added);
    std::fflush(stdout);
    return 0;
}

std::vector<LONGLONG> moves; // when the hook saw each injected move, while `timingMoves`
volatile bool timingMoves = false;

LRESULT CALLBACK MoveHook(int code, WPARAM message, LPARAM param) {
    const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(param);
    if (code == HC_ACTION && message == WM_MOUSEMOVE && (m->flags & LLMHF_INJECTED) && timingMoves)
        moves.push_back(Ticks());
    return CallNextHookEx(nullptr, code, message, param);
}

DWORD WINAPI MoveHookThread(void*) {
    MSG message;
    HHOOK hook = SetWindowsHookExA(WH_MOUSE_LL, MoveHook, GetModuleHandleA(nullptr), 0);
    while (hook != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

int MeasurePointer(const std::string& work, uint32_t intervalMs, int seconds) {
    StoreTiming(intervalMs);
    WriteStoredValue(RegistryRoot::Machine, "", "pointer", {1, 0, 0, 0, 0xF4, 0x01, 0, 10});
    moves.reserve(size_t(seconds) * 1000);
    CreateThread(nullptr, 0, MoveHookThread, nullptr, 0, nullptr);
    const Program& running = Start(work);
    ScriptJoystick([](ScriptedJoystickScript& s) { s.pos[0] = 32767 + 16384; });
    Sleep(200);
    timingMoves = true;
    Sleep(DWORD(seconds) * 1000);
    timingMoves = false;
    CentreJoystick();
    End(running);
    Require(moves.size() > 2, Format("the hook saw %zu moves", moves.size()));
    std::vector<double> gaps;
    for (size_t i = 1; i < moves.size(); ++i)
        gaps.push_back(Ms(moves[i] - moves[i - 1]));
    std::printf("pointer at %u ms polling, the stick held half way: %.1f updates a second\n",
                intervalMs, 1000.0 * double(gaps.size()) / Ms(moves.back() - moves.front()));
    PrintFigures("gap between two updates", gaps);
    std::fflush(stdout);
    return 0;
}

int MeasureIdle(const std::string& work, uint32_t intervalMs, int seconds) {
    StoreTiming(intervalMs);
    WriteStoredValue(RegistryRoot::Machine, "", "pointer", {1, 0, 50, 15, 0xE8, 0x03, 1, 10});
    const Program& running = Start(work);
    const uint64_t readsBefore = JoystickReads();
    const LONGLONG from = Ticks();
    std::printf("ready: padwright.exe (process %lu) polls every %u ms, idle\n", running.Id(),
                intervalMs);
    std::fflush(stdout);
    Sleep(DWORD(seconds) * 1000);
    const uint64_t reads = JoystickReads() - readsBefore;
    const double elapsedMs = Ms(Ticks() - from);
    End(running);
    std::printf("idle at %u ms polling: %llu reads in %.1f s, one every %.2f ms\n", intervalMs,
                static_cast<unsigned long long>(reads), elapsedMs / 1000.0,
                reads ? elapsedMs / double(reads) : 0.0);
    std::fflush(stdout);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: padwright_measure.exe --exe PATH --work DIR "
                         "(latency INTERVAL_MS CHANGES | idle|pointer INTERVAL_MS SECONDS)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&ticksPerSecond);
    if (argc != 8 || std::string(argv[1]) != "--exe" || std::string(argv[3]) != "--work")
        return Usage();
    const std::string mode = argv[5];
    const long interval = std::strtol(argv[6], nullptr, 10);
    const long count = std::strtol(argv[7], nullptr, 10);
    if ((mode != "latency" && mode != "idle" && mode != "pointer") || interval < 1 ||
        interval > 1000 || count < 1 || count > 100000)
        return Usage();
    SetProgramPath(FullPath(argv[2]));
    const std::string work = FullPath(argv[4]);
    try {
        CreateScriptedJoystick();
        DeleteProgramRegistry();
        if (mode == "pointer")
            return MeasurePointer(work, uint32_t(interval), int(count));
        return mode == "latency" ? MeasureLatency(work, uint32_t(interval), int(count))
                                 : MeasureIdle(work, uint32_t(interval), int(count));
    } catch (const Failure& failure) {
        std::printf("measurement failed: %s\n", failure.reason.c_str());
        try {
            EndStartedPrograms();
        } catch (const Failure&) {
        }
        return 1;
    }
}
