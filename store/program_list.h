#pragma once
// A slot's list of programs: executable file names such as game.exe, ';' between them. A program
// is named by its file name alone, whatever folder it runs from, compared without regard to case
// (of the letters A to Z); an entry without an extension names the .exe of that name.
#include <string_view>

constexpr char kProgramSeparator = ';';

// A name as a list may hold it: not empty, no folder, drive, wildcard or other character that a
// file name cannot hold, not ending in a dot.
bool IsPlainFileName(std::string_view name);

// The first entry, blanks around it trimmed, that is not a plain file name; empty when there is
// none. Empty entries (";;", a ';' at the end) are skipped.
std::string_view FirstBadProgram(std::string_view list);

// Some entry names the program whose image is at `imagePath` (a full path or a file name).
// Entries that are not plain file names name no program.
bool ListNamesProgram(std::string_view list, std::string_view imagePath);

// Some entry is a plain file name.
bool ListNamesAnyProgram(std::string_view list);
