#pragma once
// A registry that behaves like the system's: a tree of keys per hive, names compared without
// regard to case, opening a missing key fails, creating a key creates its parents, a value longer
// than the reader's buffer is refused. Every write is also recorded in order.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

struct FakeRegistryValue {
    uint32_t type;
    std::vector<uint8_t> bytes;
};

struct FakeRegistryWrite {
    RegistryHive hive;
    std::string path;
    std::string name;
    uint32_t type;
    std::vector<uint8_t> bytes;
};

struct FakeRegistry {
    // Creates the key and its parents, like a program that stored the value earlier.
    void Put(RegistryHive hive, const std::string& path, const std::string& name,
             std::vector<uint8_t> bytes, uint32_t type = kRegBinary);
    const FakeRegistryValue* Get(RegistryHive hive, const std::string& path,
                                 const std::string& name) const;
    bool HasKey(RegistryHive hive, const std::string& path) const;

    std::vector<FakeRegistryWrite> writes; // every successful set, in order
    int openKeys = 0;                      // opened or created and not yet closed
    int badCloses = 0;                     // closes of a null or already closed key
    bool scribbleOnRefusal = false;        // a refused read leaves garbage, as it may on Windows
    bool localMachineReadOnly = false;     // as for a user who is not an administrator
    bool currentUserReadOnly = false;      // as under a policy that locks the user's hive

    // Key path in lower case → value name in lower case → value.
    std::map<std::pair<RegistryHive, std::string>, std::map<std::string, FakeRegistryValue>> keys;
};

FakeRegistry& TheFakeRegistry();
void ResetFakeRegistry();
