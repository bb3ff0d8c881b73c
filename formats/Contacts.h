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

#include "book/PhoneBook.h"
#include "numbers/PhoneNumbers.h"

namespace numora {

// A person's name in its parts, as vCard's N and the name columns of CSV give it.
struct NameParts {
    std::string prefix;  // "Herr", "Dr."
    std::string given;
    std::string middle;
    std::string family;
    std::string suffix;  // "jr."
};

// One contact, text in UTF-8. A memo keeps its line breaks as the book holds them (CR LF, CR or
// LF); the other texts are one line.
struct Contact {
    std::string name;
    // The name's parts when the source has them: a name too long for the handset drops its
    // prefix, suffix and middle names before it is cut.
    std::optional<NameParts> nameParts;
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

// The contacts of a file, what the file as a whole held that could not be read (an unterminated
// card, a broken character), and the encoding the text was taken in, for the report.
struct ContactsRead {
    std::vector<Contact> contacts;
    std::vector<std::string> problems;
    std::string encoding;
};

struct ContactsImport {
    int taken = 0;
    std::vector<std::string> problems;  // one line per thing that did not fit
};

// The contacts of the book's entries, in slot order.
std::vector<Contact> ContactsFromBook(const PhoneBook& book);

// A contact as the handset would hold it: its texts in the book's bytes, cut to their fields and
// without control characters, its numbers in the form the handset dials from the home region of
// numbers. The entry's slot is not set and its group is Etc.; group is the name of the contact's
// group as the book would store it. problems names what did not fit, one line each. A contact
// with nothing the handset can call or write to is not stored.
struct ContactFit {
    PBEntry entry;
    std::string group;
    std::array<int, kNumberKinds> speedDials{};  // 2..20 where the number has one, else 0
    std::vector<std::string> problems;
    bool stored = true;
};
[[nodiscard]] ContactFit FitContact(const Contact& contact, const PhoneNumbers& numbers);

// The group of that name (as the book stores it), found or, when the book has none, made in the
// first free slot of 1 to 5; nothing when all five are taken.
std::optional<uint8_t> GroupNamed(PhoneBook& book, std::string_view name);

// Replaces the book's entries and speed dials with the contacts. Groups are matched by name;
// a name the book does not have yet takes the first free slot of 1 to 5. SMS groups stay. Only
// contacts that are stored take one of the 300 places.
ContactsImport ReplaceEntriesWithContacts(const std::vector<Contact>& contacts, PhoneBook& book,
                                          const PhoneNumbers& numbers);

// A value as a report shows it: at most 40 characters, then "..."; control characters escaped
// ("\n", "\x00") so that a report line is never cut or broken.
std::string Clip(std::string_view utf8);

// The name from its parts as a person writes it: "Herr Franz M. Branntwein jr.".
std::string FullName(const NameParts& parts);

}  // namespace numora
