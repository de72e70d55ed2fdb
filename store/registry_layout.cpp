#include "store/registry_layout.h"

#include <cstring>

RegistryHive RegistryRoot(const ProgramState& s) {
    return s.portableOn ? RegistryHive::CurrentUser : RegistryHive::LocalMachine;
}

SlotKey SlotKeyPath(char slotDigit) {
    SlotKey key{};
    std::memcpy(key.path, kBaseKeyPath, kBaseKeyLength);
    if (slotDigit != kFirstSlotDigit) {
        key.path[kBaseKeyLength] = '\\';
        key.path[kBaseKeyLength + 1] = slotDigit;
    }
    return key;
}

void WriteDefaultConfigName(char (&name)[kConfigNameSize], char slotDigit) {
    std::memcpy(name, kDefaultNamePrefix, sizeof(kDefaultNamePrefix) - 1);
    name[kDefaultNameBytes - 2] = slotDigit;
    name[kDefaultNameBytes - 1] = '\0';
}
