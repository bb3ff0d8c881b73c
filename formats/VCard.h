// Contacts as vCard: written as version 3.0, read as 3.0 or 2.1.
//
// Mapping: FN is the name; TEL with TYPE CELL, HOME, WORK, PAGER and FAX are the Mobile, Home,
// Office, Pager and Fax numbers (a TEL without a kind takes the first free of Mobile, Home,
// Office), each with its speed dial as the parameter X-SPEED-DIAL; EMAIL the e-mail; URL the
// wireless address; NOTE the memo; the first of CATEGORIES the group; CLASS:PRIVATE (or
// CONFIDENTIAL) the secret flag; X-NUMORA-SLOT the entry's slot, X-NUMORA-RINGER and
// X-NUMORA-MSG-RINGER its ringer codes. Anything else a card holds (addresses, birthdays, a
// second e-mail...) is reported as left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/Contacts.h"

namespace numora {

std::string ContactsToVCard(const std::vector<Contact>& contacts);

// The cards of a file; problems of the file as a whole (an unterminated card) go to problems.
std::vector<Contact> ContactsFromVCard(std::string_view text, std::vector<std::string>& problems);

}  // namespace numora
