// What the vCard and CSV readers share as they build a contact: numbers placed by their kind,
// single values (e-mail, web address, memo) chosen by preference, and the words a report uses
// for what the book has no place for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/Contacts.h"

namespace numora {

class ContactBuilder {
public:
    explicit ContactBuilder(Contact& contact) : m_contact(contact) {}

    // A number of a kind the book has (0..4, Mobile..Fax), or of none (kind empty); what names
    // it in a report when it finds no place ("number", "Other Phone").
    void Number(std::string text, std::optional<int> kind, bool preferred,
                std::optional<int> speedDial = std::nullopt, std::string what = "number");
    void Email(std::string text, bool preferred);
    void Web(std::string text, bool preferred);
    void Memo(std::string text);
    void Group(std::string name);

    // Typed numbers take their kinds first, a preferred one before the others; numbers of no
    // kind then fill what is left of Mobile, Home and Office. The preferred e-mail and web
    // address win their places. What finds no place is left out by name.
    void Finish();

private:
    struct Candidate {
        std::string text;
        std::optional<int> kind;
        bool preferred = false;
        std::optional<int> speedDial;
        std::string what;
    };
    struct Single {
        std::string text;
        bool preferred = false;
    };
    void Choose(std::vector<Single>& values, std::string& field, std::string_view what);

    Contact& m_contact;
    std::vector<Candidate> m_numbers;
    std::vector<Single> m_emails;
    std::vector<Single> m_webs;
    std::vector<Single> m_memos;
};

// How a report names a vendor property as a person would ("related name", "manager"), or
// nothing when it has no entry in the table. name in upper case.
std::optional<std::string_view> VendorPropertyWords(std::string_view name);
// Properties that hold no data a person would miss (ids, revisions, display hints).
bool IsHousekeepingProperty(std::string_view name);

}  // namespace numora
