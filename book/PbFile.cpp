#include "book/PbFile.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <optional>

#include "book/Records.h"

namespace numora {

namespace {

std::size_t RecordSize(uint8_t tag) {
    switch (tag) {
        case pbfile::kSmsGroupTag:
            return pbfile::kSmsGroupSize;
        case pbfile::kGroupTag:
            return pbfile::kGroupSize;
        case pbfile::kEntryTag:
            return pbfile::kEntrySize;
        case pbfile::kSpeedDialTag:
            return pbfile::kSpeedDialSize;
        default:
            return 0;
    }
}

enum class Outcome { Taken, Placeholder, Refused };

Outcome TakeRecord(PhoneBook& book, std::span<const uint8_t> r) {
    bool taken = false;
    switch (r[0]) {
        case pbfile::kSmsGroupTag:
            // Every file carries all five SMS groups; an unnamed one is only a placeholder.
            if (ByteAt(r, smsgroup::kName) == 0) return Outcome::Placeholder;
            taken = book.TakeSmsGroupItem(r);
            break;
        case pbfile::kGroupTag:
            taken = book.TakeGroupRecord(r);
            break;
        case pbfile::kEntryTag: {
            const uint16_t slot = Le16(r, entryrec::kSlot);
            if (slot < kEntrySlots) {
                book.SetReceivedMaskAt(slot, kMaskAll);
                taken = book.TakeEntryRecord(r);
            }
            break;
        }
        case pbfile::kSpeedDialTag:
            taken = book.TakeSpeedDialRecord(r);
            break;
        default:
            break;
    }
    return taken ? Outcome::Taken : Outcome::Refused;
}

// The record kinds whose slots a file fills, in the order FilledSlots keeps them.
constexpr std::array<uint8_t, 4> kSlotTags{pbfile::kSmsGroupTag, pbfile::kGroupTag,
                                           pbfile::kEntryTag, pbfile::kSpeedDialTag};

struct RecordSlot {
    std::size_t kind;  // index into kSlotTags
    std::size_t slot;
};

// The slot a record fills, by the byte its kind is taken by; none outside the tables.
std::optional<RecordSlot> SlotOf(std::span<const uint8_t> r) {
    std::size_t slot = 0;
    std::size_t slots = 0;
    switch (r[0]) {
        case pbfile::kSmsGroupTag:
            slot = ByteAt(r, smsgroup::kSlot);
            slots = kSmsGroupSlots;
            break;
        case pbfile::kGroupTag:
            slot = ByteAt(r, grouprec::kSlotAgain);
            slots = kGroupSlots;
            break;
        case pbfile::kEntryTag:
            slot = Le16(r, entryrec::kSlot);
            slots = kEntrySlots;
            break;
        case pbfile::kSpeedDialTag:
            slot = ByteAt(r, item::kElement);
            slots = kSpeedDialSlots;
            break;
        default:
            return std::nullopt;
    }
    if (slot >= slots) return std::nullopt;
    const auto kind = static_cast<std::size_t>(std::find(kSlotTags.begin(), kSlotTags.end(), r[0]) -
                                               kSlotTags.begin());
    return RecordSlot{kind, slot};
}

// Which slots of each kind the file has filled so far.
class FilledSlots {
public:
    // False when an earlier record filled the same slot.
    bool Fill(std::span<const uint8_t> r) {
        const auto at = SlotOf(r);
        if (!at) return true;
        std::bitset<kEntrySlots>& filled = m_filled[at->kind];
        if (filled.test(at->slot)) return false;
        filled.set(at->slot);
        return true;
    }
    int SpeedDials() const { return static_cast<int>(m_filled.back().count()); }

private:
    std::array<std::bitset<kEntrySlots>, kSlotTags.size()> m_filled{};
};

void Step(Progress* progress, std::size_t by) {
    if (progress != nullptr && by > 0) progress->StepProgress(static_cast<int>(by));
}

}  // namespace

PbLoadReport ReadPbRecords(PhoneBook& book, std::span<const uint8_t> bytes, Progress* progress) {
    PbLoadReport report;
    report.fileBytes = bytes.size();
    std::size_t pos = 0;
    std::size_t junk = 0;
    FilledSlots filled;
    while (pos < bytes.size()) {
        const std::size_t size = RecordSize(bytes[pos]);
        if (size == 0) {
            // A byte that is no tag is skipped; the next byte is read as a tag.
            ++pos;
            ++junk;
            continue;
        }
        Step(progress, junk + 1);
        report.skippedBytes += static_cast<int>(junk);
        junk = 0;
        const std::size_t body = std::min(size - 1, bytes.size() - pos - 1);
        const auto record = bytes.subspan(pos, body + 1);
        pos += body + 1;
        Step(progress, body);
        if (body < size - 1) {
            // A record cut short by the end of the file is damaged; it is not taken.
            report.truncated = true;
            ++report.ignored;
            break;
        }
        // A later record for the same slot wins, as it always did, but the file is damaged.
        if (!filled.Fill(record)) ++report.repeated;
        switch (TakeRecord(book, record)) {
            case Outcome::Taken:
                ++report.taken;
                report.soundBytes += size;
                break;
            case Outcome::Refused:
                ++report.ignored;
                break;
            case Outcome::Placeholder:
                report.soundBytes += size;
                break;
        }
    }
    Step(progress, junk);
    report.skippedBytes += static_cast<int>(junk);
    report.missingSpeedDials = kSpeedDialSlots - filled.SpeedDials();
    report.empty = bytes.empty();
    report.namedGroups = book.KeepStrayEntries();
    return report;
}

std::string LoadReportText(const PbLoadReport& report) {
    std::string text;
    if (report.empty) {
        text = "The file is empty: it holds no phone book.";
    } else if (report.Damaged()) {
        text = "The file is damaged. What could not be read was left out:";
        if (report.ignored > (report.truncated ? 1 : 0)) {
            text += "\n- " + std::to_string(report.ignored - (report.truncated ? 1 : 0)) +
                    " record(s) the book cannot take (a slot outside the tables, an empty "
                    "group name, or an entry without number, e-mail or wireless address)";
        }
        if (report.truncated) text += "\n- the last record, cut short by the end of the file";
        if (report.skippedBytes > 0) {
            text += "\n- " + std::to_string(report.skippedBytes) + " byte(s) that start no record";
        }
        if (report.repeated > 0) {
            text += "\n- " + std::to_string(report.repeated) +
                    " record(s) for a slot that an earlier record already filled (the later one "
                    "was taken)";
        }
        if (report.missingSpeedDials > 0 && !report.truncated) {
            text += "\n- " + std::to_string(report.missingSpeedDials) + " of the " +
                    std::to_string(kSpeedDialSlots) +
                    " speed dials: the file stops before them, or leaves them out";
        }
    }
    if (!report.namedGroups.empty()) {
        if (!text.empty()) text += "\n\n";
        text += "Entries name group(s) not in use; they keep them, now in use as";
        for (std::size_t k = 0; k < report.namedGroups.size(); ++k) {
            text += (k == 0 ? " \"Group " : ", \"Group ") + std::to_string(report.namedGroups[k]) +
                    "\"";
        }
        text += ".";
    }
    return text;
}

bool WritePbRecords(PhoneBook& book, std::vector<uint8_t>& out, Progress* progress) {
    book.KeepStrayEntries();
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        const auto r = book.MakeSmsGroupItem(k);
        out.insert(out.end(), r.begin(), r.end());
        out.resize(out.size() + (pbfile::kSmsGroupSize - r.size()), 0);
    }
    for (uint8_t g = book.NextUsedGroup(kNone8); g != kNone8; g = book.NextUsedGroup(g)) {
        const auto r = book.MakeGroupRecord(g, 0);
        out.insert(out.end(), r.begin(), r.begin() + pbfile::kGroupSize);
        Step(progress, 100);
        bool ok = true;
        book.ForEachMember(g, [&](uint16_t e) {
            if (!ok) return;
            const auto entry = book.MakeEntryRecord(e);
            if (entry.empty()) {
                ok = false;
                return;
            }
            out.insert(out.end(), entry.begin(), entry.end());
            Step(progress, 100);
        });
        if (!ok) return false;
    }
    for (int j = 0; j < kSpeedDialSlots; ++j) {
        const auto r = book.MakeSpeedDialItem(j, j);
        out.insert(out.end(), r.begin(), r.end());
        Step(progress, 1);
    }
    return true;
}

}  // namespace numora
