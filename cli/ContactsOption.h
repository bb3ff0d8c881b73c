// --region CC on the commands that read contacts: the home region imported numbers are dialled
// from, when the locale names none or another.
#pragma once

#include <string>

namespace numora {

class CommandLine;

void DeclareRegionOption(CommandLine& line);
// Sets the region for the books the command loads; false (with why) for a region the phone-number
// library does not know.
[[nodiscard]] bool TakeRegionOption(const CommandLine& line, std::string& why);

}  // namespace numora
