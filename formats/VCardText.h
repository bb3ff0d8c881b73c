// The text rules of vCard that the contacts import and the address-book sync's card model share:
// a value's escapes, quoted-printable, the colon that ends a property's head, folding at 75
// octets and the logical lines of a text as real files write them. One set of rules, so that a
// card the sync edits in place reads as the contacts import reads it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/Ascii.h"

namespace numora {

// Spaces and tabs gone from both ends, as vCard values and parameters are read.
[[nodiscard]] std::string_view TrimBlanks(std::string_view s);

// '\', ',' and ';' escaped; each line break (CR LF, CR or LF) written as lineBreak ("\\n" for a
// text that keeps its breaks, " " for a one-line text).
[[nodiscard]] std::string EscapeVCardText(std::string_view text, std::string_view lineBreak);
// Escapes undone: "\n" (or "\N") becomes lineBreak, any other escaped character itself.
[[nodiscard]] std::string UnescapeVCardText(std::string_view value, std::string_view lineBreak);
// The parts of a structured value (N, ADR, CATEGORIES) split at unescaped separators, each
// unescaped.
[[nodiscard]] std::vector<std::string> VCardComponents(std::string_view value, char separator,
                                                       std::string_view lineBreak);

[[nodiscard]] std::string DecodeQuotedPrintable(std::string_view value);

// Where the head (group, name, parameters) of a logical line ends: its first colon outside
// double quotes; npos when it has none.
[[nodiscard]] std::size_t VCardValueColon(std::string_view line);

// A logical line as written: folded after 75 octets (never inside a UTF-8 character), each
// physical line ended by lineEnd.
[[nodiscard]] std::string FoldVCardLine(std::string_view line, std::string_view lineEnd);

// A logical line of a text and the bytes it was written in.
struct VCardLine {
    std::string text;   // unfolded, without its line end; empty for a blank line
    std::size_t begin;  // the bytes [begin, end) of the text, line ends included
    std::size_t end;
};

// The logical lines of a text whose lines end in CR LF, LF or a lone CR: folded lines joined,
// quoted-printable soft line breaks joined (unless the next line begins a property of its own,
// as some writers forget the break), BEGIN:VCARD and END:VCARD found with blanks around them.
// Blank and whitespace-only lines come as lines of no text, except those before a folded
// continuation, whose bytes go with the line they continue. The lines cover the text's bytes
// in order, each byte once.
[[nodiscard]] std::vector<VCardLine> UnfoldVCardLines(std::string_view text);

}  // namespace numora
