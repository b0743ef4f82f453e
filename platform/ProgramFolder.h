// The program's folder: where the settings, language files, trash, filer and music
// font live, beside the executable. Tests and scripts point it elsewhere.
#pragma once

#include <string>

namespace rq {

// The folder set by SetProgramFolder, else the environment variable
// RQ_PROGRAM_DIR when it is set and not empty, else the running executable's folder.
std::string ProgramFolder();

// Overrides the folder for the rest of the process (an empty path removes the override).
void SetProgramFolder(std::string folder);

// A file of the program's folder.
std::string ProgramFile(const std::string& name);

}  // namespace rq
