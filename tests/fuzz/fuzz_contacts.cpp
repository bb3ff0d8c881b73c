// Any text as vCard and as CSV: read, put into a book, and the book must stay whole: it saves
// as a phone-book file without a damaged chain.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "book/BookFormats.h"
#include "book/PbFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto format : {numora::BookFormat::VCard, numora::BookFormat::Csv}) {
        numora::CPBData book;
        const auto r = numora::BookFromText(format, text, book);
        if (!r.ok) std::abort();  // contacts are taken or reported, never refused wholesale
        std::vector<uint8_t> bytes;
        if (!numora::WritePbRecords(book, bytes, nullptr)) std::abort();
        if (book.CountUsedEntries() > numora::kEntrySlots) std::abort();
        numora::BookToText(format, book);
    }
    return 0;
}
