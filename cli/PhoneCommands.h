// numora-cli read and write: the same engine and sequences as the window, on the console.
#pragma once

#include <filesystem>
#include <string>

namespace numora {

struct PhoneOptions {
    std::string port;      // a device; empty to search the ports as the window does
    std::string file;      // read: where the book goes; write: where it comes from
    bool trace = false;    // every frame on stderr
    bool progress = true;  // a progress bar on stderr
    int searchTimeoutSec = 30;
    bool force = false;  // write: also a book whose file was damaged
};

inline constexpr const char* kDamagedNotWritten =
    "The book's file is damaged (see above): nothing was written to the handset. Give --force "
    "to write what could be read.";

// Exit status: 0 when the run completed, 1 when it failed (the reason on stderr).
int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder);
int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder);

}  // namespace numora
