#include "book/PbFile.h"

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

Outcome TakeRecord(CPBData& book, std::span<const uint8_t> r) {
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

void Step(IProgress* progress, std::size_t by) {
    if (progress != nullptr && by > 0) progress->StepProgress(static_cast<int>(by));
}

}  // namespace

PbLoadReport ReadPbRecords(CPBData& book, std::span<const uint8_t> bytes, IProgress* progress) {
    PbLoadReport report;
    report.fileBytes = bytes.size();
    std::size_t pos = 0;
    std::size_t junk = 0;
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
    report.namedGroups = book.KeepStrayEntries();
    return report;
}

std::string LoadReportText(const PbLoadReport& report) {
    std::string text;
    if (report.Damaged()) {
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

bool WritePbRecords(CPBData& book, std::vector<uint8_t>& out, IProgress* progress) {
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
