// Checks of the tools every other case stands on, run under the same Wine: the stand-in
// winmm.dll answers from the script, the observer sees what another process injects, message
// boxes are found and answered. When one of these fails, the program's cases say little.
#include <windows.h>

#include <mmsystem.h>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

#include "tests/e2e/driver/sample_injection.h"

namespace {

using JoyGetNumDevs = UINT(WINAPI*)();
using JoyGetDevCapsA = UINT(WINAPI*)(UINT_PTR, JOYCAPSA*, UINT);
using JoyGetPosEx = UINT(WINAPI*)(UINT, JOYINFOEX*);

struct StandIn {
    HMODULE module;
    JoyGetNumDevs numDevs;
    JoyGetDevCapsA devCaps;
    JoyGetPosEx posEx;
};

template <typename Function> Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The stand-in that sits next to padwright.exe, loaded into the driver by its full path.
StandIn LoadStandIn() {
    std::string path = ProgramPath();
    path = path.substr(0, path.find_last_of('\\') + 1) + "winmm.dll";
    HMODULE module = LoadLibraryA(path.c_str());
    Require(module != nullptr, Format("cannot load %s (error %lu)", path.c_str(), GetLastError()));
    StandIn s{module, Export<JoyGetNumDevs>(module, "joyGetNumDevs"),
              Export<JoyGetDevCapsA>(module, "joyGetDevCapsA"),
              Export<JoyGetPosEx>(module, "joyGetPosEx")};
    for (const char* name : {"joyGetNumDevs", "joyGetDevCapsA", "joyGetPosEx", "joyGetPos",
                             "timeBeginPeriod", "timeEndPeriod", "timeGetTime"})
        Require(GetProcAddress(module, name) != nullptr,
                Format("the stand-in does not export %s undecorated", name));
    return s;
}

JOYINFOEX ReadAll(const StandIn& s, UINT id, UINT& result) {
    JOYINFOEX info{};
    info.dwSize = sizeof(info);
    info.dwFlags = JOY_RETURNALL | JOY_RETURNPOVCTS;
    result = s.posEx(id, &info);
    return info;
}

struct MessageBoxCall {
    const char* text;
    UINT type;
    int answer;
};

DWORD WINAPI ShowMessageBoxThread(void* param) {
    auto* call = static_cast<MessageBoxCall*>(param);
    call->answer = MessageBoxA(nullptr, call->text, kApplicationTitle, call->type);
    return 0;
}

} // namespace

E2E_CASE_IN("harness", "the scripted joystick answers caps and reads from the script") {
    const StandIn s = LoadStandIn();
    Require(s.numDevs() == 16, "joyGetNumDevs does not answer the scripted 16");

    JOYCAPSA caps{};
    Require(s.devCaps(0, &caps, sizeof(caps)) == JOYERR_NOERROR, "caps of joystick 0 failed");
    Require(caps.wNumButtons == 12 && caps.wNumAxes == 6 && (caps.wCaps & JOYCAPS_HASPOV) &&
                caps.wXmax == 65535 && caps.wVmax == 65535,
            "caps do not describe the default 6-axis joystick with hat and 12 buttons");
    Require(s.devCaps(0, &caps, sizeof(caps) - 4) == JOYERR_PARMS,
            "caps with a wrong structure size did not fail with JOYERR_PARMS");

    ScriptJoystick([](ScriptedJoystickScript& js) {
        js.buttons = 0x5;
        js.pos[0] = 100;
        js.pos[5] = 60000;
        js.pov = 9000;
    });
    const uint64_t readsBefore = JoystickReadCount();
    UINT result = 0;
    JOYINFOEX info = ReadAll(s, 0, result);
    Require(result == JOYERR_NOERROR, Format("read failed with %u", result));
    Require(info.dwButtons == 0x5 && info.dwButtonNumber == 2 && info.dwXpos == 100 &&
                info.dwVpos == 60000 && info.dwYpos == 32767 && info.dwPOV == 9000,
            "the read does not carry the scripted sample");
    Require(JoystickReadCount() == readsBefore + 1 && LastReadJoystickId() == 0,
            "the read was not counted");

    JOYINFOEX onlyButtons{};
    onlyButtons.dwSize = sizeof(onlyButtons);
    onlyButtons.dwFlags = JOY_RETURNBUTTONS;
    onlyButtons.dwXpos = 0xAAAA;
    s.posEx(0, &onlyButtons);
    Require(onlyButtons.dwXpos == 0xAAAA && onlyButtons.dwButtons == 0x5,
            "a read fills fields its flags did not ask for");

    SetJoystickPlugged(false);
    ReadAll(s, 0, result);
    Require(result == JOYERR_UNPLUGGED, Format("an unplugged read answered %u", result));
    Require(s.devCaps(0, &caps, sizeof(caps)) == JOYERR_UNPLUGGED,
            "caps of an unplugged joystick did not fail");
    SetJoystickPlugged(true);
    ReadAll(s, 16, result);
    Require(result == JOYERR_PARMS, "a read of joystick 16 (beyond the count) did not fail");

    FreeLibrary(s.module);
}

E2E_CASE_IN("harness", "the observer sees keys and buttons another process injects, in order") {
    StartInputObserver(true);
    std::string self(MAX_PATH, '\0');
    self.resize(GetModuleFileNameA(nullptr, self.data(), MAX_PATH));
    std::string commandLine = "\"" + self + "\" " + kInjectSampleArgument;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    Require(CreateProcessA(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &process),
            "cannot start the injecting process");
    CloseHandle(process.hThread);
    const bool ended = WaitForSingleObject(process.hProcess, kShortTimeoutMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    Require(ended, "the injecting process did not end");

    const std::vector<ObservedInput> seen = WaitForObservedInputs(kSampleInputCount);
    const std::string expected = SampleInjectionDescription();
    Require(Describe(seen) == expected, "observed " + Describe(seen) + "; expected " + expected);
    for (const ObservedInput& input : seen)
        Require(input.Injected() && input.extraInfo == kSampleExtraInfo,
                Format("%s came with flags 0x%X and extra info 0x%llX; expected the injected "
                       "flag and 0x%llX",
                       Describe(input).c_str(), input.flags,
                       static_cast<unsigned long long>(input.extraInfo),
                       static_cast<unsigned long long>(kSampleExtraInfo)));
}

E2E_CASE_IN("harness", "a message box of the application is found, read and answered") {
    MessageBoxCall call{"A joystick key or axis is not released. Exit anyway?", MB_OKCANCEL, 0};
    HANDLE thread = CreateThread(nullptr, 0, ShowMessageBoxThread, &call, 0, nullptr);
    HWND box = WaitForMessageBox(GetCurrentProcessId());
    const std::vector<int> buttons = MessageBoxButtons(box);
    SaveScreenshot("harness-message-box", box);
    AnswerMessageBox(GetCurrentProcessId(), call.text, IDCANCEL);
    const bool returned = WaitForSingleObject(thread, kShortTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    Require(returned, "MessageBoxA did not return after the answer");
    Require(call.answer == IDCANCEL,
            Format("MessageBoxA returned %d, expected IDCANCEL", call.answer));
    Require(buttons == std::vector<int>{IDOK, IDCANCEL},
            Format("the box shows %zu buttons, expected OK and Cancel", buttons.size()));
}
