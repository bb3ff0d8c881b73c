// Character sets other programs write contacts in. A reader hands the bytes of a value and the
// name its file declares for them ("Shift_JIS", "windows-1252") to a decoder; the platform's
// decoder (text/QtCharsets.h) knows the legacy sets, the built-in one only the Unicode forms and
// Latin-1, so that the core stays free of tables and of Qt.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace numora {

class Charsets {
public:
    virtual ~Charsets() = default;
    // The bytes as UTF-8; nothing when the set is unknown here or the bytes are not valid in it.
    [[nodiscard]] virtual std::optional<std::string> Decode(std::string_view charset,
                                                            std::string_view bytes) const = 0;
};

// UTF-8, UTF-16 and UTF-32 (either byte order; a byte-order mark is honoured), ISO-8859-1
// (Latin-1) and US-ASCII. Builds without Qt (the fuzz targets, the core tests) use it: there a
// value in an undeclared legacy set is read as Latin-1.
const Charsets& BuiltinCharsets();

// Whether two charset names mean the same set: letter case, '-' and '_' do not count
// ("utf8" is "UTF-8", "ISO_8859-1" is "iso-8859-1").
[[nodiscard]] bool SameCharset(std::string_view a, std::string_view b);

}  // namespace numora
