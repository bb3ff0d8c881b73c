#include "formats/ContactsText.h"

#include <algorithm>

#include "formats/Contacts.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

constexpr std::string_view kFallback = "Windows-1252";

// UTF-16 without a mark: in text that is mostly ASCII every other byte is zero.
std::string_view ZeroBytePattern(std::string_view bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 512) & ~std::size_t{1};
    if (n < 4) return {};
    int evenZeros = 0;
    int oddZeros = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const int pairs = static_cast<int>(n / 2);
    if (oddZeros * 10 >= pairs * 7 && evenZeros * 10 <= pairs) return "UTF-16LE";
    if (evenZeros * 10 >= pairs * 7 && oddZeros * 10 <= pairs) return "UTF-16BE";
    return {};
}

}  // namespace

std::string ContactsText::File(std::string_view bytes) {
    struct Mark {
        std::string_view bytes;
        std::string_view charset;
    };
    static constexpr Mark kMarks[] = {
        {std::string_view("\xFF\xFE\0\0", 4), "UTF-32LE"},
        {std::string_view("\0\0\xFE\xFF", 4), "UTF-32BE"},
        {"\xEF\xBB\xBF", "UTF-8"},
        {"\xFF\xFE", "UTF-16LE"},
        {"\xFE\xFF", "UTF-16BE"},
    };
    std::string_view form;
    std::string note;
    for (const Mark& m : kMarks) {
        if (bytes.starts_with(m.bytes)) {
            form = m.charset;
            bytes.remove_prefix(m.bytes.size());
            break;
        }
    }
    if (form.empty()) {
        form = ZeroBytePattern(bytes);
        note = " (no byte-order mark)";
    }
    if (form.empty() || form == "UTF-8") return std::string(bytes);
    m_fileForm = std::string(form) + note;
    if (form.starts_with("UTF-16")) {
        int broken = 0;
        std::string text = Utf16ToUtf8(bytes, form == "UTF-16BE", &broken);
        if (broken > 0) {
            m_problems.push_back("the " + std::string(form) + " text holds " +
                                 std::to_string(broken) + " broken character(s), read as U+FFFD");
        }
        return text;
    }
    if (auto text = m_charsets.Decode(form, bytes)) return *text;
    m_problems.push_back("the " + std::string(form) + " text is damaged: nothing could be read");
    return {};
}

std::string ContactsText::Undeclared(std::string_view bytes) {
    if (IsUtf8(bytes)) return std::string(bytes);
    m_fallback = true;
    if (auto text = m_charsets.Decode(kFallback, bytes)) return *text;
    return Latin1ToUtf8(bytes);  // where no decoder knows Windows-1252
}

std::string ContactsText::Value(std::string_view bytes, std::string_view declared) {
    // A file in a Unicode form is decoded whole; what a value says of itself no longer holds.
    if (!m_fileForm.empty() || declared.empty()) return Undeclared(bytes);
    std::string name(declared);
    if (auto text = m_charsets.Decode(name, bytes)) {
        if (!SameCharset(name, "UTF-8") && !SameCharset(name, "US-ASCII") &&
            std::none_of(m_declared.begin(), m_declared.end(),
                         [&](const std::string& d) { return SameCharset(d, name); })) {
            m_declared.push_back(name);
        }
        return *text;
    }
    std::string text = Undeclared(bytes);
    if (m_reported.insert(name).second) {
        const bool known = m_charsets.Decode(name, {}).has_value();
        m_problems.push_back((known ? "text marked CHARSET=" + Clip(name) + " is not valid in it"
                                    : "the character set " + Clip(name) + " is unknown") +
                             ": read as " +
                             (IsUtf8(bytes) ? std::string("UTF-8") : std::string(kFallback)));
    }
    return text;
}

std::string ContactsText::Encoding() const {
    if (!m_fileForm.empty()) return m_fileForm;
    std::string out = "UTF-8";
    if (m_fallback) out += ", " + std::string(kFallback) + " where not UTF-8";
    for (const std::string& d : m_declared)
        out += ", " + Clip(d) + " as declared";
    return out;
}

}  // namespace numora
