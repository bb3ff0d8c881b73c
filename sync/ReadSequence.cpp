// The read sequence: speed dials, SMS group names, the used-slot mask, the group records, then
// one entry record per announced slot. Each reply names the element or slot it carries, and the
// next request follows from it; nothing else is remembered between replies.
#include <algorithm>

#include "book/Records.h"
#include "sync/SyncEngine.h"

namespace numora {

void SyncEngine::RequestFirstItem() {
    m_link.RequestItem(kItemSpeedDials, 0);
}

void SyncEngine::OnReadItem(std::span<const uint8_t> r) {
    const uint16_t itemNumber = Le16(r, item::kItem);
    const uint8_t element = ByteAt(r, item::kElement);
    m_anythingRead = true;
    switch (itemNumber) {
        case kItemSpeedDials:
            m_book.TakeSpeedDialItem(r);
            m_page.StepProgress();
            if (element < kSpeedDialSlots) {
                m_link.RequestItem(kItemSpeedDials, static_cast<uint8_t>(element + 1));
            } else {
                m_link.RequestItem(kItemSmsGroups, 0);
            }
            break;
        case kItemSmsGroups:
            if (element < kSmsGroupSlots) {
                m_book.TakeSmsGroupItem(r);
                m_link.RequestItem(kItemSmsGroups, static_cast<uint8_t>(element + 1));
            } else {
                m_link.RequestItem(kItemRecordPhase, 0);
            }
            break;
        case kItemRecordPhase:
            m_page.SetProgressPos(kReadRecordPhasePos);
            m_link.RequestFieldMasks();
            break;
        default:
            break;
    }
}

void SyncEngine::OnUsedSlotMask(std::span<const uint8_t> r) {
    m_page.StepProgress();
    const auto mask = r.subspan(maskrec::kMask, std::min<std::size_t>(r.size() - 1, kEntrySlots));
    m_book.SetReceivedMask(mask);
    const auto& announced = m_book.ReceivedMaskTable();
    const auto count =
        std::count_if(announced.begin(), announced.end(), [](uint8_t m) { return m != 0; });
    m_progressStep = count == 0 ? kEntrySlots : kEntrySlots / static_cast<int>(count);
    m_link.RequestGroup(0);
}

void SyncEngine::OnGroupRecord(std::span<const uint8_t> r) {
    m_book.TakeGroupRecord(r);
    m_page.StepProgress();
    const uint8_t slot = ByteAt(r, grouprec::kSlot);
    if (slot < kGroupSlots) {
        m_link.RequestGroup(static_cast<uint8_t>(slot + 1));
        return;
    }
    // The answer for slot 7 closes the group table.
    const int first = m_book.NextReceivedSlot(kEntrySlots);
    if (first >= kEntrySlots) {
        FinishRead(true);
    } else {
        m_link.RequestEntry(static_cast<uint16_t>(first));
    }
}

void SyncEngine::OnEntryRecord(std::span<const uint8_t> r) {
    const uint16_t slot = Le16(r, entryrec::kSlot);
    // A reply naming no slot gives no place to go on from: it is not taken, and the run ends
    // through the watchdog rather than with a book that looks whole but is not.
    if (slot >= kEntrySlots) return;
    m_book.TakeEntryRecord(r);
    m_page.StepProgress(m_progressStep);
    const int next = m_book.NextReceivedSlot(slot);
    if (next >= kEntrySlots) {
        FinishRead(false);
    } else {
        m_link.RequestEntry(static_cast<uint16_t>(next));
        if (m_link.GetPace() == Pace::Specified) m_pacer.Pause(kEntryRequestExtraPauseMs);
    }
}

void SyncEngine::FinishRead(bool noEntries) {
    // Entries of a group the handset sent no name for are kept under "Group N", so that the
    // next save or write does not leave them out.
    m_book.KeepStrayEntries();
    m_page.SetProgressPos(kReadProgressEnd);
    m_page.ShowBook(BookChange::Everything);
    m_bookComplete = true;
    m_watchdog.Arm(m_replyTimeoutMs);
    m_link.EndSession();
    if (noEntries) {
        m_page.EnableControls(true);
        m_page.SetProgressPos(0);
    }
}

}  // namespace numora
