// numora-cli print: the printout of a book as a PDF, the pages the window would print: the ruled
// table of Ctrl+P, or with --style directory the phone directory of "Print Directory...".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace numora {

enum class PrintStyle { Table, Directory };

struct PrintOptions {
    PrintStyle style = PrintStyle::Table;
    std::string in;
    std::string out;
    int fromPage = 0;  // 0: every page
    int toPage = 0;
};

// "FROM-TO" or "N", pages counted from 1; false when the text is no such range.
bool ParsePageRange(std::string_view text, int& from, int& to);

// Exit status: 0 when pages were written, 1 when the book cannot be read, nothing is left to
// print or the PDF cannot be written.
int RunPrint(const PrintOptions& o, const std::filesystem::path& programFolder);

}  // namespace numora
