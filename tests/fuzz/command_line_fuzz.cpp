// The command-line parser on arbitrary bytes, and start-up taking its results. The text lives
// in a heap block of exactly its length plus the NUL, so AddressSanitizer stops any read or
// write past the terminator; the result must point into the text, and the parser may only cut
// the text at quotes, at spaces and right after the slot digit. Then, as at start-up, the file
// argument names an existing file and becomes the portable file, and the slot digit steps past
// slots '1' to '7', which other instances hold.
#include <cstring>
#include <memory>

#include "app/command_line.h"
#include "app/startup.h"
#include "store/portable_mode.h"
#include "tests/fakes/fake_system.h"
#include "tests/fuzz/fuzz_bytes.h"

namespace {
bool IsSlotTaken(const char* title) {
    const unsigned char digit = title[std::strlen(title) - 1];
    return digit >= '1' && digit <= '7';
}

// What start-up does with the parsed command line.
void StartWith(const CommandLine& line) {
    // Any name can exist, except one with a quote, which no file system takes (a file argument
    // holds one only when "id=" and a quote as its digit cut it short).
    ResetFakeSystem();
    const char* name = line.fileArgument;
    const bool exists = name != nullptr && name[0] != '\0' && std::strchr(name, '"') == nullptr;
    if (exists)
        Fake().process.files.insert(name);
    const auto state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, name);
    const bool fits = exists && std::strlen(name) < sizeof(s.portableFile);
    FUZZ_CHECK(s.portableOn == fits);
    FUZZ_CHECK(std::memchr(s.portableFile, '\0', sizeof(s.portableFile)) != nullptr);
    FUZZ_CHECK(!fits || std::strcmp(s.portableFile, name) == 0);

    if (line.hasSlot)
        s.slotDigit = line.slotDigit;
    const bool started = StepToFreeSlot(s, IsSlotTaken);
    FUZZ_CHECK(std::strlen(s.windowTitle) == std::strlen("Padwright Config 1"));
    FUZZ_CHECK(s.windowTitle[std::strlen(s.windowTitle) - 1] == s.slotDigit);
    FUZZ_CHECK(started == !IsSlotTaken(s.windowTitle));
    FUZZ_CHECK(started || static_cast<unsigned char>(s.slotDigit) >= '6');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto text = std::make_unique<char[]>(size + 1);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const size_t length = std::strlen(text.get());
    const std::unique_ptr<char[]> original(new char[length + 1]);
    std::memcpy(original.get(), text.get(), length + 1);

    const CommandLine line = ParseCommandLine(text.get());

    const char* begin = text.get();
    const char* end = begin + length; // the terminator
    if (line.fileArgument != nullptr) {
        FUZZ_CHECK(line.fileArgument > begin && line.fileArgument <= end);
        FUZZ_CHECK(std::strlen(line.fileArgument) <= static_cast<size_t>(end - line.fileArgument));
    }
    FUZZ_CHECK(line.hasSlot == (line.slotDigit != '\0'));

    // Every byte keeps its value or becomes a NUL; only a quote, a space or the byte right after
    // the slot digit of an "id=" may become one. The terminator stays.
    FUZZ_CHECK(text[length] == '\0');
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == original[i])
            continue;
        FUZZ_CHECK(text[i] == '\0');
        const bool afterDigit = line.hasSlot && i >= 4 &&
                                std::memcmp(&original[i - 4], "id=", 3) == 0 &&
                                original[i - 1] == line.slotDigit;
        FUZZ_CHECK(original[i] == '"' || original[i] == ' ' || afterDigit);
    }
    // The slot digit is one that follows an "id=" in the text.
    if (line.hasSlot) {
        const char token[] = {'i', 'd', '=', line.slotDigit, '\0'};
        FUZZ_CHECK(std::strstr(original.get(), token) != nullptr);
    }

    StartWith(line);
    return 0;
}
