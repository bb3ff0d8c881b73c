// The character sets of other programs, decoded by Qt's text codecs (ICU-backed in Debian's
// Qt: Shift_JIS, GB18030, Big5, the Windows code pages, ISO-8859-x, KOI8-R...). The window and
// the command-line tool hand it to the contact readers.
#pragma once

#include <memory>

#include "text/Charsets.h"

namespace numora {

class QtCharsets : public Charsets {
public:
    QtCharsets();
    ~QtCharsets() override;
    QtCharsets(const QtCharsets&) = delete;
    QtCharsets& operator=(const QtCharsets&) = delete;

    [[nodiscard]] std::optional<std::string> Decode(std::string_view charset,
                                                    std::string_view bytes) const override;

private:
    struct Converters;
    std::unique_ptr<Converters> m_converters;
};

}  // namespace numora
