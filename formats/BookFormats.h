// The formats a book can be read from and written to besides the phone-book file, chosen by a
// file's extension: ".json" the JSON shape, ".vcf" vCard, ".csv" CSV; anything else is a
// phone-book file (*.pb).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/PBData.h"

namespace numora {

// CSV is read in any of its shapes; GoogleCsv and OutlookCsv write the shapes of Google
// Contacts' and Outlook's exports (chosen by names ending in ".google.csv" or ".outlook.csv").
enum class BookFormat { PhoneBook, Json, VCard, Csv, GoogleCsv, OutlookCsv };

BookFormat FormatOfPath(std::string_view path);

struct TextImport {
    bool ok = false;
    std::string error;                  // why nothing was taken
    std::vector<std::string> problems;  // what was taken only in part, or left out
};

// JSON replaces the whole book. vCard and CSV replace its entries and speed dials; groups are
// matched by name (new names take free slots) and SMS groups stay as they are. A file that
// yields no contact is refused (ok false) and the book is left as it was.
TextImport BookFromText(BookFormat format, std::string_view text, CPBData& book);
std::string BookToText(BookFormat format, const CPBData& book);

}  // namespace numora
