// Letters without case or accent, for comparing and sorting names the way a person reads them.
#pragma once

#include <string>
#include <string_view>

namespace numora {

// A Latin-1 letter as its base letter in lower case ("É" -> 'e'); any other byte as it is.
[[nodiscard]] char FoldLetter(unsigned char c);

// The text with every letter folded; sharp s becomes "ss".
[[nodiscard]] std::string FoldLetters(std::string_view latin1);

}  // namespace numora
