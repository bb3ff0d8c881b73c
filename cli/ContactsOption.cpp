#include "cli/ContactsOption.h"

#include "cli/BookFiles.h"
#include "cli/Command.h"
#include "numbers/PhoneNumbers.h"

namespace numora {

void DeclareRegionOption(CommandLine& line) {
    line.Option({QStringLiteral("region")},
                QStringLiteral("The home region contacts' numbers are dialled from (DE, US...); "
                               "the locale's when not given."),
                QStringLiteral("CC"));
}

bool TakeRegionOption(const CommandLine& line, std::string& why) {
    if (!line.IsSet(QStringLiteral("region"))) return true;
    const std::string region = line.Value(QStringLiteral("region"));
    if (!IsKnownRegion(region)) {
        why = "--region takes a country code such as DE or US, not \"" + region + "\"";
        return false;
    }
    SetContactsRegion(region);
    return true;
}

}  // namespace numora
