#pragma once
// The program's command line: an optional file argument, then optionally "id=" and a slot digit.

struct CommandLine {
    const char* fileArgument = nullptr; // absent, or a word inside the parsed text (may be empty)
    bool hasSlot = false;               // the "id=" token was found
    char slotDigit = 0;                 // the character right after "id="
};

// Parses the raw command line in place: quotes and spaces outside quotes become NULs, and the
// character after the slot digit is cut off. Writes only inside the text up to its NUL.
CommandLine ParseCommandLine(char* text);
