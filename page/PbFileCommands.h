// "File Open" and "File Save" of a phone-book file (*.pb): the path from the dialog, the page
// locked while the bytes go to or from the book, and the messages that end them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/PbFile.h"
#include "book/PhoneBook.h"
#include "page/BookView.h"

namespace numora {

inline constexpr std::string_view kFileOpenFailed = "File open failed!";
inline constexpr std::string_view kFileReadCompleted = "File read completed!";
inline constexpr std::string_view kFileSaveFailed = "File save failed!";
inline constexpr std::string_view kFileSaveError = "File Save Error!";
inline constexpr std::string_view kFileSaveCompleted = "File save completed!";
inline constexpr std::string_view kNotAPhoneBook =
    "This is not a phone-book file: no record in it could be read. The book is unchanged.";

// No phone book comes near this size; a larger file is not read.
constexpr std::size_t kMaxBookFileBytes = std::size_t{16} << 20;
inline constexpr std::string_view kFileTooLarge =
    "The file is larger than 16 MB: no phone book is that large. The book is unchanged.";

enum class ReadResult { Done, Failed, TooLarge };

// Who may read a file a save creates: a book with secret entries is its owner's alone.
enum class FileReaders { Everyone, OwnerOnly };
[[nodiscard]] FileReaders ReadersFor(const PhoneBook& book);

// Where the file commands read and write, and how the path is chosen.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    // The path picked in the open or save dialog; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenPath() = 0;
    virtual std::optional<std::string> ChooseSavePath() = 0;
    // The whole file, unless it is larger than kMaxBookFileBytes.
    virtual ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) = 0;
    // Replaces the file with the bytes as one step: on any failure the old file stays as it was.
    // A file replaced keeps its permissions; `readers` says who may read a new one.
    virtual bool Save(const std::string& path, std::span<const uint8_t> bytes,
                      FileReaders readers) = 0;
};

// What the file commands need from the page besides what every long operation on the book
// needs.
class FileView : public virtual BookView {
public:
    // Lets the window repaint before a long stretch of work.
    virtual void Repaint() {}
};

// "File Open" and "File Save", from the dialog to the final message. They run to completion
// with the page's controls locked. File Open refuses a file that is no phone-book file and
// tells, after "File read completed!", what it could not read. File Save writes nothing when
// the book cannot be laid out whole, and leaves the book as it was when the save fails.
[[nodiscard]] std::optional<PbLoadReport> FileOpen(PhoneBook& book, FileView& page,
                                                   FileAccess& files);
bool FileSave(PhoneBook& book, FileView& page, FileAccess& files);

}  // namespace numora
