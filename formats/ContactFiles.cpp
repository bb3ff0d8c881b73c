#include "formats/ContactFiles.h"

#include "book/PbFile.h"
#include "formats/BookJson.h"
#include "formats/ContactsCsv.h"
#include "formats/VCard.h"

namespace numora {

namespace {

void Take(ContactsRead read, ContactsOfFile& r) {
    r.contacts = std::move(read.contacts);
    r.problems = std::move(read.problems);
    r.encoding = std::move(read.encoding);
}

}  // namespace

ContactsOfFile ContactsFromFile(BookFormat format, std::string_view bytes,
                                const Charsets& charsets) {
    ContactsOfFile r;
    switch (format) {
        case BookFormat::VCard:
            Take(ReadVCard(bytes, charsets), r);
            break;
        case BookFormat::Csv:
        case BookFormat::GoogleCsv:
        case BookFormat::OutlookCsv:
            Take(ReadCsv(bytes, charsets), r);
            break;
        case BookFormat::Json: {
            PhoneBook book;
            const JsonImport json = BookFromJson(bytes, book);
            if (!json.ok) {
                r.error = json.error;
                return r;
            }
            r.problems = json.warnings;
            r.contacts = ContactsFromBook(book);
            break;
        }
        case BookFormat::PhoneBook: {
            PhoneBook book;
            const PbLoadReport report = ReadPbRecords(
                book, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                nullptr);
            if (report.NotAPhoneBook()) {
                r.error = "not a phone-book file";
                return r;
            }
            if (report.Damaged()) r.problems.push_back(LoadReportText(report));
            r.contacts = ContactsFromBook(book);
            break;
        }
    }
    if (r.contacts.empty()) {
        r.error = "no contact could be read from the file: " + NoContactReason(format, bytes);
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace numora
