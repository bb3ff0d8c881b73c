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

// A property's value as text: quoted-printable decoded when it is, escapes undone. Components
// (N, ADR) stay separated by ';'.
std::string VCardValueText(std::string_view value, bool quotedPrintable);
// Text as a property value: backslash, comma and semicolon escaped, line breaks as "\n".
std::string EscapeVCardText(std::string_view text);
// A property's line folded at 75 octets, never inside a UTF-8 character; every part ends in
// lineEnd.
std::string FoldVCardLine(std::string_view line, std::string_view lineEnd = "\r\n");

}  // namespace numora
