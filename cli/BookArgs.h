// A book named on the command line: a file of any format the tool reads, or `@ID` for a
// snapshot of the book's history.
#pragma once

#include <string>

#include "book/PhoneBook.h"
#include "page/PbFileCommands.h"

namespace numora {

// False (with the reason on stderr or the page) when the book cannot be had.
bool LoadBookArgument(const std::string& arg, PhoneBook& book, FileView& page);

}  // namespace numora
