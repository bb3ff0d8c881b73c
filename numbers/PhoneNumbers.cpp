#include "numbers/PhoneNumbers.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <mutex>
#include <optional>

namespace numora {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

PhoneNumberUtil& Util() {
    return *PhoneNumberUtil::GetInstance();
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Letters of any script make a word (a byte above 0x7F is part of a UTF-8 sequence): "Tél" is
// one word, not a wait beside two strange characters.
bool InWord(char c) {
    return IsLetter(c) || static_cast<unsigned char>(c) >= 0x80;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != prefix[i]) return false;
    }
    return true;
}

// Characters that only lay a number out; dropping them loses nothing.
bool IsLayout(char c) {
    return c == ' ' || c == '\t' || c == '-' || c == '(' || c == ')' || c == '.' || c == '/' ||
           c == '[' || c == ']';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// An extension written at the end of a number: "x102", "ext. 102", "extension 102". Returns
// the digits and shortens s to the number before it.
std::string TakeWrittenExtension(std::string_view& s) {
    std::string_view rest = s;
    // Takes the run of characters that `in` accepts off the end of rest, and returns it.
    const auto takeBack = [&rest](auto in) {
        const std::string_view whole = rest;
        while (!rest.empty() && in(rest.back()))
            rest.remove_suffix(1);
        return whole.substr(rest.size());
    };
    const auto isBlank = [](char c) { return c == ' '; };
    takeBack(isBlank);
    const std::string_view digits = takeBack(IsDigit);
    if (digits.empty()) return {};
    takeBack(isBlank);
    if (!rest.empty() && rest.back() == '.') rest.remove_suffix(1);
    // The marker is a whole word: it stands apart from the number, or right after its last
    // digit ("555x12").
    std::string word;
    for (const char c : takeBack(IsLetter))
        word += Lower(c);
    if (word != "x" && word != "ext" && word != "extn" && word != "extension") return {};
    s = rest;
    return std::string(digits);
}

// The number split into what comes before its first pause or wait (the part a phone-number
// library can place), the dial string after it, and what was left out.
struct Written {
    bool plus = false;
    std::string main;
    // Where main holds a zero written "(0)" after the country code: the trunk digit dialled
    // only from inside the country ("+49 (0)170 1234567").
    std::optional<std::size_t> trunkZero;
    std::string tail;
    std::string extension;
    std::vector<std::string> dropped;
};

Written Split(std::string_view text) {
    Written w;
    std::string_view s = Trim(text);
    bool uri = false;
    if (StartsWithNoCase(s, "tel:")) {
        s.remove_prefix(4);
        uri = true;
        // Parameters follow the number: ";ext=102", ";phone-context=...", ";isub=...".
        const std::size_t semi = s.find(';');
        if (semi != std::string_view::npos) {
            std::string_view params = s.substr(semi);
            s = s.substr(0, semi);
            while (!params.empty()) {
                params.remove_prefix(1);
                const std::size_t next = params.find(';');
                const std::string_view param = params.substr(0, next);
                if (StartsWithNoCase(param, "ext=")) {
                    for (char c : param.substr(4)) {
                        if (IsDigit(c)) w.extension += c;
                    }
                }
                params = next == std::string_view::npos ? std::string_view{} : params.substr(next);
            }
        }
    } else {
        w.extension = TakeWrittenExtension(s);
    }

    std::string* out = &w.main;
    const auto pause = [&](char mark) {
        out = &w.tail;
        *out += mark;
    };
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (IsDigit(c) || c == '#' || c == '*') {
            // The library places digits only: a code after a number in international form
            // ("+49 30 1234567*1#") is dialled after it, as written.
            if (!IsDigit(c) && w.plus && out == &w.main) out = &w.tail;
            *out += c;
            ++i;
        } else if (c == '+' && w.main.empty() && out == &w.main && !w.plus) {
            w.plus = true;
            ++i;
        } else if (w.plus && out == &w.main && !w.main.empty() && !w.trunkZero &&
                   s.substr(i, 3) == "(0)") {
            w.trunkZero = w.main.size();
            w.main += '0';
            i += 3;
        } else if (IsLayout(c)) {
            ++i;
        } else if (c == ',' && !uri) {
            pause('P');
            ++i;
        } else if (c == ';' && !uri) {
            pause('T');
            ++i;
        } else if (InWord(c)) {
            std::size_t length = 0;
            for (const char b : s.substr(i)) {
                if (!InWord(b)) break;
                ++length;
            }
            const char mark = length == 1 ? Lower(c) : '\0';
            if (mark == 'p') {
                pause('P');
            } else if (mark == 'w' || mark == 't') {
                pause('T');
            } else {
                w.dropped.emplace_back(s.substr(i, length));
            }
            i += length;
        } else {
            w.dropped.emplace_back(1, c);
            ++i;
        }
    }
    return w;
}

PhoneNumberUtil::ErrorType ParseInternationalForm(const std::string& digits, PhoneNumber& number) {
    return Util().Parse("+" + digits, "ZZ", &number);
}

bool ParseInternational(const std::string& digits, PhoneNumber& number) {
    return ParseInternationalForm(digits, number) == PhoneNumberUtil::NO_PARSING_ERROR;
}

bool IsValidInternational(const std::string& digits) {
    PhoneNumber number;
    return ParseInternational(digits, number) && Util().IsValidNumber(number);
}

// The digits after the "+" with a "(0)" trunk digit left out, unless the number is valid only
// with it (an Italian number keeps its zero however it is written).
std::string WithoutTrunkZero(const std::string& digits, std::size_t at) {
    std::string without = digits;
    without.erase(at, 1);
    if (IsValidInternational(digits) && !IsValidInternational(without)) return digits;
    return without;
}

std::string DigitsOf(const std::string& formatted) {
    std::string out;
    for (char c : formatted) {
        if (IsDigit(c)) out += c;
    }
    return out;
}

std::string Upper(std::string_view region) {
    std::string out(region);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string E164Digits(const PhoneNumber& number) {
    std::string e164;
    Util().Format(number, PhoneNumberUtil::E164, &e164);
    return e164.substr(1);
}

// Whether the region's numbering plan reads what is dialled at home as the number.
bool ReadsAs(const std::string& region, const std::string& dialled, const PhoneNumber& number) {
    PhoneNumber read;
    return Util().Parse(dialled, region, &read) == PhoneNumberUtil::NO_PARSING_ERROR &&
           E164Digits(read) == E164Digits(number);
}

// A number of the home country as it is dialled there: its national form where the numbering
// plan knows the number; else its national number after the trunk prefix, which the national
// form of a number no rule formats would leave out.
std::string DialledAtHome(const std::string& region, const PhoneNumber& number) {
    if (Util().IsValidNumber(number)) {
        std::string formatted;
        Util().FormatOutOfCountryCallingNumber(number, region, &formatted);
        return DigitsOf(formatted);
    }
    std::string trunk;
    Util().GetNddPrefixForRegion(region, true, &trunk);
    std::string national;
    Util().GetNationalSignificantNumber(number, &national);
    return DigitsOf(trunk) + national;
}

// Numbers of three countries, to try a prefix on.
constexpr std::string_view kProbes[] = {"491701234567", "14186569254", "819012345678"};

// Prefixes for calls abroad that are common around the world, the most common first.
constexpr std::array<std::string_view, 9> kCommonExitCodes = {"00",  "011", "001",  "002", "000",
                                                              "009", "008", "0010", "0021"};

// The first common prefix by which the number is reached from the region, if any.
std::optional<std::string> CommonExitCodeFor(const std::string& region, const PhoneNumber& number) {
    for (std::string_view prefix : kCommonExitCodes) {
        if (ReadsAs(region, std::string(prefix) + E164Digits(number), number)) {
            return std::string(prefix);
        }
    }
    return std::nullopt;
}

// What is dialled from home before a country code. Where each carrier has a prefix of its own
// (Korea, Brazil, Colombia, Thailand...) the library names none: the first common prefix that
// reaches numbers of several countries stands in.
std::string WorkOutExitCode(const std::string& region) {
    if (region.empty()) return "00";
    PhoneNumber probe;
    ParseInternational(
        Util().GetCountryCodeForRegion(region) == 49 ? "442079460958" : "491701234567", probe);
    std::string formatted;
    Util().FormatOutOfCountryCallingNumber(probe, region, &formatted);
    if (!formatted.starts_with('+')) return DigitsOf(formatted.substr(0, formatted.find(' ')));
    for (std::string_view prefix : kCommonExitCodes) {
        const bool reaches =
            std::all_of(std::begin(kProbes), std::end(kProbes), [&](std::string_view digits) {
                PhoneNumber p;
                return ParseInternational(std::string(digits), p) &&
                       ReadsAs(region, std::string(prefix) + std::string(digits), p);
            });
        if (reaches) return std::string(prefix);
    }
    return "00";
}

// Worked out once per region: a phone-number reader is made for each card of an address book.
std::string ExitCodeOf(const std::string& region) {
    static std::mutex mutex;
    static std::map<std::string, std::string> known;
    const std::lock_guard lock(mutex);
    const auto found = known.find(region);
    if (found != known.end()) return found->second;
    return known[region] = WorkOutExitCode(region);
}

// What reaches the number's country from the region: the exit code, unless that reads there as
// a longer carrier prefix (in Hong Kong "00" and then "1" is carrier 001). Worked out once per
// country code.
std::string AbroadPrefix(const std::string& region, const std::string& exitCode,
                         const PhoneNumber& number) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, int>, std::string> known;
    const std::lock_guard lock(mutex);
    const std::pair key{region, number.country_code()};
    if (const auto found = known.find(key); found != known.end()) return found->second;
    std::string prefix = exitCode;
    if (!ReadsAs(region, exitCode + E164Digits(number), number)) {
        if (auto other = CommonExitCodeFor(region, number)) prefix = std::move(*other);
    }
    return known[key] = prefix;
}

}  // namespace

bool IsKnownRegion(std::string_view region) {
    return region.size() == 2 && Util().GetCountryCodeForRegion(Upper(region)) != 0;
}

std::string RegionOfLocale(std::string_view locale) {
    // language[_TERRITORY][.codeset][@modifier]
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos) return {};
    std::string_view territory = locale.substr(underscore + 1);
    territory = territory.substr(0, territory.find_first_of(".@"));
    return IsKnownRegion(territory) ? Upper(territory) : std::string{};
}

std::string HomeRegionFromLocale(std::string_view lcAll, std::string_view lcTelephone,
                                 std::string_view lang) {
    for (std::string_view locale : {lcAll, lcTelephone, lang}) {
        if (std::string region = RegionOfLocale(locale); !region.empty()) return region;
    }
    return {};
}

PhoneNumbers::PhoneNumbers(const std::string& homeRegion)
    : m_region(IsKnownRegion(homeRegion) ? Upper(homeRegion) : std::string{}),
      m_exitCode(ExitCodeOf(m_region)) {}

DialableNumber PhoneNumbers::Dialable(std::string_view written) const {
    Written w = Split(written);
    DialableNumber out;
    out.dropped = std::move(w.dropped);
    out.extension = w.extension;
    std::string main = w.main;
    if (w.plus && !main.empty()) {
        if (w.trunkZero) main = WithoutTrunkZero(main, *w.trunkZero);
        PhoneNumber number;
        const PhoneNumberUtil::ErrorType error = ParseInternationalForm(main, number);
        if (error == PhoneNumberUtil::NOT_A_NUMBER || error == PhoneNumberUtil::TOO_SHORT_NSN) {
            // "+49 PRIVAT": a country code alone dials nothing.
            out.leftOut = "no number after the country code";
            out.extension.clear();
            return out;
        }
        if (error != PhoneNumberUtil::NO_PARSING_ERROR) {
            main = m_exitCode + main;
        } else if (m_region.empty()) {
            main = m_exitCode + E164Digits(number);
        } else if (number.country_code() == Util().GetCountryCodeForRegion(m_region)) {
            main = DialledAtHome(m_region, number);
        } else {
            main = AbroadPrefix(m_region, m_exitCode, number) + E164Digits(number);
        }
    }
    out.digits = main + w.tail;
    if (!w.extension.empty()) out.digits += "P" + w.extension;
    return out;
}

std::string PhoneNumbers::Key(std::string_view written) const {
    const std::string dialable = Dialable(written).digits;
    const std::size_t mark = dialable.find_first_of("PT");
    const std::string main = dialable.substr(0, mark);
    std::string tail = mark == std::string::npos ? std::string{} : dialable.substr(mark);
    if (main.empty()) return tail;
    PhoneNumber number;
    bool placed = false;
    if (!m_region.empty()) {
        placed = Util().Parse(main, m_region, &number) == PhoneNumberUtil::NO_PARSING_ERROR;
    } else if (main.starts_with("00")) {
        placed = ParseInternational(main.substr(2), number);
    }
    if (placed && Util().IsPossibleNumber(number)) {
        number.clear_extension();
        std::string e164;
        Util().Format(number, PhoneNumberUtil::E164, &e164);
        return e164 + tail;
    }
    return main + tail;
}

bool PhoneNumbers::Same(std::string_view a, std::string_view b) const {
    const std::string key = Key(a);
    return !key.empty() && key == Key(b);
}

}  // namespace numora
