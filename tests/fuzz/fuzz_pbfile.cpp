// Any bytes as a phone-book file: loading must never crash or hang, every entry loaded reaches
// the save, and once saved, a book saves the same bytes again after a load (the file's fixed
// point).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "book/PbFile.h"

namespace {

std::vector<uint8_t> LoadAndSave(std::span<const uint8_t> bytes, bool& complete) {
    numora::PhoneBook book;
    const auto report = numora::ReadPbRecords(book, bytes, nullptr);
    numora::LoadReportText(report);
    const int loaded = book.CountUsedEntries();
    std::vector<uint8_t> saved;
    complete = numora::WritePbRecords(book, saved, nullptr);
    numora::PhoneBook back;
    numora::ReadPbRecords(back, saved, nullptr);
    if (back.CountUsedEntries() != loaded) std::abort();  // no entry is left out of a save
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    bool complete = false;
    const auto once = LoadAndSave(std::span<const uint8_t>(data, size), complete);
    if (!complete) std::abort();  // a loaded book never holds a damaged chain
    const auto twice = LoadAndSave(once, complete);
    if (!complete || twice != once) std::abort();
    return 0;
}
