#pragma once
// Where the settings live: the registry root, the key of each slot, the value names, and the
// name a slot carries until one is stored.
#include "core/program_state.h"
#include "platform/registry.h"

constexpr char kBaseKeyPath[] = "SOFTWARE\\Orvanelk\\Padwright";
constexpr int kBaseKeyLength = sizeof(kBaseKeyPath) - 1;
static_assert(kBaseKeyLength == 27);

// Slot key: the base key for slot '1', otherwise the one-character sub-key named by the digit.
constexpr int kSlotKeyPathSize = kBaseKeyLength + 3; // base, backslash, digit, NUL
struct SlotKey {
    char path[kSlotKeyPathSize];
};

// Values of a slot key.
constexpr char kValueNumKeys[] = "numkeys";
constexpr char kValueKeyMap[] = "keymap";
constexpr char kValueTypematic[] = "typematic";
constexpr char kValueJoyId[] = "joyid";
constexpr char kValueConfigName[] = "configname";
constexpr char kValueEnabled[] = "enabled";
constexpr char kValuePollingSpeed[] = "pollingspeed";
constexpr char kValueTypematicDelay[] = "typematicdelay";
constexpr char kValueTypematicRate[] = "typematicrate";
constexpr char kValueThreshold[] = "threshold";
constexpr char kValuePrograms[] = "programs";
constexpr char kValuePointer[] = "pointer"; // the pointer and the wheel, a slot without it has none
// Values of the base key only: the slot selected last, and whether slots follow the program in
// front.
constexpr char kValueConfig[] = "config";
constexpr char kValueFollow[] = "follow";

constexpr char kFirstSlotDigit = '1';

// Portable mode keeps the settings under the current user, otherwise they are machine-wide
// (with the per-user overlay of registry_access.h).
// Asked anew at every access, so switching the mode switches the store at once.
RegistryHive RegistryRoot(const ProgramState& s);

SlotKey SlotKeyPath(char slotDigit);

// "Config " and the digit, terminated: 9 bytes over the start of the name, the rest untouched.
constexpr char kDefaultNamePrefix[] = "Config ";
constexpr int kDefaultNameBytes = sizeof(kDefaultNamePrefix) + 1;
static_assert(kDefaultNameBytes == 9 && kDefaultNameBytes <= kConfigNameSize);
void WriteDefaultConfigName(char (&name)[kConfigNameSize], char slotDigit);
