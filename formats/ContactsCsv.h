// Contacts as CSV, one header row, fields quoted where they need it. Three shapes are written:
// the book's own (Slot, Name, Group, Secret (YES/NO), Mobile, Mobile Speed Dial, Home, Home Speed
// Dial, Office, Office Speed Dial, Pager, Pager Speed Dial, Fax, Fax Speed Dial, E-mail, Wireless
// Address, Memo, Ringer, Msg. Ringer), Google Contacts' export and Outlook's export (English
// headings). Reading matches the headings of those and of other programs' exports (Outlook in
// German, Thunderbird) by name, in any order and letter case, with comma, semicolon or tab
// between the fields; a value under a heading the book has no place for is reported for its
// contact. A file whose first row holds no known heading is read row by row, each field taken
// by its look (an e-mail address, a number, a name).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/Contacts.h"
#include "text/Charsets.h"

namespace numora {

enum class CsvShape { Book, Google, Outlook };

std::string ContactsToCsv(const std::vector<Contact>& contacts, CsvShape shape = CsvShape::Book);
// The text may be in any Unicode form (with its byte-order mark, or UTF-16 without one), UTF-8,
// or a legacy set, read as Windows-1252 through charsets; line ends CR, LF or CR LF, kept as they
// are inside a quoted field. A quote left open is reported by row and the other rows are kept.
ContactsRead ReadCsv(std::string_view bytes, const Charsets& charsets);
// The same with the built-in character sets; problems of the file as a whole go to problems.
std::vector<Contact> ContactsFromCsv(std::string_view bytes, std::vector<std::string>& problems);

}  // namespace numora
