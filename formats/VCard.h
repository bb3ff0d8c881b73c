// Contacts as vCard: written as version 3.0, read as 2.1, 3.0 or 4.0.
//
// Mapping: FN is the name (else N, as a person writes it); TEL with TYPE CELL, HOME, WORK,
// PAGER and FAX are the Mobile, Home, Office, Pager and Fax numbers (typed numbers first, a
// preferred one before the others; a TEL of no such kind takes the first free of Mobile, Home,
// Office), each with its speed dial as the parameter X-SPEED-DIAL; EMAIL the e-mail and URL the
// wireless address (the preferred one when there are several); NOTE the memo; the first of
// CATEGORIES the group; CLASS:PRIVATE (or CONFIDENTIAL) the secret flag; X-NUMORA-SLOT the
// entry's slot, X-NUMORA-RINGER and X-NUMORA-MSG-RINGER its ringer codes. Anything else a card
// holds (addresses, birthdays, a second e-mail, vendor X- properties, a card nested in it...) is
// reported as left out. A memo's line breaks are written as "\n" when they are CR LF, the
// handset's own; a memo with other line breaks is written quoted-printable, byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/Contacts.h"
#include "text/Charsets.h"

namespace numora {

std::string ContactsToVCard(const std::vector<Contact>& contacts);

// The cards of a file, each value decoded by what it declares through charsets.
ContactsRead ReadVCard(std::string_view bytes, const Charsets& charsets);
// The same with the built-in character sets; problems of the file as a whole go to problems.
std::vector<Contact> ContactsFromVCard(std::string_view bytes, std::vector<std::string>& problems);

}  // namespace numora
