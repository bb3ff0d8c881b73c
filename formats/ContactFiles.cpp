#include "formats/ContactFiles.h"

#include "book/PbFile.h"
#include "formats/BookJson.h"
#include "formats/ContactsCsv.h"
#include "formats/VCard.h"

namespace numora {

ContactsOfFile ContactsFromFile(BookFormat format, std::string_view bytes) {
    ContactsOfFile r;
    switch (format) {
        case BookFormat::VCard:
            r.contacts = ContactsFromVCard(bytes, r.problems);
            break;
        case BookFormat::Csv:
        case BookFormat::GoogleCsv:
        case BookFormat::OutlookCsv:
            r.contacts = ContactsFromCsv(bytes, r.problems);
            break;
        case BookFormat::Json: {
            CPBData book;
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
            CPBData book;
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
        r.error = "no contact could be read from the file";
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace numora
