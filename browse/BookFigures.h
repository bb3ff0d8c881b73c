// How full the handset's book is, as the status line under the list says it.
#pragma once

#include <string>

#include "book/PhoneBook.h"

namespace numora {

// "40 of 300 entries, 260 free; 18 of 19 speed dials free". A speed dial counts as free when
// it names no entry in use.
[[nodiscard]] std::string BookStatusLine(const PhoneBook& book);

}  // namespace numora
