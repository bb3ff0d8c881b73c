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
};

// Takes the records of a file into the book in file order. The caller resets the book first.
// Progress advances by the bytes consumed.
PbLoadReport ReadPbRecords(CPBData& book, std::span<const uint8_t> bytes, IProgress* progress);

// Lays the book out as a file. False when a group chain names a slot that holds no entry; the
// bytes then hold the records before it. Assembling entries clamps their codes in the book.
bool WritePbRecords(CPBData& book, std::vector<uint8_t>& out, IProgress* progress);

// Where the file commands read and write, and how the path is chosen.
class IFileAccess {
public:
    virtual ~IFileAccess() = default;
    // The path picked in the open or save dialog; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenPath() = 0;
    virtual std::optional<std::string> ChooseSavePath() = 0;
    virtual bool ReadAll(const std::string& path, std::vector<uint8_t>& bytes) = 0;
    // Replaces any file of that name with a new empty one; false when it cannot be created.
    virtual bool Create(const std::string& path) = 0;
    virtual bool Write(std::span<const uint8_t> bytes) = 0;
    virtual void Close() = 0;
};

// "File Open" and "File Save", from the dialog to the final message. They run to completion
// with the page's controls locked.
std::optional<PbLoadReport> FileOpen(CPBData& book, IPageSeam& page, IFileAccess& files);
bool FileSave(CPBData& book, IPageSeam& page, IFileAccess& files);

}  // namespace numora
