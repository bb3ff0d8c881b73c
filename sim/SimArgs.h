// The simulator's command line.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/PhoneLink.h"
#include "sim/HandsetSim.h"

namespace numora {

struct SimArgs {
    std::string bookPath;  // *.pb the handset starts with
    std::string savePath;  // *.pb written from the handset's tables at the end
    std::string linkPath;  // symbolic link to the terminal
    bool trace = false;
    bool wireSpeed = false;
    std::optional<Password> password;
    SimFaults faults;
};

extern const std::string_view kSimUsage;

// Reads the arguments after the program's name; nothing and the reason on a mistake.
std::optional<SimArgs> ParseSimArgs(std::span<const std::string_view> args, std::string& error);

}  // namespace numora
