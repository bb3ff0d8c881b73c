// numora-cli read and write: the same engine and sequences as the window, on the console.
#pragma once

#include <filesystem>
#include <string>

#include "link/PhoneLink.h"

namespace numora {

// The search timeout the tool accepts, in seconds; a search is never shorter than one sweep of
// the ports it tries, whatever is asked for.
constexpr int kMinSearchTimeoutSec = 1;
constexpr int kMaxSearchTimeoutSec = 3600;

struct PhoneOptions {
    std::string port;      // a device; empty to search the ports as the window does
    std::string file;      // read: where the book goes; write: where it comes from
    bool trace = false;    // every frame on stderr
    bool progress = true;  // a progress bar on stderr
    int searchTimeoutSec = 30;
    bool dryRun = false;  // write: read the handset's book and show what the write would change
    bool verify = false;  // write: read the book back afterwards and compare
    Pace pace = Pace::Specified;  // --pace fast: no fixed pauses between records
    bool force = false;           // write: also a book whose file was damaged
    bool quietFiles = false;      // the file is the caller's scratch: no completion messages
};

inline constexpr const char* kDamagedNotWritten =
    "The book's file is damaged (see above): nothing was written to the handset. Give --force "
    "to write what could be read.";

// --timeout's value: whole seconds from kMinSearchTimeoutSec to kMaxSearchTimeoutSec; false
// (options unchanged) for anything else.
bool ParseSearchTimeout(const std::string& text, PhoneOptions& options);
// --pace's value: "specified" or "fast"; false (options unchanged) for anything else.
bool ParsePace(const std::string& text, PhoneOptions& options);

// Exit status: 0 when the run completed, 1 when it failed or was interrupted (SIGINT, SIGTERM)
// (the reason on stderr), or when a verified write finds the handset's book differs from the
// book written. Each completed run keeps its book in the history.
int RunRead(const PhoneOptions& options, const std::filesystem::path& programFolder);
int RunWrite(const PhoneOptions& options, const std::filesystem::path& programFolder);

}  // namespace numora
