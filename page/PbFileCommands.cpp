#include "page/PbFileCommands.h"

namespace numora {

namespace {

void Finish(FileView& page, std::string_view message) {
    if (!message.empty()) page.MessageBox(message);
    page.EnableControls(true);
    page.SetProgressPos(0);
}

}  // namespace

FileReaders ReadersFor(const PhoneBook& book) {
    for (int i = 0; i < kEntrySlots; ++i) {
        if (book.IsValidEntry(i) && book.Entry(i).secret != 0) return FileReaders::OwnerOnly;
    }
    return FileReaders::Everyone;
}

std::optional<PbLoadReport> FileOpen(PhoneBook& book, FileView& page, FileAccess& files) {
    page.EnableControls(false);
    const auto path = files.ChooseOpenPath();
    if (!path) {
        Finish(page, {});
        return std::nullopt;
    }
    page.Repaint();
    std::vector<uint8_t> bytes;
    if (const ReadResult read = files.ReadAll(*path, bytes); read != ReadResult::Done) {
        page.DeleteWorkFile();
        if (read == ReadResult::TooLarge) page.MessageBox(kFileOpenFailed);
        Finish(page, read == ReadResult::TooLarge ? kFileTooLarge : kFileOpenFailed);
        return std::nullopt;
    }
    page.SetProgressRange(0, static_cast<int>(bytes.size()) + 4);
    page.SetProgressPos(0);
    // The records go into a copy first, so that a file that is no phone book leaves the book
    // as it was. Speed dials without a record keep their assignment.
    PhoneBook loaded = book;
    loaded.ResetAllGroups();
    page.StepProgress();
    loaded.ResetAllSmsGroups();
    page.StepProgress();
    loaded.ResetAllEntries();
    page.StepProgress();
    const PbLoadReport report = ReadPbRecords(loaded, bytes, &page);
    if (report.NotAPhoneBook()) {
        page.DeleteWorkFile();
        page.MessageBox(kFileOpenFailed);
        Finish(page, kNotAPhoneBook);
        return std::nullopt;
    }
    page.ClearForm();
    page.StepProgress();
    page.Repaint();
    book = loaded;
    page.ShowBook(BookChange::Everything);
    page.MessageBox(kFileReadCompleted);
    Finish(page, LoadReportText(report));
    return report;
}

bool FileSave(PhoneBook& book, FileView& page, FileAccess& files) {
    page.EnableControls(false);
    const auto path = files.ChooseSavePath();
    if (!path) {
        Finish(page, {});
        return false;
    }
    page.Repaint();
    page.SetProgressRange(0, 32600);
    page.SetProgressPos(0);
    page.StepProgress();
    // Laid out from a copy: the book changes (codes clamped, stray entries kept) only when
    // the file is safely written.
    PhoneBook saved = book;
    const std::vector<int> named = saved.KeepStrayEntries();
    std::vector<uint8_t> bytes;
    if (!WritePbRecords(saved, bytes, &page)) {
        // Nothing is written: the old file stays whole.
        Finish(page, kFileSaveError);
        return false;
    }
    if (!files.Save(*path, bytes, ReadersFor(saved))) {
        Finish(page, kFileSaveFailed);
        return false;
    }
    book = saved;
    page.SetProgressPos(32600);
    if (named.empty()) {
        Finish(page, kFileSaveCompleted);
        return true;
    }
    // Groups put in use for stray entries join the group combos; the SMS groups are as they were.
    page.ShowBook(BookChange::Groups);
    page.MessageBox(kFileSaveCompleted);
    PbLoadReport report;
    report.namedGroups = named;
    Finish(page, LoadReportText(report));
    return true;
}

}  // namespace numora
