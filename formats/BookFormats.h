// The formats a book can be read from and written to besides the phone-book file, chosen by a
// file's extension: ".json" the JSON shape, ".vcf" vCard, ".csv" CSV; anything else is a
// phone-book file (*.pb).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"
#include "numbers/PhoneNumbers.h"
#include "text/Charsets.h"

namespace numora {

// CSV is read in any of its shapes; GoogleCsv and OutlookCsv write the shapes of Google
// Contacts' and Outlook's exports (chosen by names ending in ".google.csv" or ".outlook.csv").
enum class BookFormat { PhoneBook, Json, VCard, Csv, GoogleCsv, OutlookCsv };

BookFormat FormatOfPath(std::string_view path);

struct TextImport {
    bool ok = false;
    std::string error;                  // why nothing was taken
    std::vector<std::string> problems;  // what was taken only in part, or left out
    std::string encoding;               // what a contacts file was read as ("UTF-8")
};

// How contacts are read: the home region their numbers are dialled from, and the decoder of
// the character sets files declare (nullptr: the built-in one, Unicode forms and Latin-1 only).
struct ContactsOptions {
    PhoneNumbers numbers;
    const Charsets* charsets = nullptr;
};

// Why a vCard or CSV file gave no contact ("the file is empty").
[[nodiscard]] std::string NoContactReason(BookFormat format, std::string_view text);

// JSON replaces the whole book. vCard and CSV replace its entries and speed dials; groups are
// matched by name (new names take free slots) and SMS groups stay as they are. A file that
// yields no contact is refused (ok false) and the book is left as it was.
TextImport BookFromText(BookFormat format, std::string_view text, PhoneBook& book,
                        const ContactsOptions& options = {});
std::string BookToText(BookFormat format, const PhoneBook& book);
// What a format has no place for and leaves out of the book, one line each (the Google shape
// holds no speed dials, slots, ringers or secret flags); empty when it holds the whole book.
std::vector<std::string> WhatFormatLeavesOut(BookFormat format, const PhoneBook& book);

}  // namespace numora
