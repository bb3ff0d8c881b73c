// Contacts as other programs keep them (vCard, CSV), and how they go into and out of the book.
// A contact may hold more than the handset can: whatever does not fit (a name over 16
// characters, a number over 32 digits or with characters the handset does not dial, a 301st
// entry, a sixth named group) is reported contact by contact, never cut or dropped silently.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/PBData.h"

namespace numora {

// One contact, text in UTF-8.
struct Contact {
    std::string name;
    std::string group;  // the group's name; empty for none
    bool secret = false;
    std::array<std::string, kNumberKinds> numbers;  // Mobile, Home, Office, Pager, Fax
    std::array<int, kNumberKinds> speedDials{};     // 2..20, 0 for none
    std::string email;
    std::string wireless;
    std::string memo;
    std::optional<int> slot;  // the entry slot it came from, when the source knows it
    std::optional<uint16_t> ringer;
    std::optional<uint16_t> msgRinger;
    // What the source held that has no place in the book ("second e-mail \"a@b\""), to be
    // reported.
    std::vector<std::string> leftOut;
    int source = 0;  // the contact's position in its file, from 1, for reports
};

struct ContactsImport {
    int taken = 0;
    std::vector<std::string> problems;  // one line per thing that did not fit
};

// The contacts of the book's entries, in slot order.
std::vector<Contact> ContactsFromBook(const CPBData& book);

// A contact as the handset would hold it: its texts in the book's bytes, cut to their fields,
// its numbers in the form the handset dials. The entry's slot is not set and its group is Etc.;
// group is the name of the contact's group as the book would store it. problems names what did
// not fit, one line each. A contact with nothing the handset can call or write to is not stored.
struct ContactFit {
    PBEntry entry;
    std::string group;
    std::array<int, kNumberKinds> speedDials{};  // 2..20 where the number has one, else 0
    std::vector<std::string> problems;
    bool stored = true;
};
ContactFit FitContact(const Contact& contact);

// Replaces the book's entries and speed dials with the contacts. Groups are matched by name;
// a name the book does not have yet takes the first free slot of 1 to 5. SMS groups stay.
ContactsImport ReplaceEntriesWithContacts(const std::vector<Contact>& contacts, CPBData& book);

// A value as a report shows it: at most 40 characters, then "...".
std::string Clip(std::string_view utf8);

// The text of a contacts file as UTF-8 with LF line ends: a UTF-8 byte-order mark is dropped,
// UTF-16 (either byte order, with its mark) is converted, and CR LF and lone CR become LF.
// latin1Fallback: a file that is no valid UTF-8 is read as Latin-1 (and said so in problems).
std::string ContactsText(std::string_view bytes, bool latin1Fallback,
                         std::vector<std::string>& problems);

}  // namespace numora
