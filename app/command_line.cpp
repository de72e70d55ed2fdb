#include "app/command_line.h"

CommandLine ParseCommandLine(char* text) {
    CommandLine result;
    if (text == nullptr)
        return result;
    bool quoted = false;
    bool seenSpace = false;
    for (char* p = text; *p != '\0'; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            *p = '\0';
            if (quoted)
                continue;
        }
        if (quoted)
            continue;
        if (p[0] == 'i' && p[1] == 'd' && p[2] == '=') {
            // An "id=" with nothing after the '=' is no token; the cut after the digit lands on
            // the text's own terminator at the very end, never past it.
            if (p[3] != '\0') {
                result.hasSlot = true;
                result.slotDigit = p[3];
                p[4] = '\0';
            }
            break;
        }
        if (*p == ' ') {
            if (!seenSpace) {
                seenSpace = true;
                result.fileArgument = p[1] == '"' ? p + 2 : p + 1;
            }
            *p = '\0';
        }
    }
    return result;
}
