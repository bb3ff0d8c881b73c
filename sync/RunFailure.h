// Why a run could not go on. Each cause is named where it is recognised and carried to the
// run's end, where one more message after the connection message says it in words.
#pragma once

#include <string>
#include <vector>

namespace numora {

enum class RunFailure {
    None,
    NoHandset,        // the search ran out of time: no port answered as the handset does
    PortDenied,       // a port could not be opened for lack of permission
    PasswordRefused,  // the handset answered the password with a refusal
    ModeRefused,      // the handset refused the transfer mode too often
    DamagedReplies,   // replies kept arriving damaged
    Busy,             // the handset stayed busy too long
    WrongReplies,     // the replies answered other requests than the one asked
    Silent,           // the handset stopped answering
    PortLost,         // the port went away under the run
};

struct RunFailureReport {
    RunFailure cause = RunFailure::None;
    std::vector<std::string> portsOpened;  // devices the search opened, none of which answered
    std::vector<std::string> portsDenied;  // devices refused for lack of permission
};

// The sentence that names the cause, and what the user can do about it; empty for None.
std::string FailureText(const RunFailureReport& report);

}  // namespace numora
