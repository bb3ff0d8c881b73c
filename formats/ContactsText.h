// The text of a contacts file from another program. A file's own form comes first: a byte-order
// mark (UTF-8, UTF-16, UTF-32), or UTF-16 recognised by its zero bytes, turns the whole file into
// UTF-8. Otherwise each value is taken by what it declares (a vCard's CHARSET), and a value that
// declares nothing is UTF-8 when it is valid UTF-8 and Windows-1252 (which covers Latin-1) when
// it is not, never a '?' with the letters after it lost. What was assumed is said once per file.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "text/Charsets.h"

namespace numora {

class ContactsText {
public:
    explicit ContactsText(const Charsets& charsets) : m_charsets(charsets) {}

    // The bytes to parse: UTF-8 when the file is in a Unicode form with its mark or its zero
    // bytes, else the file's own bytes (each value is decoded by Value).
    [[nodiscard]] std::string File(std::string_view bytes);

    // A value's text in UTF-8: by the charset it declares (empty for none). A declared set that
    // is unknown, or bytes that are not valid in it, are read as if nothing were declared, and
    // the report says so once.
    [[nodiscard]] std::string Value(std::string_view bytes, std::string_view declared = {});

    // "UTF-8", "UTF-16LE (no byte-order mark)", "UTF-8, Windows-1252 where not UTF-8",
    // "UTF-8, Shift_JIS as declared".
    [[nodiscard]] std::string Encoding() const;
    // What the reader should report about the text (an unknown charset, a broken character).
    std::vector<std::string>& Problems() { return m_problems; }

private:
    std::string Undeclared(std::string_view bytes);

    const Charsets& m_charsets;
    std::string m_fileForm;  // set when the whole file was in a Unicode form
    bool m_fallback = false;
    std::vector<std::string> m_declared;
    std::set<std::string> m_reported;
    std::vector<std::string> m_problems;
};

}  // namespace numora
