// A server's vCard kept byte for byte, so that it can be edited in place: the properties the
// sync changes are written anew, every other line (photos, addresses, X- properties, unknown
// parameters, groups, folding) goes back to the server exactly as it came.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace numora {

struct CardProperty {
    std::string raw;    // the property's physical lines as they came, line ends included
    std::string group;  // "item1" of "item1.TEL", empty for none
    std::string name;   // upper case
    std::vector<std::string> params;  // as written: "TYPE=CELL", "PREF=1", "HOME"
    std::string value;                // as written: still escaped or encoded
    bool edited = false;              // written anew from the fields above

    // A TYPE value or a bare (2.1) parameter, in any letter case.
    [[nodiscard]] bool HasType(std::string_view type) const;
    // The value of a parameter, empty when absent.
    [[nodiscard]] std::string Param(std::string_view key) const;
    // The value as text: unescaped, quoted-printable decoded; structured components stay
    // separated by ';'.
    [[nodiscard]] std::string Text() const;
};

class Card {
public:
    // Nothing when the text holds no BEGIN:VCARD ... END:VCARD.
    static std::optional<Card> Parse(std::string_view text);

    // A new vCard 3.0 card that holds only its UID.
    static Card Make(std::string_view uid);

    // The card's bytes: untouched properties as they came, edited ones written anew (folded at
    // 75 octets, in the card's own line ends).
    [[nodiscard]] std::string Text() const;

    [[nodiscard]] std::vector<CardProperty>& Properties() { return m_props; }
    [[nodiscard]] const std::vector<CardProperty>& Properties() const { return m_props; }

    // The first property of a name (upper case), or nullptr.
    [[nodiscard]] const CardProperty* Find(std::string_view name) const;
    [[nodiscard]] CardProperty* Find(std::string_view name);
    [[nodiscard]] std::string Uid() const;

    // Replaces a property's value with text (escaped here); drops encodings the new value does
    // not use.
    static void SetText(CardProperty& p, std::string_view text);
    // Replaces a property's value as written (already escaped).
    static void SetRawValue(CardProperty& p, std::string value);
    // Adds a property before END:VCARD (pointers to properties no longer hold).
    CardProperty& Add(std::string_view name, std::vector<std::string> params, std::string value);
    // Drops a property; the others stay where they are, so pointers to them stay good.
    static void Remove(CardProperty* p);

    // Text escaped for a property value.
    static std::string Escape(std::string_view text);

private:
    std::vector<CardProperty> m_props;
    std::string m_lineEnd = "\r\n";
};

}  // namespace numora
