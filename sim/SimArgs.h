// The simulator's command line.
#pragma once

#include <QCommandLineParser>
#include <optional>
#include <string>

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

// The simulator's options with their help, which is also its manual page's.
void DeclareSimOptions(QCommandLineParser& parser);

// The options of a parsed command line; nothing and the reason when a value is unusable.
std::optional<SimArgs> TakeSimArgs(const QCommandLineParser& parser, std::string& error);

}  // namespace numora
