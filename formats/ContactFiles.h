// The contacts of a file of any format the programs read: vCard and CSV hold contacts; a JSON
// book and a phone-book file hold entries, which are taken as the contacts they stand for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/BookFormats.h"
#include "formats/Contacts.h"

namespace numora {

struct ContactsOfFile {
    bool ok = false;
    std::string error;  // why no contact could be had
    std::vector<Contact> contacts;
    std::vector<std::string> problems;  // what the file held that was read only in part
    std::string encoding;               // what a contacts file was read as ("UTF-8")
};

// Text in a character set a file declares is decoded through charsets.
ContactsOfFile ContactsFromFile(BookFormat format, std::string_view bytes,
                                const ICharsets& charsets);

}  // namespace numora
