// The phone-book file (*.pb): a headerless sequence of tagged fixed-length records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "book/PBData.h"
#include "book/PageSeam.h"

namespace numora {

inline constexpr std::string_view kFileOpenFailed = "File open failed!";
inline constexpr std::string_view kFileReadCompleted = "File read completed!";
inline constexpr std::string_view kFileSaveFailed = "File save failed!";
inline constexpr std::string_view kFileSaveError = "File Save Error!";
inline constexpr std::string_view kFileSaveCompleted = "File save completed!";

// What a load found besides the records it took.
struct PbLoadReport {
    int taken = 0;           // records that changed the book
    int ignored = 0;         // whole records the book could not take (slot outside the tables,
                             // no number, e-mail or wireless address, empty group name)
    int skippedBytes = 0;    // bytes that were no record tag
    bool truncated = false;  // the last record was cut short by the end of the file
    std::size_t fileBytes = 0;
    std::size_t soundBytes = 0;    // bytes of records taken, or empty SMS-group placeholders
    std::vector<int> namedGroups;  // group slots put in use for entries that named them

    // Something of the file could not be read: the book holds less than the file meant.
    bool Damaged() const { return truncated || ignored > 0 || skippedBytes > 0; }
    // Most of the file is no record the book could take: it is no phone-book file at all.
    bool NotAPhoneBook() const { return fileBytes > 0 && soundBytes * 2 < fileBytes; }
};

// What the user should know of a load besides "File read completed!": what was skipped, and
// which groups were put in use; empty when the file was read whole.
std::string LoadReportText(const PbLoadReport& report);

inline constexpr std::string_view kNotAPhoneBook =
    "This is not a phone-book file: no record in it could be read. The book is unchanged.";

// Takes the records of a file into the book in file order. The caller resets the book first.
// Progress advances by the bytes consumed. Entries whose group has no record keep it: the
// group is put in use under the name "Group N".
PbLoadReport ReadPbRecords(CPBData& book, std::span<const uint8_t> bytes, IProgress* progress);

// Lays the book out as a file. False when a group chain names a slot that holds no entry; the
// bytes then hold the records before it. Assembling entries clamps their codes in the book, and
// every valid entry is first made reachable from a group in use (CPBData::KeepStrayEntries).
bool WritePbRecords(CPBData& book, std::vector<uint8_t>& out, IProgress* progress);

// Where the file commands read and write, and how the path is chosen.
class IFileAccess {
public:
    virtual ~IFileAccess() = default;
    // The path picked in the open or save dialog; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenPath() = 0;
    virtual std::optional<std::string> ChooseSavePath() = 0;
    virtual bool ReadAll(const std::string& path, std::vector<uint8_t>& bytes) = 0;
    // Replaces the file with the bytes as one step: on any failure the old file stays as it was.
    virtual bool Save(const std::string& path, std::span<const uint8_t> bytes) = 0;
};

// "File Open" and "File Save", from the dialog to the final message. They run to completion
// with the page's controls locked. File Open refuses a file that is no phone-book file and
// tells, after "File read completed!", what it could not read. File Save writes nothing when
// the book cannot be laid out whole, and leaves the book as it was when the save fails.
std::optional<PbLoadReport> FileOpen(CPBData& book, IPageSeam& page, IFileAccess& files);
bool FileSave(CPBData& book, IPageSeam& page, IFileAccess& files);

}  // namespace numora
