// Loading and saving a book for the command-line tool, the format chosen by the extension
// (*.pb, *.json, *.vcf, *.csv).
#pragma once

#include <string>

#include "book/PBData.h"
#include "book/PbFileCommands.h"

namespace numora {

// Replaces the book with the file's; false (with the reason on stderr or the page) when it
// cannot. What a file held that the book cannot is listed on stderr; damaged is set when the
// file was not read whole (a phone-book file cut short, bytes or records skipped, JSON records
// left out).
bool LoadBookFile(const std::string& path, CPBData& book, IFileView& page, bool* damaged = nullptr);
bool SaveBookFile(const std::string& path, CPBData& book, IFileView& page);

}  // namespace numora
