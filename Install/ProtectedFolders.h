// Folders that a removal must never move to the Recycle Bin: a drive root,
// the system's and the user's own folders, and any folder holding one of
// them. The installation folder is whatever the user typed, so a removal
// checks it before it takes a whole folder away.
#pragma once

#include <string>

// Why the folder must not be removed whole ("it is a drive root", ...);
// "" when it may be.
std::string WhyFolderProtected(const std::string& path);
