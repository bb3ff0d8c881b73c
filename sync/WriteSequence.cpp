// The write sequence, in two passes over the handset's tables. The clearing pass empties the
// speed dials, writes the SMS group names, empties the used-slot mask and every group, and
// sends the entries group by group. The data pass writes the groups with their member counts,
// the used-slot mask and the speed dials. The handset answers every request with an echo, and
// each echo drives the next request.
#include <array>
#include <string>

#include "book/Records.h"
#include "sync/SyncEngine.h"

namespace numora {

std::string_view PhoneHoldsText(PhoneHolds holds) {
    switch (holds) {
        case PhoneHolds::ItsBook:
            return "its book as it was";
        case PhoneHolds::ItsEntriesLessSpeedDials:
            return "part of its book: its entries, some of its speed dials cleared";
        case PhoneHolds::NoEntries:
            return "no entries";
        case PhoneHolds::NewEntriesLessSpeedDials:
            return "part of its book: the new entries, not all of their speed dials";
        case PhoneHolds::NewBook:
            break;
    }
    return "the book as written";
}

std::string WriteStoppedMessage(PhoneHolds holds) {
    return "The write stopped: the phone now holds " + std::string(PhoneHoldsText(holds)) +
           ". Write the book to the phone again.";
}

void SyncEngine::SendClearingSpeedDial(int element) {
    m_link.WriteSpeedDials(m_book.MakeClearSpeedDialItem(element));
}

void SyncEngine::OnItemEcho(std::span<const uint8_t> echo) {
    const uint16_t itemNumber = Le16(echo, item::kItem);
    const uint8_t element = ByteAt(echo, item::kElement);
    if (m_writeDataPass == 0) {
        if (itemNumber != kItemSpeedDials && itemNumber != kItemSmsGroups) return;
        if (m_phoneHolds == PhoneHolds::ItsBook) {
            m_phoneHolds = PhoneHolds::ItsEntriesLessSpeedDials;
        }
        if (itemNumber == kItemSpeedDials) {
            m_page.StepProgress();
            if (element + 1 < kSpeedDialSlots) {
                SendClearingSpeedDial(element + 1);
            } else {
                m_link.WriteItem(kItemSmsGroups, m_book.MakeSmsGroupItem(0));
            }
            return;
        }
        m_page.StepProgress();
        if (element + 1 < kSmsGroupSlots) {
            m_link.WriteItem(kItemSmsGroups, m_book.MakeSmsGroupItem(element + 1));
        } else {
            const std::array<uint8_t, kEntrySlots> empty{};
            m_link.WriteFieldMasks(empty);
        }
        return;
    }
    if (itemNumber != kItemSpeedDials) return;
    m_page.StepProgress();
    if (element < kSpeedDialSlots) {
        // Element j + 1 carries speed dial j + 2, as the read takes it.
        m_link.WriteSpeedDials(m_book.MakeSpeedDialItem(element, element + 1));
    } else {
        FinishWrite();
    }
}

void SyncEngine::OnMaskEcho() {
    if (m_writeDataPass == 0) {
        m_phoneHolds = PhoneHolds::NoEntries;
        m_page.StepProgress();
        m_groupCursor = 0;
        m_link.WriteGroup(m_book.MakeClearGroupRecord(0));
    } else {
        m_phoneHolds = PhoneHolds::NewEntriesLessSpeedDials;
        m_link.WriteSpeedDials(m_book.MakeSpeedDialItem(0, 1));
    }
}

void SyncEngine::OnGroupEcho() {
    m_page.StepProgress();
    if (m_writeDataPass == 0) {
        // Slots 0 to 7 are cleared; the echo for slot 7 starts the entries.
        if (m_groupCursor < kGroupSlots) {
            ++m_groupCursor;
            m_link.WriteGroup(m_book.MakeClearGroupRecord(m_groupCursor));
        } else {
            StartEntryPhase();
        }
        return;
    }
    ++m_groupCursor;
    if (m_groupCursor < kGroupSlots) {
        m_link.WriteGroup(
            m_book.MakeGroupRecord(m_groupCursor, m_groupMemberCounts[m_groupCursor - 1u]));
    } else {
        m_link.WriteFieldMasks(m_book.FieldMaskTable());
    }
}

void SyncEngine::StartEntryPhase() {
    const int used = m_book.CountUsedEntries();
    m_progressStep = used == 0 ? kEntrySlots : kEntrySlots / used;
    m_groupCursor = 0;
    SendNextGroupMembers(false);
}

// Sends the first member of the first group from m_groupCursor on that has one, or moves on
// to the data pass when no group is left.
void SyncEngine::SendNextGroupMembers(bool entriesSent) {
    for (; m_groupCursor < kGroupSlots; ++m_groupCursor) {
        const uint16_t first = m_book.GroupFirstEntry(m_groupCursor);
        if (first != kNone16) {
            SendEntry(first);
            return;
        }
    }
    StartDataPass(entriesSent);
}

// An entry that cannot be assembled (a chain naming an emptied slot) is not sent, and the run
// stops there as no echo will come.
void SyncEngine::SendEntry(uint16_t entry) {
    const auto record = m_book.MakeEntryRecord(entry);
    if (record.empty()) return;
    m_entryCursor = entry;
    m_link.WriteEntry(record);
}

void SyncEngine::OnEntryEcho() {
    if (m_writeDataPass != 0) return;
    m_page.StepProgress(m_progressStep);
    const uint16_t next = m_book.NextInGroup(m_entryCursor);
    if (next != kNone16) {
        SendEntry(next);
    } else {
        ++m_groupCursor;
        SendNextGroupMembers(true);
    }
}

void SyncEngine::StartDataPass(bool entriesSent) {
    m_page.SetProgressPos(kWriteDataPassPos);
    if (entriesSent) m_groupMemberCounts = GroupMemberCounts(m_book);
    m_groupCursor = 0;
    m_link.WriteGroup(m_book.MakeGroupRecord(0, 0));
    m_writeDataPass = 1;
}

void SyncEngine::FinishWrite() {
    m_writeDataPass = 0;
    m_phoneHolds = PhoneHolds::NewBook;
    m_page.SetProgressPos(kWriteProgressEnd);
    m_watchdog.Stop();
    m_link.SwitchMode(2);
    m_writeFinishing = true;
    // The handset needs a moment to leave the framed mode before the port goes.
    m_pacer.Pause(kWriteEndPauseMs);
    m_pacer.Do([this] { CompleteWrite(); });
}

void SyncEngine::CompleteWrite() {
    if (m_port.IsOpen()) m_port.Close();
    // The message waits for the user: a search timer still armed from the handshake must not
    // send its mode switch to the closed port meanwhile.
    m_search.Stop();
    m_page.MessageBox(kWriteCompleted);
    m_page.SetProgressPos(0);
    m_page.EnableControls(true);
    EndRun(RunOutcome::WriteCompleted);
}

}  // namespace numora
