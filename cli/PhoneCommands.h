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
    bool dryRun = false;  // write: read the handset's book and show what the write would change
    bool verify = false;  // write: read the book back afterwards and compare
};

// Exit status: 0 when the run completed, 1 when it failed (the reason on stderr), or when a
// verified write finds the handset's book differs from the book written. Each completed run
// keeps its book in the history.
int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder);
int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder);

}  // namespace numora
