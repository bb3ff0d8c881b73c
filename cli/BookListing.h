// The book as a readable listing for the terminal.
#pragma once

#include <string>
#include <string_view>

#include "book/PhoneBook.h"

namespace numora {

std::string BookListing(const PhoneBook& book);

bool StdoutIsTerminal();
// Writes UTF-8 text to stdout; for a terminal, control characters (but line ends) are shown
// escaped ("\x1b"), so that no name drives the terminal.
void PrintUtf8(std::string_view utf8);
// The same for text in the book's single-byte characters.
void PrintBookText(std::string_view latin1);

}  // namespace numora
