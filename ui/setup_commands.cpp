#include "ui/setup_commands.h"

#include <cstdio>
#include <cstring>

#include "core/key_map.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "store/portable_mode.h"
#include "store/program_list.h"
#include "store/slot_store.h"
#include "ui/joystick_warning.h"
#include "ui/save_warning.h"

void OpenSetup(ProgramState& s, SetupDialogState& d, WindowHandle dialog) {
    s.setupDialog = dialog;
    d.grid.builtKeyCount = 0;
}

SetupSnapshot TakeSetupSnapshot(const ProgramState& s) {
    SetupSnapshot snapshot{};
    for (int i = 0; i < kMaxKeys; ++i)
        snapshot.entries[i] = ReadEntry(s.keyMap.entries[i]);
    snapshot.keyCount = KeyCount(s);
    snapshot.enabledMask = s.enabledMask.load(std::memory_order_relaxed);
    snapshot.typematicOn = s.typematicOn.load(std::memory_order_relaxed);
    snapshot.joystickId = s.joystickId.load(std::memory_order_relaxed);
    std::memcpy(snapshot.configName, s.configName, kConfigNameSize);
    return snapshot;
}

namespace {
// A slot that has stored nothing yet would otherwise keep every edit through a Cancel.
void RestoreSetupSnapshot(ProgramState& s, const SetupSnapshot& snapshot) {
    for (int i = 0; i < kMaxKeys; ++i)
        WriteEntry(s.keyMap.entries[i], snapshot.entries[i]);
    s.keyMap.keyCount.store(snapshot.keyCount, std::memory_order_relaxed);
    s.enabledMask.store(snapshot.enabledMask, std::memory_order_relaxed);
    s.typematicOn.store(snapshot.typematicOn, std::memory_order_relaxed);
    s.joystickId.store(snapshot.joystickId, std::memory_order_relaxed);
    std::memcpy(s.configName, snapshot.configName, kConfigNameSize);
}
} // namespace

InputWord InputSnapshot(const ProgramState& s) {
    return s.engine.currentInput.load(std::memory_order_relaxed);
}

bool InputBitSet(InputWord word, int column) {
    return column >= 0 && column < 64 && ((word >> column) & 1) != 0;
}

namespace {
bool ProgramListAccepted(const ProgramState& s, WindowHandle dialog) {
    const std::string_view bad = FirstBadProgram(s.programList);
    if (bad.empty())
        return true;
    char text[sizeof(kBadProgramText) + kProgramListSize];
    std::snprintf(text, sizeof text, kBadProgramText, static_cast<int>(bad.size()), bad.data());
    ShowMessageBox(dialog, text, kMbOk);
    return false;
}
} // namespace

bool SaveSetup(ProgramState& s, WindowHandle dialog) {
    if (!ProgramListAccepted(s, dialog) || !SavedOrWarned(SaveSlot(s), dialog))
        return false;
    ExportPortableFile(s);
    return true;
}

bool CloseSetup(ProgramState& s, const SetupDialogState& d, WindowHandle dialog, CaptureView& view,
                const SetupSnapshot& opened, bool saved) {
    EndKeyCapture(s, d, view);
    const InputWord held = s.enabledMask.load(std::memory_order_relaxed) & InputSnapshot(s);
    if (held != 0 && ShowMessageBox(dialog, kSetupNotReleasedQuestion, kMbOkCancel) != kIdOk)
        return false;
    if (!saved)
        RestoreSetupSnapshot(s, opened);
    LoadSlot(s);
    CalibrateOrWarn(s, dialog);
    s.setupDialog = nullptr;
    s.dialogActive.store(false, std::memory_order_relaxed);
    return true;
}

bool ResetSetupToDefaults(ProgramState& s, SetupDialogState& d, WindowHandle dialog,
                          CaptureView& view) {
    EndKeyCapture(s, d, view);
    if (ShowMessageBox(dialog, kSetupResetQuestion, kMbOkCancel) != kIdOk)
        return false;
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    d.grid.scrollPos = 0;
    return true;
}

void SetTypematic(ProgramState& s, bool checked) {
    s.typematicOn.store(checked ? 1 : 0, std::memory_order_relaxed);
}

bool ChooseJoystick(ProgramState& s, int32_t selection, WindowHandle dialog) {
    if (selection < 0)
        return false;
    s.joystickId.store(static_cast<uint32_t>(selection), std::memory_order_relaxed);
    CalibrateOrWarn(s, dialog);
    return true;
}

void ShowAbout(WindowHandle dialog) {
    ShowMessageBox(dialog, kAboutText, kMbOk);
}
