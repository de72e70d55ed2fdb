// The command-line parser on arbitrary bytes in a block that ends at the NUL, then start-up with
// its results: the file becomes the portable file, the digit steps past slots '1' to '7' taken.
#include <cstring>

#include "app/command_line.h"
#include "app/startup.h"
#include "store/portable_mode.h"
#include "tests/fuzz/fuzz_bytes.h"

namespace {
bool IsSlotTaken(const char* title) {
    const unsigned char digit = title[std::strlen(title) - 1];
    return digit >= '1' && digit <= '7';
}
void StartWith(const CommandLine& line) {
    // Any name exists but one with a quote (left when "id=" with a quote for digit cut it).
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
    const size_t length = std::strlen(s.windowTitle);
    FUZZ_CHECK(length == std::strlen("Padwright Config 1"));
    FUZZ_CHECK(s.windowTitle[length - 1] == s.slotDigit);
    FUZZ_CHECK(started == !IsSlotTaken(s.windowTitle));
    FUZZ_CHECK(started || static_cast<unsigned char>(s.slotDigit) >= '6');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    const size_t length = std::strlen(original.c_str());
    const auto text = std::make_unique<char[]>(length + 1);
    std::memcpy(text.get(), original.c_str(), length + 1);
    const CommandLine line = ParseCommandLine(text.get());
    const char* end = text.get() + length; // the terminator
    const char* file = line.fileArgument;
    FUZZ_CHECK(file == nullptr || (file > text.get() && file + std::strlen(file) <= end));
    FUZZ_CHECK(line.hasSlot == (line.slotDigit != '\0'));
    FUZZ_CHECK(*end == '\0');
    // Only a quote, a space or the byte after an "id=" digit may become a NUL; others stay. The
    // digit is one that follows an "id=" in the text.
    const std::string token = std::string("id=") + line.slotDigit;
    for (size_t i = 0; i < length; ++i) {
        const bool afterDigit = line.hasSlot && i >= 4 && original.compare(i - 4, 4, token) == 0;
        FUZZ_CHECK(text[i] == original[i] ||
                   (text[i] == '\0' && (original[i] == '"' || original[i] == ' ' || afterDigit)));
    }
    FUZZ_CHECK(!line.hasSlot || original.substr(0, length).find(token) != std::string::npos);
    StartWith(line);
    return 0;
}
