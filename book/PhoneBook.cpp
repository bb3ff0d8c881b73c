#include "book/PhoneBook.h"

#include <algorithm>
#include <cstring>

#include "book/Records.h"

namespace numora {

namespace {

constexpr std::string_view kGroupError = "Group Error!!!";

bool InRange(int v, int n) {
    return v >= 0 && v < n;
}

std::size_t At(int i) {
    return static_cast<std::size_t>(i);
}

// Copies a fixed-width text field out of a record, always leaving the terminator in place.
template <std::size_t N>
void TakeText(std::array<char, N>& field, std::span<const uint8_t> r, std::size_t at) {
    for (std::size_t k = 0; k + 1 < N; ++k)
        field[k] = static_cast<char>(ByteAt(r, at + k));
    field[N - 1] = '\0';
}

template <std::size_t N>
void PutText(std::span<uint8_t> r, std::size_t at, const std::array<char, N>& field) {
    for (std::size_t k = 0; k + 1 < N; ++k)
        r[at + k] = static_cast<uint8_t>(field[k]);
}

// Only the built-in melodies and bells, and the five tones, are known to every handset.
uint16_t WritableRinger(uint16_t code) {
    return (code >= 100 && code <= 109) || (code >= 200 && code <= 204) ? code : kNone16;
}
uint16_t WritableMsgRinger(uint16_t code) {
    return code >= 300 && code <= 304 ? code : kNone16;
}

}  // namespace

std::string_view NumberText(const PBNumber& number) {
    const std::size_t len = std::min<std::size_t>(number.length, kNumberLen);
    std::size_t n = 0;
    while (n < len && number.digits[n] != '\0')
        ++n;
    return {number.digits.data(), n};
}

void SetNumber(PBNumber& number, std::string_view text) {
    SetText(number.digits, text);
    number.length = static_cast<uint8_t>(std::min<std::size_t>(text.size(), kNumberLen));
}

PhoneBook::PhoneBook() {
    ResetAllEntries();
    ResetAllGroups();
    ResetAllSmsGroups();
    ResetSpeedDials();
    m_recvMask.fill(0);
}

// ---------------------------------------------------------------------------------------------
// Entries

void PhoneBook::ResetEntry(int i) {
    if (!InRange(i, kEntrySlots)) return;
    m_entries[At(i)] = PBEntry{};
    m_fieldMask[At(i)] = 0;
}

void PhoneBook::ResetAllEntries() {
    for (int i = 0; i < kEntrySlots; ++i)
        ResetEntry(i);
    // With no entry left, every chain is empty; a head left behind would name an empty slot.
    for (auto& g : m_groups)
        g.firstEntry = kNone16;
}

bool PhoneBook::IsValidEntry(int i) const {
    return InRange(i, kEntrySlots) && m_entries[At(i)].index == i;
}

bool PhoneBook::EntryInGroup(int i, int g) const {
    return IsValidEntry(i) && m_entries[At(i)].group == g;
}

uint16_t PhoneBook::ChainTail(int g) const {
    uint16_t e = m_groups[At(g)].firstEntry;
    if (!EntryInGroup(e, g)) return kNone16;
    for (int steps = 0; steps < kEntrySlots; ++steps) {
        const uint16_t next = m_entries[e].nextInGroup;
        if (!EntryInGroup(next, g)) break;
        e = next;
    }
    return e;
}

// Takes entry i out of its group's chain. Callers make sure an entry without predecessor is
// its group's head.
void PhoneBook::Unlink(int i) {
    PBEntry& e = m_entries[At(i)];
    const uint16_t prev = e.prevInGroup;
    const uint16_t next = e.nextInGroup;
    if (prev < kEntrySlots) {
        m_entries[prev].nextInGroup = next;
    } else {
        m_groups[e.group].firstEntry = next;
    }
    if (next < kEntrySlots) m_entries[next].prevInGroup = prev < kEntrySlots ? prev : kNone16;
    e.prevInGroup = kNone16;
    e.nextInGroup = kNone16;
}

void PhoneBook::AppendToGroup(int i, int g) {
    PBEntry& e = m_entries[At(i)];
    const uint16_t tail = ChainTail(g);
    e.nextInGroup = kNone16;
    if (tail == kNone16) {
        m_groups[At(g)].firstEntry = static_cast<uint16_t>(i);
        e.prevInGroup = kNone16;
    } else {
        m_entries[tail].nextInGroup = static_cast<uint16_t>(i);
        e.prevInGroup = tail;
    }
}

void PhoneBook::DeleteEntry(int i) {
    if (!InRange(i, kEntrySlots)) return;
    const PBEntry& e = m_entries[At(i)];
    const bool isHead = e.prevInGroup >= kEntrySlots;
    if (IsValidEntry(i) && e.group < kGroupSlots &&
        (!isHead || m_groups[e.group].firstEntry == i)) {
        Unlink(i);
    }
    ResetEntry(i);
}

void PhoneBook::MoveEntryToGroup(int i, uint8_t g) {
    if (!InRange(i, kEntrySlots) || g >= kGroupSlots) return;
    PBEntry& e = m_entries[At(i)];
    if (e.group == g) return;
    if (e.group < kGroupSlots) {
        if (e.prevInGroup >= kEntrySlots && m_groups[e.group].firstEntry != i) {
            ShowMessage(kGroupError);
            return;
        }
        Unlink(i);
    }
    const uint16_t head =
        EntryInGroup(m_groups[g].firstEntry, g) ? m_groups[g].firstEntry : kNone16;
    if (head != kNone16) m_entries[head].prevInGroup = static_cast<uint16_t>(i);
    e.prevInGroup = kNone16;
    e.nextInGroup = head;
    e.group = g;
    m_groups[g].firstEntry = static_cast<uint16_t>(i);
}

void PhoneBook::SetEntry(const PBEntry& in) {
    const int i = in.index;
    if (!InRange(i, kEntrySlots)) return;
    PBEntry& e = m_entries[At(i)];
    const bool wasValid = IsValidEntry(i);
    e.index = in.index;
    e.secret = in.secret;
    // A group that names no slot must not drop the entry out of every chain (it would vanish
    // from the next save): it stays where it was, and a new entry goes to "Etc.".
    uint8_t g = in.group;
    if (g >= kGroupSlots) g = wasValid && e.group < kGroupSlots ? e.group : kEtcGroup;
    if (!wasValid) {
        e.group = kNone8;
        e.prevInGroup = kNone16;
        e.nextInGroup = kNone16;
    }
    MoveEntryToGroup(i, g);
    for (int n = 0; n < kNumberKinds; ++n) {
        e.numbers[At(n)] = in.numbers[At(n)];
        e.numbers[At(n)].length = std::min<uint8_t>(in.numbers[At(n)].length, kNumberLen);
        e.numbers[At(n)].digits[kNumberLen] = '\0';
    }
    e.name = in.name;
    e.name[kNameLen] = '\0';
    e.email = in.email;
    e.email[kTextLen] = '\0';
    e.wireless = in.wireless;
    e.wireless[kTextLen] = '\0';
    e.memo = in.memo;
    e.memo[kTextLen] = '\0';
    e.ringer = in.ringer;
    e.msgRinger = in.msgRinger;
    e.picture = in.picture;
    RecomputeFieldMask(i);
}

bool PhoneBook::GetEntry(int i, PBEntry& out) const {
    if (!IsValidEntry(i)) return false;
    out = m_entries[At(i)];
    return true;
}

uint8_t FieldMaskOf(const PBEntry& e) {
    uint8_t mask = 0;
    for (int n = 0; n < kNumberKinds; ++n) {
        if (e.numbers[At(n)].length != 0) mask |= static_cast<uint8_t>(1u << n);
    }
    if (e.email[0] != '\0') mask |= kMaskEmail;
    if (e.wireless[0] != '\0') mask |= kMaskWireless;
    return mask;
}

void PhoneBook::RecomputeFieldMask(int i) {
    if (!InRange(i, kEntrySlots)) return;
    m_fieldMask[At(i)] = FieldMaskOf(m_entries[At(i)]);
}

int PhoneBook::CountUsedEntries() const {
    return static_cast<int>(
        std::count_if(m_fieldMask.begin(), m_fieldMask.end(), [](uint8_t m) { return m != 0; }));
}

int PhoneBook::NextReceivedSlot(int i) const {
    for (int s = (i >= kEntrySlots || i < 0) ? 0 : i + 1; s < kEntrySlots; ++s) {
        if (m_recvMask[At(s)] != 0) return s;
    }
    return kEntrySlots;
}

void PhoneBook::SetReceivedMask(std::span<const uint8_t> bytes) {
    m_recvMask.fill(0);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), kEntrySlots),
                m_recvMask.begin());
}

void PhoneBook::SetReceivedMaskAt(int i, uint8_t mask) {
    if (InRange(i, kEntrySlots)) m_recvMask[At(i)] = mask;
}

// ---------------------------------------------------------------------------------------------
// Groups

void PhoneBook::ResetGroup(int g) {
    if (!InRange(g, kGroupSlots)) return;
    PBGroup& grp = m_groups[At(g)];
    if (g == kEtcGroup) {
        grp.id = kEtcGroup;
        SetText(grp.name, kEtcName);
    } else {
        grp.id = kNone8;
        grp.name.fill('\0');
    }
}

void PhoneBook::ResetAllGroups() {
    for (int g = 0; g < kGroupSlots; ++g)
        ResetGroup(g);
}

void PhoneBook::SetGroup(int g, std::string_view name) {
    if (!InRange(g, kGroupSlots)) return;
    PBGroup& grp = m_groups[At(g)];
    // Entries that hang in an unused slot (a file may name a group it has no record for)
    // become the new group's members instead of falling out of every chain.
    if (grp.id == kNone8 && !EntryInGroup(grp.firstEntry, g)) grp.firstEntry = kNone16;
    grp.id = static_cast<uint8_t>(g);
    SetText(grp.name, name);
}

void PhoneBook::DeleteGroup(int g) {
    if (!InRange(g, kGroupSlots) || g == kEtcGroup || m_groups[At(g)].id == kNone8) return;
    const uint16_t head =
        EntryInGroup(m_groups[At(g)].firstEntry, g) ? m_groups[At(g)].firstEntry : kNone16;
    if (head != kNone16) {
        const uint16_t tail = ChainTail(kEtcGroup);
        if (tail == kNone16) {
            m_groups[kEtcGroup].firstEntry = head;
        } else {
            m_entries[tail].nextInGroup = head;
            m_entries[head].prevInGroup = tail;
        }
        uint16_t e = head;
        for (int steps = 0; EntryInGroup(e, g) && steps < kEntrySlots; ++steps) {
            m_entries[e].group = kEtcGroup;
            e = m_entries[e].nextInGroup;
        }
    }
    ResetGroup(g);
    // The members now hang under "Etc."; the freed slot must not still point into that chain.
    m_groups[At(g)].firstEntry = kNone16;
}

bool PhoneBook::GetGroup(int g, PBGroup& out) const {
    if (!InRange(g, kGroupSlots) || m_groups[At(g)].id >= kGroupSlots) return false;
    out = m_groups[At(g)];
    return true;
}

uint16_t PhoneBook::GroupFirstEntry(int g) const {
    if (!InRange(g, kGroupSlots) || m_groups[At(g)].id != g) return kNone16;
    return m_groups[At(g)].firstEntry;
}

uint16_t PhoneBook::NextInGroup(int i) const {
    return IsValidEntry(i) ? m_entries[At(i)].nextInGroup : kNone16;
}

uint8_t PhoneBook::NextUsedGroup(uint8_t g) const {
    for (int s = (g == kNone8) ? 0 : g + 1; s < kGroupSlots; ++s) {
        if (m_groups[At(s)].id != kNone8) return static_cast<uint8_t>(s);
    }
    return kNone8;
}

std::vector<int> PhoneBook::KeepStrayEntries() {
    std::vector<int> named;
    for (int i = 0; i < kEntrySlots; ++i) {
        if (!IsValidEntry(i)) continue;
        PBEntry& e = m_entries[At(i)];
        if (e.group >= kGroupSlots) {
            e.group = kEtcGroup;
            e.prevInGroup = kNone16;
            e.nextInGroup = kNone16;
        }
        const int g = e.group;
        if (m_groups[At(g)].id == g) continue;
        if (std::find(named.begin(), named.end(), g) == named.end()) named.push_back(g);
        m_groups[At(g)].id = static_cast<uint8_t>(g);
        SetText(m_groups[At(g)].name, "Group " + std::to_string(g));
        if (!EntryInGroup(m_groups[At(g)].firstEntry, g)) m_groups[At(g)].firstEntry = kNone16;
    }
    std::array<bool, kEntrySlots> reached{};
    for (int g = 0; g < kGroupSlots; ++g) {
        uint16_t e = GroupFirstEntry(g);
        while (EntryInGroup(e, g) && !reached[e]) {
            reached[e] = true;
            e = m_entries[e].nextInGroup;
        }
    }
    for (int i = 0; i < kEntrySlots; ++i) {
        if (IsValidEntry(i) && !reached[At(i)]) AppendToGroup(i, m_entries[At(i)].group);
    }
    std::sort(named.begin(), named.end());
    return named;
}

// ---------------------------------------------------------------------------------------------
// SMS groups

void PhoneBook::ResetSmsGroup(int k) {
    if (!InRange(k, kSmsGroupSlots)) return;
    PBSmsGroup& s = m_smsGroups[At(k)];
    if (k >= kFixedSmsGroups) {
        s.id = kNone8;
        s.name.fill('\0');
        s.members.fill(PBSmsMember{});
    } else {
        s.id = static_cast<uint8_t>(k);
    }
}

void PhoneBook::ResetAllSmsGroups() {
    for (int k = 0; k < kSmsGroupSlots; ++k)
        ResetSmsGroup(k);
}

void PhoneBook::SetSmsGroupName(int k, std::string_view name) {
    if (!InRange(k, kSmsGroupSlots)) return;
    m_smsGroups[At(k)].id = static_cast<uint8_t>(k);
    SetText(m_smsGroups[At(k)].name, name);
}

void PhoneBook::DeleteSmsGroup(int k) {
    if (!InRange(k, kSmsGroupSlots) || m_smsGroups[At(k)].id == kNone8) return;
    m_smsGroups[At(k)].name.fill('\0');
    m_smsGroups[At(k)].members.fill(PBSmsMember{});
    ResetSmsGroup(k);
}

bool PhoneBook::GetSmsGroup(int k, PBSmsGroup& out) const {
    if (!InRange(k, kSmsGroupSlots)) return false;
    const PBSmsGroup& s = m_smsGroups[At(k)];
    if (s.id >= kSmsGroupSlots || s.name[0] == '\0') return false;
    out = s;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Speed dials

std::optional<int> PhoneBook::FindSpeedDial(uint16_t entry, NumberKind kind) const {
    const PBSpeedDial wanted{entry, KindByte(kind)};
    for (int k = 0; k < kSpeedDialSlots; ++k) {
        if (m_speedDials[At(k)] == wanted) return k;
    }
    return std::nullopt;
}

void PhoneBook::SetSpeedDial(int n, uint16_t entry, NumberKind kind) {
    SetSpeedDial(n, PBSpeedDial{entry, KindByte(kind)});
}

void PhoneBook::SetSpeedDial(int n, const PBSpeedDial& dial) {
    if (n < kFirstSpeedDial || n > kLastSpeedDial) return;
    m_speedDials[At(n - kFirstSpeedDial)] = dial;
}

void PhoneBook::ClearSpeedDial(int n) {
    SetSpeedDial(n, PBSpeedDial{});
}

void PhoneBook::ResetSpeedDials() {
    m_speedDials.fill(PBSpeedDial{});
}

// ---------------------------------------------------------------------------------------------
// Record conversions

bool PhoneBook::TakeSpeedDialItem(std::span<const uint8_t> reply) {
    // Element 0 is requested but carries no speed dial; element i holds number i + 1.
    const int element = ByteAt(reply, item::kElement);
    if (element < 1 || element > kSpeedDialSlots) return false;
    m_speedDials[At(element - 1)] =
        PBSpeedDial{Le16(reply, speeddial::kEntry), ByteAt(reply, speeddial::kKind)};
    return true;
}

bool PhoneBook::TakeSpeedDialRecord(std::span<const uint8_t> record) {
    const int element = ByteAt(record, item::kElement);
    if (element >= kSpeedDialSlots) return false;
    m_speedDials[At(element)] =
        PBSpeedDial{Le16(record, speeddial::kEntry), ByteAt(record, speeddial::kKind)};
    return true;
}

bool PhoneBook::TakeSmsGroupItem(std::span<const uint8_t> reply) {
    const int k = ByteAt(reply, smsgroup::kSlot);
    if (k >= kSmsGroupSlots) return false;
    PBSmsGroup& s = m_smsGroups[At(k)];
    s.id = static_cast<uint8_t>(k);
    TakeText(s.name, reply, smsgroup::kName);
    s.members.fill(PBSmsMember{});
    return true;
}

bool PhoneBook::TakeGroupRecord(std::span<const uint8_t> record) {
    if (ByteAt(record, grouprec::kName) == 0) return false;
    const int g = ByteAt(record, grouprec::kSlotAgain);
    if (g >= kGroupSlots) return false;
    PBGroup& grp = m_groups[At(g)];
    grp.id = static_cast<uint8_t>(g);
    // Entries that came in before their group's record keep their chain.
    if (!EntryInGroup(grp.firstEntry, g)) grp.firstEntry = kNone16;
    TakeText(grp.name, record, grouprec::kName);
    grp.ringer = Le16(record, grouprec::kCount);
    return true;
}

bool PhoneBook::TakeEntryRecord(std::span<const uint8_t> r) {
    const int i = Le16(r, entryrec::kSlot);
    const uint8_t g = ByteAt(r, entryrec::kGroup);
    if (!InRange(i, kEntrySlots) || g >= kGroupSlots) return false;
    // A slot sent twice is taken again, never linked into a chain twice.
    if (IsValidEntry(i)) DeleteEntry(i);
    PBEntry& e = m_entries[At(i)];
    const uint8_t announced = m_recvMask[At(i)];
    e.index = static_cast<uint16_t>(i);
    e.secret = ByteAt(r, entryrec::kSecret);
    e.group = g;
    for (int n = 0; n < kNumberKinds; ++n) {
        if ((announced & (1u << n)) == 0) continue;
        const std::size_t at = entryrec::kNumbers + entryrec::kNumberStride * At(n);
        PBNumber& num = e.numbers[At(n)];
        num.length = std::min<uint8_t>(ByteAt(r, at), kNumberLen);
        num.digits.fill('\0');
        for (std::size_t k = 0; k < num.length; ++k) {
            num.digits[k] = static_cast<char>(ByteAt(r, at + 1 + k));
        }
    }
    TakeText(e.name, r, entryrec::kName);
    if (announced & kMaskEmail) TakeText(e.email, r, entryrec::kEmail);
    if (announced & kMaskWireless) TakeText(e.wireless, r, entryrec::kWireless);
    TakeText(e.memo, r, entryrec::kMemo);
    e.ringer = Le16(r, entryrec::kRinger);
    e.msgRinger = Le16(r, entryrec::kMsgRinger);
    e.picture = Le16(r, entryrec::kPicture);
    RecomputeFieldMask(i);
    if (m_fieldMask[At(i)] == 0) {
        e.index = kNone16;
        e.secret = 0;
        e.group = kNone8;
        e.prevInGroup = kNone16;
        e.nextInGroup = kNone16;
        return false;
    }
    AppendToGroup(i, g);
    return true;
}

std::span<uint8_t> PhoneBook::MakeSpeedDialItem(int slot, int element) {
    if (!InRange(slot, kSpeedDialSlots)) return {};
    auto& r = m_speedDialStage;
    r.fill(0);
    r[item::kCode] = 0x27;
    PutLe16(r, item::kItem, kItemSpeedDials);
    r[item::kElement] = static_cast<uint8_t>(element);
    PutLe16(r, speeddial::kEntry, m_speedDials[At(slot)].entry);
    r[speeddial::kKind] = m_speedDials[At(slot)].kind;
    return r;
}

std::span<uint8_t> PhoneBook::MakeClearSpeedDialItem(int element) {
    auto& r = m_speedDialStage;
    r.fill(0);
    r[item::kCode] = 0x27;
    PutLe16(r, item::kItem, kItemSpeedDials);
    r[item::kElement] = static_cast<uint8_t>(element);
    PutLe16(r, speeddial::kEntry, kNone16);
    r[speeddial::kKind] = kNone8;
    return r;
}

std::span<uint8_t> PhoneBook::MakeSmsGroupItem(int k) {
    if (!InRange(k, kSmsGroupSlots)) return {};
    auto& r = m_smsStage;
    r.fill(0);
    r[item::kCode] = pbfile::kSmsGroupTag;
    r[smsgroup::kSlot] = static_cast<uint8_t>(k);
    PutText(r, smsgroup::kName, m_smsGroups[At(k)].name);
    std::fill_n(r.begin() + smsgroup::kMembers, smsgroup::kMembersSize, uint8_t{0xFF});
    return r;
}

void WriteGroupRecord(int slot, const PBGroup& g, uint16_t count, std::span<uint8_t> r) {
    std::fill(r.begin(), r.end(), uint8_t{0});
    r[0] = pbfile::kGroupTag;
    r[grouprec::kSlot] = static_cast<uint8_t>(slot);
    r[grouprec::kSlotAgain] = static_cast<uint8_t>(slot);
    PutLe16(r, grouprec::kFirstEntry, g.firstEntry);
    PutText(r, grouprec::kName, g.name);
    PutLe16(r, grouprec::kCount, count);
}

std::span<uint8_t> PhoneBook::MakeGroupRecord(int g, uint16_t count) {
    if (!InRange(g, kGroupSlots)) return {};
    WriteGroupRecord(g, m_groups[At(g)], count, m_groupStage);
    return m_groupStage;
}

std::span<uint8_t> PhoneBook::MakeClearGroupRecord(int slot) {
    auto& r = m_groupStage;
    r.fill(0);
    r[0] = 0x80;
    r[grouprec::kSlot] = static_cast<uint8_t>(slot);
    r[grouprec::kSlotAgain] = static_cast<uint8_t>(slot);
    PutLe16(r, grouprec::kFirstEntry, kNone16);
    if (slot == kEtcGroup) {
        std::copy(kEtcName.begin(), kEtcName.end(), r.begin() + grouprec::kName);
    }
    return r;
}

void WriteEntryRecord(const PBEntry& e, std::span<uint8_t> r) {
    std::fill(r.begin(), r.end(), uint8_t{0});
    r[0] = pbfile::kEntryTag;
    PutLe16(r, entryrec::kSlot, e.index);
    r[entryrec::kSecret] = e.secret;
    r[entryrec::kGroup] = e.group;
    PutLe16(r, entryrec::kPrev, e.prevInGroup);
    PutLe16(r, entryrec::kNext, e.nextInGroup);
    for (int n = 0; n < kNumberKinds; ++n) {
        const PBNumber& num = e.numbers[At(n)];
        const std::size_t at = entryrec::kNumbers + entryrec::kNumberStride * At(n);
        const uint8_t len = std::min<uint8_t>(num.length, kNumberLen);
        r[at] = len;
        for (std::size_t k = 0; k < len; ++k)
            r[at + 1 + k] = static_cast<uint8_t>(num.digits[k]);
    }
    PutText(r, entryrec::kName, e.name);
    PutText(r, entryrec::kEmail, e.email);
    PutText(r, entryrec::kWireless, e.wireless);
    PutText(r, entryrec::kMemo, e.memo);
    PutLe16(r, entryrec::kRinger, e.ringer);
    PutLe16(r, entryrec::kMsgRinger, e.msgRinger);
    PutLe16(r, entryrec::kPicture, e.picture);
}

std::span<uint8_t> PhoneBook::MakeEntryRecord(int i) {
    if (!IsValidEntry(i)) return {};
    PBEntry& e = m_entries[At(i)];
    // What is written is what the book keeps: codes the handset may not know fall back to
    // the default, in the record and in the entry alike.
    e.ringer = WritableRinger(e.ringer);
    e.msgRinger = WritableMsgRinger(e.msgRinger);
    e.picture = kNone16;
    WriteEntryRecord(e, m_entryStage);
    return m_entryStage;
}

namespace {

// The name of a group in use; the empty name for a slot not in use.
std::string_view NameInUse(const PhoneBook& book, int g) {
    PBGroup group;
    return book.GetGroup(g, group) ? TextOf(book.Group(g).name) : std::string_view{};
}

}  // namespace

GroupCounts GroupMemberCounts(const PhoneBook& book) {
    std::array<std::string_view, kGroupSlots - 1> names{};
    for (int g = kFirstNamedGroup; g <= kLastNamedGroup; ++g)
        names[At(g - 1)] = NameInUse(book, g);
    names.back() = kEtcName;
    GroupCounts counts{};
    for (int i = 0; i < kEntrySlots; ++i) {
        const std::string_view name =
            book.IsValidEntry(i) ? NameInUse(book, book.Entry(i).group) : std::string_view{};
        const auto last = std::find(names.rbegin(), names.rend(), name);
        if (last != names.rend()) ++counts[At(static_cast<int>(names.rend() - last) - 1)];
    }
    return counts;
}

void PhoneBook::ShowMessage(std::string_view text) {
    if (m_messages != nullptr) m_messages->MessageBox(text);
}

}  // namespace numora
