// The book as a readable listing for the terminal.
#pragma once

#include <string>

#include "book/PBData.h"

namespace numora {

std::string BookListing(const CPBData& book);

}  // namespace numora
