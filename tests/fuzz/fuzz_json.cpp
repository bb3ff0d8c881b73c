// Any text as a JSON book: refused with a reason or taken, never a crash; what is taken dumps
// to JSON that reads back to the same book.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/BookJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    numora::PhoneBook book;
    const auto r =
        numora::BookFromJson(std::string_view(reinterpret_cast<const char*>(data), size), book);
    if (!r.ok) {
        if (r.error.empty()) std::abort();
        return 0;
    }
    const std::string json = numora::BookToJson(book);
    numora::PhoneBook again;
    if (!numora::BookFromJson(json, again).ok || numora::BookToJson(again) != json) std::abort();
    return 0;
}
