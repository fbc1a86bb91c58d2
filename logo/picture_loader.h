// The picture loader: asks for a picture file and turns it into a bitmap.
// Both ways into the logo dialog start here: the main dialog's "&Logo
// Editor..." and the dialog's own "&Load Other...".
#pragma once

#include <windows.h>

#include <string>

namespace tq350::logo {

// Asks the user for a picture file; the chosen path, or "" when the user
// cancelled or the dialog failed.
using PictureFileQuestion = std::string (*)(HWND owner);

// The standard open-file dialog, titled "Open Picture File", over `owner`,
// offering the supported types, all of them first, then each on its own.
std::string AskForPictureFile(HWND owner);

// What LoadPicture asks with: AskForPictureFile, unless a test put its own
// answer here.
extern PictureFileQuestion g_ask_for_picture_file;

// Asks for a file and loads it with LoadPictureFile. The caller owns the
// returned bitmap and deletes it; nullptr when the user cancelled or the file
// cannot be used. Shows no message and does not beep: callers just carry on.
HBITMAP LoadPicture(HWND owner);

// Loads one picture file under the wait cursor. A Windows bitmap file becomes
// a DIB section of the file's own depth and colour table (a 1-bit file stays
// 1-bit, its colours in their stored order); any other picture (GIF, JPEG,
// icon, metafile) becomes a bitmap in the screen's format at the picture's
// natural size, rendered upright on white, so that transparent parts are
// white paper. The content decides the format, not the file's name. nullptr
// for a file that cannot be opened, is empty, truncated, larger than the
// loader's pixel budget, claims more pixels than its data can fill, is none
// of the formats, or that the decoder refuses. The caller owns the returned
// bitmap.
HBITMAP LoadPictureFile(const char* path);

} // namespace tq350::logo
