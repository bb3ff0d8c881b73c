// The folder of the running program, where the tool's work file "backup.efs" lives.
#pragma once

#include <filesystem>

namespace numora {

// Found from the system (the executable's own path), never from the current folder: a program
// started through the PATH has no folder in argv[0]. Empty when the system does not say;
// argv0 is used only when it names a path.
std::filesystem::path ProgramFolder(const char* argv0);

}  // namespace numora
