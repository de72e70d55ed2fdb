// The command-line parser on arbitrary bytes. The text lives in a heap block of exactly its
// length plus the NUL, so AddressSanitizer stops any read or write past the terminator; the
// result must point into the text, and the parser may only cut the text at quotes, at spaces
// and right after the slot digit.
#include <cstring>
#include <memory>

#include "app/command_line.h"
#include "tests/fuzz/fuzz_bytes.h"

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
    return 0;
}
