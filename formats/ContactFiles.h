// The contacts of a file of any format the programs read: vCard and CSV hold contacts; a JSON
// book and a phone-book file hold entries, which are taken as the contacts they stand for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/BookFormats.h"
#include "formats/Contacts.h"

namespace numora {

// Contacts files are read whole. An address book of a hundred thousand contacts with photos
// stays well below this; a larger file is no contacts file.
inline constexpr std::size_t kMaxContactsFileBytes = std::size_t{256} << 20;
inline constexpr std::string_view kContactsFileTooLarge =
    "the file is larger than 256 MB, more than any contacts file holds";

struct ContactsOfFile {
    bool ok = false;
    std::string error;  // why no contact could be had
    std::vector<Contact> contacts;
    std::vector<std::string> problems;  // what the file held that was read only in part
    std::string encoding;               // what a contacts file was read as ("UTF-8")
};

// Text in a character set a file declares is decoded through charsets.
ContactsOfFile ContactsFromFile(BookFormat format, std::string_view bytes,
                                const Charsets& charsets);

}  // namespace numora
