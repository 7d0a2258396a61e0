// Where the plugin's own library file lies: its folder holds the player archive.
#pragma once

#include <string>

namespace varno {

// The module handle the loader gave the library (Windows); null elsewhere.
void setLibraryHandle(void* module);
void* libraryHandle();

// Full path of the file the plugin code was loaded from: the plugin library, or
// the program itself when the plugin is linked in statically. Empty when unknown.
std::string libraryFilePath();

} // namespace varno
