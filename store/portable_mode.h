#pragma once
// Portable mode: the settings travel in a file that the system's reg.exe writes from and reads
// into the registry under the current user. reg.exe runs with the caller's rights, where the
// registry editor would ask an administrator to elevate.
#include "core/program_state.h"

constexpr char kPortableFileName[] = "padwrt.cfg";
constexpr char kRegistryTool[] = "reg.exe"; // in the system directory
constexpr char kImportTemplate[] = "reg import \"%1\"";
constexpr char kExportTemplate[] = "reg export \"HKCU\\%2\" \"%1\" /y";
constexpr char kRemoveFileQuestion[] =
    "Remove config file permanently?\n(Note: having padwrt.cfg activates portable mode as "
    "startup default)";

// Start-up, before the command line is read: on with "padwrt.cfg" when it exists here.
void DecidePortableModeAtStart(ProgramState& s);
// Start-up, after the command line is read: imports the portable file, or else the file named
// on the command line, which then becomes the portable file for this run.
void ImportFileAtStart(ProgramState& s, const char* fileArgument);

// Imports the file; on success portable mode is on with that file. A file that is no portable
// file (portable_file.h) is not imported, and the import counts as failed.
void ImportPortableFile(ProgramState& s, const char* name);
// Replaces the file by a fresh export of the base key. The export goes to a file beside it
// first, so a failed export leaves the previous file as it was.
void ExportPortableFile(const ProgramState& s);

// Every load first brings the portable file back into the registry; nothing while off.
void ImportBeforeLoad(ProgramState& s);

// The setup dialog's "Portable mode" box was clicked and is now `checked`. Unchecking portable
// mode on the built-in file asks, with `owner` as the owner, whether to delete the file.
void SetPortableMode(ProgramState& s, bool checked, WindowHandle owner);
