// Phone numbers as people write them and as the handset dials them. Numbers are read under a
// home region (the country the handset is used in): "+49 170 1234567", "0170/1234567" and
// "01701234567" are one number in Germany, and the handset dials it as "01701234567".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace numora {

// The region of a locale name ("de_DE.UTF-8" -> "DE", "pt_BR" -> "BR"); empty when the name
// holds none or one the phone-number library does not know ("C", "POSIX", "en").
[[nodiscard]] std::string RegionOfLocale(std::string_view locale);
// The home region from the locale's variables, the first that names one: LC_ALL, then
// LC_TELEPHONE, then LANG. Empty when none does.
[[nodiscard]] std::string HomeRegionFromLocale(std::string_view lcAll, std::string_view lcTelephone,
                                               std::string_view lang);
// "DE" or "de" for Germany; false for anything the phone-number library does not know.
[[nodiscard]] bool IsKnownRegion(std::string_view region);

// A number brought to what the handset dials (only 0-9 P T # *), and what a report should say
// about the change. Laying-out characters (spaces, dashes, brackets, dots, slashes) and the
// international form's conversion go without a word; an extension made a pause, and words or
// characters dropped, are noted.
struct DialableNumber {
    std::string digits;
    std::string extension;             // the extension's digits, when the number had one
    std::vector<std::string> dropped;  // words and characters left out ("PRIVAT", "@")
    std::string leftOut;               // why nothing of it can be dialled, when so
};

class PhoneNumbers {
public:
    // An empty or unknown region: international numbers are dialled with the 00 prefix, and
    // numbers in national form are compared as their digits.
    PhoneNumbers() : m_exitCode("00") {}
    explicit PhoneNumbers(const std::string& homeRegion);

    [[nodiscard]] const std::string& HomeRegion() const { return m_region; }

    // What a person would dial from home: "tel:" goes, "+49 170 1234567" becomes
    // "01701234567" at home in Germany and "0049170..." from France, an extension (";ext=102",
    // "x102", "ext. 102") becomes a pause and its digits ("P102"). Pause and wait marks as the
    // contact formats write them become P and T: "p" and "," pause, "w" and ";" wait, and a
    // lone "P" or "T" stays. A word ("PRIVAT", "mainphone") is dropped.
    [[nodiscard]] DialableNumber Dialable(std::string_view written) const;

    // A key that is equal for every written form of one number under the home region: the
    // international form ("+491701234567") when the number can be placed, else its digits. A
    // pause and what follows it (an extension) belong to the key. Empty for no number.
    [[nodiscard]] std::string Key(std::string_view written) const;

    [[nodiscard]] bool Same(std::string_view a, std::string_view b) const;

private:
    std::string m_region;
    std::string m_exitCode;  // dialled before a country code
};

}  // namespace numora
