// Loading and saving a book for the command-line tool, the format chosen by the extension
// (*.pb, *.json, *.vcf, *.csv).
#pragma once

#include <string>

#include "book/PhoneBook.h"
#include "formats/BookFormats.h"
#include "page/PbFileCommands.h"

namespace numora {

// Replaces the book with the file's; false (with the reason on stderr or the page) when it
// cannot. What a file held that the book cannot is listed on stderr, and the encoding a
// contacts file was read in; damaged is set when the
// file was not read whole (a phone-book file cut short, bytes or records skipped, JSON records
// left out).
// The home region the tool dials imported contacts' numbers from: the one given (--region), or
// else the locale's (LC_ALL, LC_TELEPHONE, LANG). A command sets it before it loads books.
void SetContactsRegion(std::string region);
// How the tool reads contacts: that region, and the platform's character sets.
ContactsOptions ContactsReading();

bool LoadBookFile(const std::string& path, PhoneBook& book, FileView& page,
                  bool* damaged = nullptr);
// What the file's format has no place for (the Google shape's speed dials...) is said on stderr.
bool SaveBookFile(const std::string& path, PhoneBook& book, FileView& page);

}  // namespace numora
