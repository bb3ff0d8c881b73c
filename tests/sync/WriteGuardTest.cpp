// The question before a write that would empty the handset or take much of its book away.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/BookBuilder.h"
#include "sync/WriteGuard.h"

namespace numora {
namespace {

TEST(WriteGuardTest, AWriteThatTakesMuchAwayIsNamedWithItsFigures) {
    const std::string since = " entries the phone held when it was last read or written.";
    struct Case {
        std::optional<int> held;  // entries of the phone's last known book; none: unknown
        int kept;                 // of them in the book to write
        std::string text;
        int renamed = 0;  // of those kept, changed in the book: no removal
    };
    const Case cases[] = {
        {10, 9, ""},  // a tenth goes without a question
        {10, 9, "", 5},
        {10, 8, "Writing this book removes 2 of the 10" + since},
        {100, 95, ""},
        {100, 94, "Writing this book removes 6 of the 100" + since},
        {10, 0, "This book holds no entries: writing it removes all 10" + since},
        {0, 0, "This book holds no entries: writing it leaves the phone with none."},
        {std::nullopt, 0, "This book holds no entries: writing it leaves the phone with none."},
        {std::nullopt, 3, ""},
    };
    for (const Case& c : cases) {
        PhoneBook last;
        PhoneBook book;
        for (int slot = 0; slot < c.held.value_or(c.kept); ++slot) {
            test::AddEntry(last, slot, "P" + std::to_string(slot), kEtcGroup);
            const std::string name = slot < c.renamed ? "Renamed" : "P" + std::to_string(slot);
            if (slot < c.kept) test::AddEntry(book, slot, name, kEtcGroup);
        }
        const WriteRisk risk = AssessWrite(book, c.held ? &last : nullptr);
        EXPECT_EQ(WriteRiskText(risk), c.text) << c.held.value_or(-1) << " " << c.kept;
    }
}

}  // namespace
}  // namespace numora
