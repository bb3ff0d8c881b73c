// The book as a readable listing for the terminal.
#pragma once

#include <string>
#include <string_view>

#include "book/PBData.h"

namespace numora {

std::string BookListing(const CPBData& book);

bool StdoutIsTerminal();
// Writes text to stdout; for a terminal, control bytes (but line ends) and bytes above 0x7E are
// shown escaped ("\x1b"), so that a book's bytes never drive the terminal.
void WriteForStdout(std::string_view text, bool terminal);
std::string EscapeForTerminal(std::string_view text);

}  // namespace numora
