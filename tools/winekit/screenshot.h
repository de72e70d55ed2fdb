#pragma once
// Pictures of what a user would see, saved as PNG files into the artifacts directory. Under
// Wine a program cannot read other windows back from the screen reliably, so the picture is
// taken from outside: the tool leaves "<name>.request" (the area as "x y width height", or
// empty for the whole screen) and the watcher of wine_session.sh takes it with ImageMagick's
// `import -window root`, writes "<name>.png" and removes the request. Nothing happens when no
// artifacts directory was given.
#include <windows.h>

#include <string>

void SetArtifactsDirectory(const std::string& windowsPath);
// The whole screen, or only `window`'s rectangle, once the window has painted. Returns false
// when no picture was taken (no artifacts directory, or no watcher answered in time).
bool SaveScreenshot(const std::string& name, HWND window = nullptr);
