// Loading and saving a book for the command-line tool, the format chosen by the extension:
// ".json" for the JSON shape, anything else as a phone-book file.
#pragma once

#include <string>

#include "book/PBData.h"
#include "book/PageSeam.h"

namespace numora {

bool IsJsonPath(const std::string& path);

// Replaces the book with the file's; false (with the reason on the page) when it cannot.
bool LoadBookFile(const std::string& path, CPBData& book, IPageSeam& page);
bool SaveBookFile(const std::string& path, CPBData& book, IPageSeam& page);

}  // namespace numora
