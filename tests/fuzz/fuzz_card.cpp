// Any bytes as a server's card: kept byte for byte, read as the handset would hold it, and
// edited in place. An untouched card gives back exactly its bytes; an edited one still reads as
// a card whose fields are the ones written.
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
    if (!view || (*view)[Field::Memo] != to[Field::Memo]) std::abort();
    return 0;
}
