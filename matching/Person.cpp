#include "matching/Person.h"

#include <algorithm>

#include "text/Folding.h"
#include "text/HandsetText.h"
#include "text/TextCodec.h"

namespace numora {

namespace {

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

std::string SortedWords(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    std::string out;
    for (const std::string& w : words) {
        if (!out.empty()) out += ' ';
        out += w;
    }
    return out;
}

// Collects the folded words of a name, byte by byte.
class Words {
public:
    void Latin1(char c) {
        const auto u = static_cast<unsigned char>(c);
        if (!IsWordByte(u)) {
            EndWord();
            return;
        }
        m_word += FoldLetter(u);
        if (u == 0xDF) m_word += 's';
    }
    // A letter without a Latin-1 form (Greek, Cyrillic, CJK), kept as written so that two such
    // names still compare.
    void Other(std::string_view utf8) { m_word += utf8; }
    std::string Folded() {
        EndWord();
        return SortedWords(std::move(m_words));
    }

private:
    void EndWord() {
        if (!m_word.empty()) m_words.push_back(std::move(m_word));
        m_word.clear();
    }
    std::vector<std::string> m_words;
    std::string m_word;
};

}  // namespace

std::string FoldName(std::string_view latin1) {
    Words words;
    for (char c : latin1)
        words.Latin1(c);
    return words.Folded();
}

std::string FoldNameUtf8(std::string_view utf8) {
    Words words;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        const char32_t cp = NextCodePoint(utf8, at);
        if (cp < 0x100) {
            words.Latin1(static_cast<char>(cp));
        } else if (const auto form = NearestLatin1(cp)) {
            for (char c : *form)
                words.Latin1(c);
        } else {
            words.Other(utf8.substr(start, at - start));
        }
    }
    return words.Folded();
}

std::string FoldEmail(std::string_view email) {
    while (!email.empty() && email.front() == ' ')
        email.remove_prefix(1);
    while (!email.empty() && email.back() == ' ')
        email.remove_suffix(1);
    std::string out(email);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

Person PersonOfEntry(const PBEntry& entry) {
    Person p;
    p.name = FoldName(TextOf(entry.name));
    for (const PBNumber& n : entry.numbers) {
        if (n.length != 0) p.numbers.emplace_back(NumberText(n));
    }
    if (std::string email = FoldEmail(TextOf(entry.email)); !email.empty()) {
        p.emails.push_back(std::move(email));
    }
    return p;
}

Person PersonOf(std::string_view nameUtf8, std::span<const std::string> numbers,
                std::span<const std::string> emails) {
    Person p;
    p.name = FoldNameUtf8(nameUtf8);
    for (const std::string& n : numbers) {
        if (!n.empty()) p.numbers.push_back(n);
    }
    for (const std::string& e : emails) {
        if (std::string email = FoldEmail(e); !email.empty()) p.emails.push_back(std::move(email));
    }
    return p;
}

}  // namespace numora
