// The in-memory phone book: fixed tables of entries, groups, SMS groups and speed dials.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace numora {

constexpr int kEntrySlots = 300;
constexpr int kGroupSlots = 7;
constexpr int kSmsGroupSlots = 5;
constexpr int kSmsMembers = 10;
constexpr int kSpeedDialSlots = 19;
constexpr int kFirstSpeedDial = 2;
constexpr int kLastSpeedDial = 20;
constexpr int kNumberKinds = 5;

constexpr int kNameLen = 16;
constexpr int kNumberLen = 32;
constexpr int kTextLen = 48;  // e-mail, wireless address, memo

constexpr uint16_t kNone16 = 0xFFFF;
constexpr uint8_t kNone8 = 0xFF;

constexpr uint8_t kAllGroup = 0;  // shown as "All"; never offered as a group of an entry
constexpr uint8_t kEtcGroup = 6;  // the catch-all group "Etc."
constexpr std::string_view kEtcName = "Etc.";
// Groups 1 to 5 carry names. The handset names 1 and 2 itself, as it does "All" and "Etc.";
// 3 to 5 are the user's, who may rename and delete them.
constexpr int kFirstNamedGroup = 1;
constexpr int kFirstUserGroup = 3;
constexpr int kLastNamedGroup = 5;
constexpr bool IsUserGroup(int g) {
    return g >= kFirstUserGroup && g <= kLastNamedGroup;
}
// SMS groups 0 to 2 keep their slot when deleted; only their name and members go.
constexpr int kFixedSmsGroups = 3;

// The kind of a number. Its value is the byte the handset and the file store for it: the
// number's position in the entry plus 2.
enum class NumberKind : uint8_t { Mobile = 2, Home, Office, Pager, Fax };
constexpr std::array<NumberKind, kNumberKinds> kAllNumberKinds = {
    NumberKind::Mobile, NumberKind::Home, NumberKind::Office, NumberKind::Pager, NumberKind::Fax};

// The kind of the number at position 0..4 of an entry.
constexpr NumberKind KindAt(int position) {
    return static_cast<NumberKind>(position + static_cast<int>(NumberKind::Mobile));
}
// Where a kind's number stands in an entry, 0..4.
constexpr int PositionOf(NumberKind kind) {
    return static_cast<int>(kind) - static_cast<int>(NumberKind::Mobile);
}
constexpr std::size_t IndexOf(NumberKind kind) {
    return static_cast<std::size_t>(PositionOf(kind));
}
constexpr uint8_t KindByte(NumberKind kind) {
    return static_cast<uint8_t>(kind);
}
// The kind a stored byte names; a speed dial may hold any byte, and one outside 2..6 names none.
constexpr std::optional<NumberKind> KindOfByte(uint8_t byte) {
    if (byte < KindByte(NumberKind::Mobile) || byte > KindByte(NumberKind::Fax))
        return std::nullopt;
    return static_cast<NumberKind>(byte);
}

// Field-mask bits, shared by the handset's used-slot mask and the book's own masks.
constexpr uint8_t kMaskEmail = 1u << 5;
constexpr uint8_t kMaskWireless = 1u << 6;
constexpr uint8_t kMaskAll = 0x7F;

struct PBNumber {
    uint8_t length = 0;
    std::array<char, kNumberLen + 1> digits{};
    bool operator==(const PBNumber&) const = default;
};

struct PBEntry {
    uint16_t index = kNone16;
    uint8_t secret = 0;
    uint8_t group = kNone8;
    uint16_t prevInGroup = kNone16;
    uint16_t nextInGroup = kNone16;
    std::array<PBNumber, kNumberKinds> numbers{};  // Mobile, Home, Office, Pager, Fax
    std::array<char, kNameLen + 1> name{};
    std::array<char, kTextLen + 1> email{};
    std::array<char, kTextLen + 1> wireless{};
    std::array<char, kTextLen + 1> memo{};
    uint16_t ringer = kNone16;
    uint16_t msgRinger = kNone16;
    uint16_t picture = kNone16;
    bool operator==(const PBEntry&) const = default;
};

// The fields an entry fills, as field-mask bits: one per number, e-mail and wireless address.
uint8_t FieldMaskOf(const PBEntry& e);
// An entry is kept only with a number, an e-mail or a wireless address; a name or a memo alone
// is not enough.
inline bool HasContent(const PBEntry& e) {
    return FieldMaskOf(e) != 0;
}

struct PBGroup {
    uint8_t id = kNone8;
    uint16_t firstEntry = kNone16;
    std::array<char, kNameLen + 1> name{};
    uint16_t ringer = 0;
    bool operator==(const PBGroup&) const = default;
};

struct PBSmsMember {
    uint16_t entry = kNone16;
    uint8_t kind = kNone8;
    bool operator==(const PBSmsMember&) const = default;
};

struct PBSmsGroup {
    uint8_t id = kNone8;
    std::array<char, kNameLen + 1> name{};
    std::array<PBSmsMember, kSmsMembers> members{};
    bool operator==(const PBSmsGroup&) const = default;
};

struct PBSpeedDial {
    uint16_t entry = kNone16;
    uint8_t kind = kNone8;
    bool operator==(const PBSpeedDial&) const = default;
};

// Where the book's few messages go ("Group Error!!!"); the window shows them as message boxes.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void MessageBox(std::string_view text) = 0;
};

// Text of a fixed-width field up to its terminator.
template <std::size_t N>
std::string_view TextOf(const std::array<char, N>& field) {
    std::size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return {field.data(), n};
}

// Stores text into a fixed-width field: at most N-1 characters, the rest zero.
template <std::size_t N>
void SetText(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    for (std::size_t i = 0; i < text.size() && i + 1 < N; ++i)
        field[i] = text[i];
}

std::string_view NumberText(const PBNumber& number);
void SetNumber(PBNumber& number, std::string_view text);

// Lay an entry or a group out as its 344-byte record (tag 0x83 / 0x81), codes as they stand.
void WriteEntryRecord(const PBEntry& e, std::span<uint8_t> record);
void WriteGroupRecord(int slot, const PBGroup& g, uint16_t count, std::span<uint8_t> record);

class PhoneBook {
public:
    PhoneBook();
    virtual ~PhoneBook() = default;
    PhoneBook(const PhoneBook&) = default;
    PhoneBook& operator=(const PhoneBook&) = default;

    void SetMessageSink(IMessageSink* sink) { m_messages = sink; }
    IMessageSink* MessageSink() const { return m_messages; }

    // Entries
    void ResetEntry(int i);
    void ResetAllEntries();
    void DeleteEntry(int i);
    void SetEntry(const PBEntry& e);
    // Copies a used entry (group or SMS group) into out; false, out untouched, for a slot not in
    // use.
    [[nodiscard]] bool GetEntry(int i, PBEntry& out) const;
    const PBEntry& Entry(int i) const { return m_entries[static_cast<std::size_t>(i)]; }
    bool IsValidEntry(int i) const;
    void MoveEntryToGroup(int i, uint8_t g);
    void RecomputeFieldMask(int i);
    int CountUsedEntries() const;
    int NextReceivedSlot(int i) const;
    void SetReceivedMask(std::span<const uint8_t> bytes);
    void SetReceivedMaskAt(int i, uint8_t mask);
    const std::array<uint8_t, kEntrySlots>& FieldMaskTable() const { return m_fieldMask; }
    const std::array<uint8_t, kEntrySlots>& ReceivedMaskTable() const { return m_recvMask; }

    // Groups
    void ResetGroup(int g);
    void ResetAllGroups();
    void SetGroup(int g, std::string_view name);
    void DeleteGroup(int g);
    [[nodiscard]] bool GetGroup(int g, PBGroup& out) const;
    const PBGroup& Group(int g) const { return m_groups[static_cast<std::size_t>(g)]; }
    uint16_t GroupFirstEntry(int g) const;
    uint16_t NextInGroup(int i) const;
    uint8_t NextUsedGroup(uint8_t g) const;
    // Makes every valid entry reachable from a group in use, so that no save or write leaves
    // one out: a group slot not in use that entries name is put in use as "Group N", and an
    // entry missing from its group's chain joins its tail. Returns the slots put in use.
    std::vector<int> KeepStrayEntries();

    // SMS groups
    void ResetSmsGroup(int k);
    void ResetAllSmsGroups();
    void SetSmsGroupName(int k, std::string_view name);
    void DeleteSmsGroup(int k);
    [[nodiscard]] bool GetSmsGroup(int k, PBSmsGroup& out) const;

    // Speed dials: n is the speed-dial number 2..20. The element holding the entry's number of
    // that kind, none when no speed dial holds it.
    [[nodiscard]] std::optional<int> FindSpeedDial(uint16_t entry, NumberKind kind) const;
    void SetSpeedDial(int n, uint16_t entry, NumberKind kind);
    // Stores a speed dial as a file holds it, even one whose kind byte names no kind.
    void SetSpeedDial(int n, const PBSpeedDial& dial);
    void ClearSpeedDial(int n);
    void ResetSpeedDials();
    const PBSpeedDial& SpeedDial(int element) const {
        return m_speedDials[static_cast<std::size_t>(element)];
    }

    // Record conversions. A Take* ignores a record naming a slot outside the tables; a Make*
    // assembles into the staging area of its kind and returns the record (empty when nothing
    // was assembled).
    // A Take* returns true when the record changed the book.
    bool TakeSpeedDialItem(std::span<const uint8_t> reply);
    bool TakeSpeedDialRecord(std::span<const uint8_t> record);  // file form: element = slot
    bool TakeSmsGroupItem(std::span<const uint8_t> reply);
    bool TakeGroupRecord(std::span<const uint8_t> record);
    bool TakeEntryRecord(std::span<const uint8_t> record);
    std::span<uint8_t> MakeSpeedDialItem(int slot, int element);
    std::span<uint8_t> MakeClearSpeedDialItem(int element);
    std::span<uint8_t> MakeSmsGroupItem(int k);
    std::span<uint8_t> MakeGroupRecord(int g, uint16_t count);
    std::span<uint8_t> MakeClearGroupRecord(int slot);
    std::span<uint8_t> MakeEntryRecord(int i);

    // Walks a group's member chain; stops after kEntrySlots steps so that a damaged chain
    // can never loop for ever.
    template <typename Fn>
    void ForEachMember(int g, Fn&& fn) const {
        uint16_t e = GroupFirstEntry(g);
        for (int steps = 0; e < kEntrySlots && steps < kEntrySlots; ++steps) {
            fn(e);
            e = NextInGroup(e);
        }
    }

private:
    bool EntryInGroup(int i, int g) const;
    uint16_t ChainTail(int g) const;
    void Unlink(int i);
    void AppendToGroup(int i, int g);
    void ShowMessage(std::string_view text);

    std::array<uint8_t, kEntrySlots> m_recvMask{};
    std::array<uint8_t, kEntrySlots> m_fieldMask{};
    std::array<PBGroup, kGroupSlots> m_groups{};
    std::array<PBEntry, kEntrySlots> m_entries{};
    std::array<PBSmsGroup, kSmsGroupSlots> m_smsGroups{};
    std::array<PBSpeedDial, kSpeedDialSlots> m_speedDials{};

    std::array<uint8_t, 344> m_entryStage{};
    std::array<uint8_t, 344> m_groupStage{};
    std::array<uint8_t, 133> m_smsStage{};
    std::array<uint8_t, 133> m_speedDialStage{};

    IMessageSink* m_messages = nullptr;
};

// A write sends each of groups 1 to 5 and "Etc." with a member count, counted by name: an
// entry counts for the group whose name is its own group's name, the last of equal names. A
// group slot not in use has the empty name, so empty slots and entries of a group not in use
// count for the highest such slot among 1 to 5. The handset expects exactly these counts.
using GroupCounts = std::array<uint16_t, kGroupSlots - 1>;  // groups 1 to 5, then "Etc."
[[nodiscard]] GroupCounts GroupMemberCounts(const PhoneBook& book);

}  // namespace numora
