// A stand-in winmm.dll: answers the multimedia joystick calls from the shared memory that the
// end-to-end driver writes, and from a centred demonstration joystick when no driver is there.
// Placed next to padwright.exe and preferred over the system's copy with WINEDLLOVERRIDES.
#define WIN32_LEAN_AND_MEAN // keeps the system's joystick declarations out
#include <windows.h>

#include <cstring>

#include "tools/winmm_stub/scripted_joystick.h"

namespace {

// The records of the multimedia joystick interface, spelled out so that the system's
// declarations (dllimport) do not clash with the definitions exported here.
struct JoyCapsA {
    WORD wMid;
    WORD wPid;
    CHAR szPname[32];
    UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
    UINT wNumButtons;
    UINT wPeriodMin, wPeriodMax;
    UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
    UINT wCaps;
    UINT wMaxAxes;
    UINT wNumAxes;
    UINT wMaxButtons;
    CHAR szRegKey[32];
    CHAR szOEMVxD[260];
};
static_assert(sizeof(JoyCapsA) == 404, "JOYCAPSA is 404 bytes");

struct JoyInfoEx {
    DWORD dwSize, dwFlags;
    DWORD dwXpos, dwYpos, dwZpos, dwRpos, dwUpos, dwVpos;
    DWORD dwButtons, dwButtonNumber, dwPOV, dwReserved1, dwReserved2;
};
static_assert(sizeof(JoyInfoEx) == 52, "JOYINFOEX is 52 bytes");

struct JoyInfo {
    UINT wXpos, wYpos, wZpos, wButtons;
};

constexpr DWORD kReturnX = 0x01, kReturnY = 0x02, kReturnZ = 0x04, kReturnR = 0x08;
constexpr DWORD kReturnU = 0x10, kReturnV = 0x20, kReturnPov = 0x40, kReturnButtons = 0x80;
constexpr DWORD kReturnPovCts = 0x200;
constexpr UINT kMaxButtons = 32;
constexpr int kSnapshotAttempts = 10000;

ScriptedJoystickShared* volatile shared = nullptr;

// Opens the driver's mapping once it exists; until then every call tries again, so a driver
// that starts after the program still takes over the joystick.
ScriptedJoystickShared* Shared() {
    if (shared != nullptr)
        return shared;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kScriptedJoystickMapping);
    if (mapping == nullptr)
        return nullptr;
    auto* view = static_cast<ScriptedJoystickShared*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ScriptedJoystickShared)));
    CloseHandle(mapping); // the view keeps the mapping alive
    if (view == nullptr)
        return nullptr;
    if (view->magic != kScriptedJoystickMagic || view->size != sizeof(ScriptedJoystickShared)) {
        UnmapViewOfFile(view);
        return nullptr;
    }
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&shared), view,
                                          nullptr) != nullptr)
        UnmapViewOfFile(view); // another thread got there first
    return shared;
}

// One consistent copy of the script: retried while the driver is half-way through a write. A
// driver that died mid-write cannot stall the program: after the last attempt the copy stands.
// `sequence` receives the count the copy was taken under.
ScriptedJoystickScript Snapshot(LONG* sequence = nullptr) {
    ScriptedJoystickShared* m = Shared();
    if (m == nullptr)
        return DefaultJoystickScript();
    ScriptedJoystickScript copy{};
    LONG before = 0;
    for (int attempt = 0; attempt < kSnapshotAttempts; ++attempt) {
        before = m->sequence;
        MemoryBarrier();
        if (before & 1) {
            Sleep(0);
            continue;
        }
        std::memcpy(&copy, const_cast<const ScriptedJoystickScript*>(&m->script), sizeof(copy));
        MemoryBarrier();
        if (m->sequence == before)
            break;
    }
    if (sequence != nullptr)
        *sequence = before;
    return copy;
}

// Notes the read that first answers from a newly written script, so a measurer can tell how long
// the program took from that read on, apart from the wait for the read itself.
void NoteChangeSeen(LARGE_INTEGER readBegan, LONG sequence) {
    ScriptedJoystickShared* m = Shared();
    if (m == nullptr || m->changeSeenSequence == sequence)
        return;
    InterlockedExchange64(&m->changeSeenAt, readBegan.QuadPart);
    InterlockedExchange(&m->changeSeenSequence, sequence);
}

UINT ResultForId(const ScriptedJoystickScript& s, UINT_PTR id, uint32_t result) {
    return id < s.deviceCount ? result : kJoyErrParms;
}

void CopyName(CHAR (&to)[32], const char (&from)[32]) {
    std::memcpy(to, from, sizeof(to));
    to[sizeof(to) - 1] = '\0';
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (ScriptedJoystickShared* m = Shared()) {
            InterlockedIncrement(&m->loadCount);
            InterlockedExchange(&m->lastLoaderPid, static_cast<LONG>(GetCurrentProcessId()));
        }
    }
    return TRUE;
}

UINT WINAPI joyGetNumDevs() {
    return Snapshot().deviceCount;
}

UINT WINAPI joyGetDevCapsA(UINT_PTR id, JoyCapsA* caps, UINT size) {
    if (ScriptedJoystickShared* m = Shared()) {
        InterlockedIncrement64(&m->capsCount);
        InterlockedExchange(&m->lastCapsId, static_cast<LONG>(id));
    }
    if (caps == nullptr)
        return kMmInvalidParam;
    if (size != sizeof(JoyCapsA))
        return kJoyErrParms;
    const ScriptedJoystickScript s = Snapshot();
    const UINT result = ResultForId(s, id, s.capsResult);
    if (result != kJoyErrNoError)
        return result;
    std::memset(caps, 0, sizeof(*caps));
    caps->wMid = 0xFFFF;
    caps->wPid = 0xFFFF;
    CopyName(caps->szPname, s.productName);
    caps->wXmin = s.axisMin[0];
    caps->wXmax = s.axisMax[0];
    caps->wYmin = s.axisMin[1];
    caps->wYmax = s.axisMax[1];
    caps->wZmin = s.axisMin[2];
    caps->wZmax = s.axisMax[2];
    caps->wRmin = s.axisMin[3];
    caps->wRmax = s.axisMax[3];
    caps->wUmin = s.axisMin[4];
    caps->wUmax = s.axisMax[4];
    caps->wVmin = s.axisMin[5];
    caps->wVmax = s.axisMax[5];
    caps->wNumButtons = s.numButtons;
    caps->wPeriodMin = 10;
    caps->wPeriodMax = 1000;
    caps->wCaps = s.caps;
    caps->wMaxAxes = kScriptedAxes;
    caps->wNumAxes = s.numAxes;
    caps->wMaxButtons = kMaxButtons;
    return kJoyErrNoError;
}

// Fills only what dwFlags asks for, as the system does, so a caller that forgets a flag sees it.
UINT WINAPI joyGetPosEx(UINT id, JoyInfoEx* info) {
    LARGE_INTEGER began;
    QueryPerformanceCounter(&began);
    if (ScriptedJoystickShared* m = Shared()) {
        InterlockedIncrement64(&m->readCount);
        InterlockedExchange(&m->lastReadId, static_cast<LONG>(id));
    }
    if (info == nullptr)
        return kMmInvalidParam;
    LONG sequence = 0;
    const ScriptedJoystickScript s = Snapshot(&sequence);
    NoteChangeSeen(began, sequence);
    const UINT result = ResultForId(s, id, s.readResult);
    if (result != kJoyErrNoError)
        return result;
    const DWORD flags = info->dwFlags;
    DWORD* const positions[kScriptedAxes] = {&info->dwXpos, &info->dwYpos, &info->dwZpos,
                                             &info->dwRpos, &info->dwUpos, &info->dwVpos};
    const DWORD axisFlags[kScriptedAxes] = {kReturnX, kReturnY, kReturnZ,
                                            kReturnR, kReturnU, kReturnV};
    for (int axis = 0; axis < kScriptedAxes; ++axis)
        if (flags & axisFlags[axis])
            *positions[axis] = s.pos[axis];
    if (flags & kReturnButtons) {
        info->dwButtons = s.buttons;
        info->dwButtonNumber = 0;
        for (DWORD b = s.buttons; b != 0; b &= b - 1)
            ++info->dwButtonNumber;
    }
    if (flags & (kReturnPov | kReturnPovCts))
        info->dwPOV = s.pov;
    return kJoyErrNoError;
}

UINT WINAPI joyGetPos(UINT id, JoyInfo* info) {
    if (info == nullptr)
        return kMmInvalidParam;
    const ScriptedJoystickScript s = Snapshot();
    const UINT result = ResultForId(s, id, s.readResult);
    if (result != kJoyErrNoError)
        return result;
    info->wXpos = s.pos[0];
    info->wYpos = s.pos[1];
    info->wZpos = s.pos[2];
    info->wButtons = s.buttons & 0xF;
    return kJoyErrNoError;
}

UINT WINAPI timeBeginPeriod(UINT) {
    return 0;
}
UINT WINAPI timeEndPeriod(UINT) {
    return 0;
}
DWORD WINAPI timeGetTime() {
    return GetTickCount();
}

} // extern "C"
