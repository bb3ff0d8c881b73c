// The book as JSON (written and parsed with nlohmann/json): one line, the valid records only,
// each text byte shown as the Latin-1 character of its value. Reading goes through the file's
// own records, so a book built from JSON obeys exactly the rules of a loaded file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

// Number kinds as JSON names them: "mobile", "home", "office", "pager", "fax".
std::string_view KindName(NumberKind kind);

// asciiOnly escapes every character above 0x7E (for a terminal).
std::string BookToJson(const PhoneBook& book, bool asciiOnly = false);

struct JsonImport {
    bool ok = false;
    std::string error;                  // why the text was refused, from "JSON, line L, column C: "
    std::vector<std::string> warnings;  // records that could not be taken
};

// Replaces the book with the one the text describes. On error the book is left unchanged.
JsonImport BookFromJson(std::string_view text, PhoneBook& book);

// The same book as the bytes of a *.pb file, codes as they stand (nothing clamped).
JsonImport JsonToPbBytes(std::string_view text, std::vector<uint8_t>& bytes);

}  // namespace numora
