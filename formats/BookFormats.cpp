#include "formats/BookFormats.h"

#include "formats/BookJson.h"
#include "formats/ContactsCsv.h"
#include "formats/VCard.h"
#include "text/Ascii.h"

namespace numora {

BookFormat FormatOfPath(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return BookFormat::PhoneBook;
    const std::string ext = LowerAscii(path.substr(dot + 1));
    if (ext == "json") return BookFormat::Json;
    if (ext == "vcf" || ext == "vcard") return BookFormat::VCard;
    if (ext == "csv") {
        const std::string lower = LowerAscii(path);
        if (lower.ends_with(".google.csv")) return BookFormat::GoogleCsv;
        if (lower.ends_with(".outlook.csv")) return BookFormat::OutlookCsv;
        return BookFormat::Csv;
    }
    return BookFormat::PhoneBook;
}

std::string NoContactReason(BookFormat format, std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return "the file is empty";
    switch (format) {
        case BookFormat::VCard:
            return "it holds no BEGIN:VCARD";
        case BookFormat::Json:
        case BookFormat::PhoneBook:
            return "the book in it holds no entry";
        case BookFormat::Csv:
        case BookFormat::GoogleCsv:
        case BookFormat::OutlookCsv:
            break;
    }
    return "it holds no row below its heading";
}

TextImport BookFromText(BookFormat format, std::string_view text, PhoneBook& book,
                        const ContactsOptions& options) {
    TextImport result;
    if (format == BookFormat::Json) {
        const JsonImport r = BookFromJson(text, book);
        result.ok = r.ok;
        result.error = r.error;
        result.problems = r.warnings;
        return result;
    }
    if (format == BookFormat::PhoneBook) {
        result.error = "not a text format";
        return result;
    }
    const Charsets& charsets = options.charsets != nullptr ? *options.charsets : BuiltinCharsets();
    ContactsRead read =
        format == BookFormat::VCard ? ReadVCard(text, charsets) : ReadCsv(text, charsets);
    result.problems = std::move(read.problems);
    result.encoding = std::move(read.encoding);
    const std::vector<Contact>& contacts = read.contacts;
    // Into a copy: an import that yields no contact must not empty the book.
    PhoneBook imported = book;
    const ContactsImport r = ReplaceEntriesWithContacts(contacts, imported, options.numbers);
    result.problems.insert(result.problems.end(), r.problems.begin(), r.problems.end());
    if (r.taken == 0) {
        result.error = contacts.empty() ? "no contact could be read from the file: " +
                                              NoContactReason(format, text)
                                        : "none of the file's contacts fits the handset";
        return result;
    }
    book = imported;
    result.ok = true;
    return result;
}

std::vector<std::string> WhatFormatLeavesOut(BookFormat format, const PhoneBook& book) {
    if (format != BookFormat::GoogleCsv && format != BookFormat::OutlookCsv) return {};
    int entries = 0;
    int dials = 0;
    int ringers = 0;
    int secret = 0;
    for (const Contact& c : ContactsFromBook(book)) {
        ++entries;
        for (const int d : c.speedDials)
            dials += d != 0;
        ringers += c.ringer.has_value() || c.msgRinger.has_value();
        secret += c.secret;
    }
    std::vector<std::string> what;
    const auto add = [&](int count, const std::string& thing) {
        if (count > 0) what.push_back(thing + " (" + std::to_string(count) + ")");
    };
    add(dials, "speed dials");
    add(entries, "entry slots");
    add(ringers, "ringers");
    if (format == BookFormat::GoogleCsv) add(secret, "secret flags");
    if (what.empty()) return {};
    std::string line =
        format == BookFormat::GoogleCsv ? "the Google Contacts CSV" : "the Outlook CSV";
    line += " has no place for ";
    for (std::size_t k = 0; k < what.size(); ++k)
        line += (k == 0 ? "" : k + 1 == what.size() ? " and " : ", ") + what[k];
    return {line + ": they are left out (the book's own CSV or vCard keeps them)"};
}

std::string BookToText(BookFormat format, const PhoneBook& book) {
    switch (format) {
        case BookFormat::Json:
            return BookToJson(book) + "\n";
        case BookFormat::VCard:
            return ContactsToVCard(ContactsFromBook(book));
        case BookFormat::Csv:
            return ContactsToCsv(ContactsFromBook(book));
        case BookFormat::GoogleCsv:
            return ContactsToCsv(ContactsFromBook(book), CsvShape::Google);
        case BookFormat::OutlookCsv:
            return ContactsToCsv(ContactsFromBook(book), CsvShape::Outlook);
        case BookFormat::PhoneBook:
            break;
    }
    return {};
}

}  // namespace numora
