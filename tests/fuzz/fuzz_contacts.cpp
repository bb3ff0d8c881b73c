// Any bytes as vCard and as CSV (any encoding, any line ends, any of the CSV shapes): read,
// put into a book, and the book must stay whole: it saves as a phone-book file without a
// damaged chain. An import that yields no contact is refused with a reason and leaves the book.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "book/PbFile.h"
#include "formats/BookFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto format : {numora::BookFormat::VCard, numora::BookFormat::Csv}) {
        numora::PhoneBook book;
        const auto r = numora::BookFromText(format, text, book);
        if (!r.ok && (r.error.empty() || book.CountUsedEntries() != 0)) std::abort();
        // Reports show values clipped: a line stays short on screen, whatever the script.
        for (const std::string& p : r.problems) {
            const auto shown = std::count_if(p.begin(), p.end(), [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            });
            if (shown > 400) std::abort();
        }
        std::vector<uint8_t> bytes;
        if (!numora::WritePbRecords(book, bytes, nullptr)) std::abort();
        if (book.CountUsedEntries() > numora::kEntrySlots) std::abort();
        for (const auto out :
             {format, numora::BookFormat::GoogleCsv, numora::BookFormat::OutlookCsv}) {
            numora::BookToText(out, book);
        }
    }
    return 0;
}
