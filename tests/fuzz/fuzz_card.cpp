// Any bytes as a server's card: kept byte for byte, read as the handset would hold it, and
// edited in place. An untouched card gives back exactly its bytes; an edited one still reads as
// a card, with the memo written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "addressbook/Card.h"
#include "addressbook/CardEdit.h"
#include "addressbook/Fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace numora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto card = Card::Parse(text);
    if (!card) return 0;
    const std::string again = card->Text();
    if (text.substr(0, again.size()) != again) std::abort();
    const auto from = HandsetView(*card, "Phone");
    if (!from) return 0;
    Fields to = *from;
    to[Field::Mobile] = "0123";
    to[Field::Memo] = "note, with; separators\\";
    to[Field::Group] = to[Field::Group].empty() ? "Friends" : "";
    EditCard(*card, *from, to, "Phone");
    const auto edited = Card::Parse(card->Text());
    if (!edited) std::abort();
    const auto view = HandsetView(*edited, "Phone");
    // Control bytes are dropped by the contacts import, so a damaged card may read otherwise
    // after the edit; any other card reads back with the memo written.
    const bool damaged = std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\r' && b != '\n' && b != '\t';
    });
    if (!damaged && (!view || (*view)[Field::Memo] != to[Field::Memo])) std::abort();
    return 0;
}
