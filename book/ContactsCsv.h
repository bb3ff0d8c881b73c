// Contacts as CSV: UTF-8, one header row, fields quoted where they need it. Columns:
// Slot, Name, Group, Secret (YES/NO), Mobile, Mobile Speed Dial, Home, Home Speed Dial, Office,
// Office Speed Dial, Pager, Pager Speed Dial, Fax, Fax Speed Dial, E-mail, Wireless Address,
// Memo, Ringer, Msg. Ringer. Reading matches the header names in any order and letter case;
// a column it does not know is reported and left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/Contacts.h"

namespace numora {

std::string ContactsToCsv(const std::vector<Contact>& contacts);
std::vector<Contact> ContactsFromCsv(std::string_view text, std::vector<std::string>& problems);

}  // namespace numora
