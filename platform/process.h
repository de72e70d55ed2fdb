#pragma once
// Files and child processes, as portable mode needs them to let the system's reg.exe carry the
// settings between the registry and a file.
#include <cstddef>

// GetFileAttributesA: true for an existing file or directory; false for an absent name.
bool FileExists(const char* name);
void DeleteFileNamed(const char* name);
// Reads up to `size` bytes from the start of the file into `bytes`; returns how many were read,
// 0 when the file cannot be opened.
size_t ReadFileStart(const char* name, unsigned char* bytes, size_t size);
// Replaces `to` by the file `from` (MoveFileExA with MOVEFILE_REPLACE_EXISTING); false, and
// nothing moved, when `from` is a directory.
bool ReplaceFileWith(const char* from, const char* to);
// FormatMessageA from the template with its %1 and %2 inserts; false when it cannot be built or
// does not fit.
bool FormatCommandLine(const char* templateText, const char* first, const char* second, char* out,
                       size_t outSize);
// GetSystemDirectoryA: false when it cannot be had or does not fit.
bool SystemDirectory(char* out, size_t outSize);
// Starts the program at the full path `application` with the command line, without a console
// window and without searching for it, and waits for its end; true only when it ran and exited
// with code 0.
bool RunAndWait(const char* application, const char* commandLine);
