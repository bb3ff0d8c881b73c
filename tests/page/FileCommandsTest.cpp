#include "page/PbFileCommands.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "book/PbFile.h"
#include "book/Records.h"
#include "formats/BookJson.h"
#include "support/BookBuilder.h"
#include "support/FakeBookPage.h"

namespace numora {
namespace {

using test::AddEntry;
using test::RichBook;

// Files in memory, with the dialogs answered by the test.
struct MemoryFiles : FileAccess {
    std::optional<std::string> ChooseOpenPath() override { return chosen; }
    std::optional<std::string> ChooseSavePath() override { return chosen; }
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override {
        const auto it = files.find(path);
        if (it == files.end()) return ReadResult::Failed;
        if (it->second.size() > kMaxBookFileBytes) return ReadResult::TooLarge;
        bytes = it->second;
        return ReadResult::Done;
    }
    bool Save(const std::string& path, std::span<const uint8_t> bytes, FileReaders who) override {
        if (readOnly) return false;
        files[path].assign(bytes.begin(), bytes.end());
        readers[path] = who;
        return true;
    }

    std::optional<std::string> chosen = "book.pb";
    std::map<std::string, std::vector<uint8_t>> files;
    std::map<std::string, FileReaders> readers;
    bool readOnly = false;
};

std::vector<uint8_t> Save(PhoneBook& book) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(WritePbRecords(book, out, nullptr));
    return out;
}

TEST(FileCommandsTest, FileOpenReportsAndUnlocksWhateverHappens) {
    MemoryFiles files;
    PhoneBook source = RichBook();
    files.files["book.pb"] = Save(source);
    files.files["empty.pb"] = {};

    PhoneBook book;
    test::FakeBookPage page;
    page.progress = 40;  // where another command left the bar
    ASSERT_TRUE(FileOpen(book, page, files).has_value());
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File read completed!"}));
    EXPECT_EQ(page.rangeHi, static_cast<int>(files.files["book.pb"].size()) + 4);
    EXPECT_EQ(page.maxProgress, page.rangeHi);
    EXPECT_EQ(page.progress, 0);
    EXPECT_TRUE(page.enabled);
    EXPECT_TRUE(page.Called("ClearForm") && page.Called("ShowBook(Everything)"));
    EXPECT_EQ(BookToJson(book), BookToJson(source));

    // An empty file empties the book and completes, but says what it is.
    files.chosen = "empty.pb";
    page.messages.clear();
    ASSERT_TRUE(FileOpen(book, page, files).has_value());
    EXPECT_EQ(page.messages,
              (std::vector<std::string>{"File read completed!",
                                        "The file is empty: it holds no phone book."}));
    EXPECT_EQ(book.CountUsedEntries(), 0);

    // A file that cannot be read leaves the book alone and removes the work file; one larger
    // than any book also says why.
    PhoneBook kept = RichBook();
    const std::string before = BookToJson(kept);
    files.chosen = "missing.pb";
    page.messages.clear();
    EXPECT_FALSE(FileOpen(kept, page, files).has_value());
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File open failed!"}));
    EXPECT_EQ(page.workFileDeletes, 1);
    EXPECT_TRUE(page.enabled);
    EXPECT_EQ(BookToJson(kept), before);
    files.files["huge.pb"].assign(kMaxBookFileBytes + 1, 0x26);
    files.chosen = "huge.pb";
    page.messages.clear();
    EXPECT_FALSE(FileOpen(kept, page, files).has_value());
    EXPECT_EQ(page.messages,
              (std::vector<std::string>{"File open failed!", std::string(kFileTooLarge)}));
    EXPECT_EQ(BookToJson(kept), before);

    // Bytes that hold no phone book are refused; the book stays.
    files.files["noise.pb"] = std::vector<uint8_t>(4000, 0x41);
    files.chosen = "noise.pb";
    page.messages.clear();
    EXPECT_FALSE(FileOpen(kept, page, files).has_value());
    ASSERT_EQ(page.messages.size(), 2u);
    EXPECT_EQ(page.messages[0], "File open failed!");
    EXPECT_NE(page.messages[1].find("not a phone-book file"), std::string::npos);
    EXPECT_EQ(BookToJson(kept), before);
    EXPECT_TRUE(page.enabled);

    // A damaged file loads what it can and says, after the completion, what it skipped.
    auto cut = files.files["book.pb"];
    cut.resize(cut.size() - 50);
    files.files["cut.pb"] = cut;
    files.chosen = "cut.pb";
    page.messages.clear();
    const auto report = FileOpen(kept, page, files);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->truncated);
    ASSERT_EQ(page.messages.size(), 2u);
    EXPECT_EQ(page.messages[0], "File read completed!");
    EXPECT_NE(page.messages[1].find("cut short"), std::string::npos);

    // Cancelling the dialog says nothing.
    files.chosen.reset();
    page.messages.clear();
    EXPECT_FALSE(FileOpen(kept, page, files).has_value());
    EXPECT_TRUE(page.messages.empty());
    EXPECT_TRUE(page.enabled);
}

TEST(FileCommandsTest, FileSaveReportsEachOutcome) {
    MemoryFiles files;
    PhoneBook book = RichBook();
    test::FakeBookPage page;
    EXPECT_TRUE(FileSave(book, page, files));
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File save completed!"}));
    EXPECT_TRUE(page.Called("Repaint"));
    // A hundred for each group and entry record, one for each speed dial, then full.
    EXPECT_EQ(std::vector<int>(page.positions.end() - 3, page.positions.end()),
              (std::vector<int>{1 + 100 * (4 + 6) + kSpeedDialSlots, 32600, 0}));

    // Cancelling the dialog saves nothing and says nothing.
    files.chosen.reset();
    EXPECT_FALSE(FileSave(book, page, files));
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File save completed!"}));
    EXPECT_TRUE(page.enabled);
    files.chosen = "book.pb";

    // Unwritable: nothing changes, not even the codes.
    PhoneBook codes;
    AddEntry(codes, 2, "x", kEtcGroup);
    PBEntry e;
    ASSERT_TRUE(codes.GetEntry(2, e));
    e.ringer = 150;
    codes.SetEntry(e);
    files.readOnly = true;
    page.messages.clear();
    EXPECT_FALSE(FileSave(codes, page, files));
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File save failed!"}));
    EXPECT_EQ(codes.Entry(2).ringer, 150);

    // A book with a secret entry is for its owner's eyes only.
    files.readOnly = false;
    files.chosen = "plain.pb";
    EXPECT_TRUE(FileSave(codes, page, files));
    EXPECT_EQ(files.readers["plain.pb"], FileReaders::Everyone);
    EXPECT_EQ(files.readers["book.pb"], FileReaders::OwnerOnly);
    files.chosen = "book.pb";

    // A chain naming an emptied slot stops the save before anything is written: the old file
    // stays whole.
    const auto good = files.files["book.pb"];
    PhoneBook broken;
    broken.SetGroup(2, "Broken");
    AddEntry(broken, 8, "a", 2);
    AddEntry(broken, 9, "b", 2);
    broken.ResetEntry(8);  // leaves the chain 9 -> 8 pointing at an empty slot
    page.messages.clear();
    EXPECT_FALSE(FileSave(broken, page, files));
    EXPECT_EQ(page.messages, (std::vector<std::string>{"File Save Error!"}));
    EXPECT_EQ(files.files["book.pb"], good);
    EXPECT_TRUE(page.enabled);
}

}  // namespace
}  // namespace numora
