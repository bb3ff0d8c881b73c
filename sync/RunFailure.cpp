#include "sync/RunFailure.h"

#include "sync/SyncEngine.h"

namespace numora {

namespace {

constexpr std::size_t kDevicesNamed = 4;

// "a", "a and b", "a, b, c and 2 more".
std::string DeviceList(const std::vector<std::string>& devices) {
    std::string text;
    const std::size_t named = std::min(devices.size(), kDevicesNamed);
    for (std::size_t k = 0; k < named; ++k) {
        if (k > 0) text += k + 1 == named && named == devices.size() ? " and " : ", ";
        text += devices[k];
    }
    if (devices.size() > named) text += " and " + std::to_string(devices.size() - named) + " more";
    return text;
}

}  // namespace

std::string FailureText(const RunFailureReport& report) {
    switch (report.cause) {
        case RunFailure::None:
            return {};
        case RunFailure::NoHandset:
            if (report.portsOpened.empty()) {
                return "No handset answered: no serial port could be opened. Is the handset "
                       "plugged in?";
            }
            return "No handset answered on the ports tried: " + DeviceList(report.portsOpened) +
                   ".";
        case RunFailure::PortDenied:
            return "Permission to open " + DeviceList(report.portsDenied) +
                   " was denied. Add yourself to the group \"dialout\" (sudo adduser $USER "
                   "dialout) and log in again.";
        case RunFailure::PasswordRefused:
            return "The handset refused the password. Another handset's password can be set in "
                   "the profile as \"Port Setting\"/\"Password\" (16 hexadecimal digits).";
        case RunFailure::ModeRefused:
            return "The handset refused the transfer mode " + std::to_string(kMaxRefusals + 1) +
                   " times.";
        case RunFailure::DamagedReplies:
            return "The handset's replies kept arriving damaged (" +
                   std::to_string(kMaxResends + 1) + " in a row): check the cable.";
        case RunFailure::Busy:
            return "The handset stayed busy for more than " + std::to_string(kBusyLimitMs / 60000) +
                   " minutes.";
        case RunFailure::WrongReplies:
            return "The handset answered other requests than the one asked for.";
        case RunFailure::Silent:
            return "The handset stopped answering.";
        case RunFailure::PortLost:
            return "The handset's port went away (unplugged, or switched off).";
    }
    return {};
}

}  // namespace numora
