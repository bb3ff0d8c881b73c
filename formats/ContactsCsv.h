// Contacts as CSV, one header row, fields quoted where they need it. Three shapes are written:
// the book's own (Slot, Name, Group, Secret (YES/NO), Mobile, Mobile Speed Dial, Home, Home Speed
// Dial, Office, Office Speed Dial, Pager, Pager Speed Dial, Fax, Fax Speed Dial, E-mail, Wireless
// Address, Memo, Ringer, Msg. Ringer), Google Contacts' export and Outlook's export (English
// headings). Reading matches the headings of all three by name, in any order and letter case;
// a value under a heading the book has no place for is reported for its contact.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/Contacts.h"

namespace numora {

enum class CsvShape { Book, Google, Outlook };

std::string ContactsToCsv(const std::vector<Contact>& contacts, CsvShape shape = CsvShape::Book);
// The text may be UTF-8 (with or without byte-order mark), UTF-16 with its mark, or Latin-1;
// line ends CR, LF or CR LF. A quote left open is reported by row and the other rows are kept.
std::vector<Contact> ContactsFromCsv(std::string_view bytes, std::vector<std::string>& problems);

}  // namespace numora
