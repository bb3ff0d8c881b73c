// A full 300-entry book loaded and saved, kept in the history, compared, shown in the window's
// list, and searched as the user types.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "book/BookDiff.h"
#include "book/PbFile.h"
#include "browse/BookSearch.h"
#include "formats/BookFormats.h"
#include "history/BookHistory.h"
#include "support/BookBuilder.h"
#include "ui/UiTestSupport.h"

namespace {

using namespace numora;

void BM_SaveFullBook(benchmark::State& state) {
    PhoneBook book = test::LargestBook();
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        bytes.clear();
        WritePbRecords(book, bytes, nullptr);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SaveFullBook);

void BM_LoadFullBook(benchmark::State& state) {
    PhoneBook source = test::LargestBook();
    std::vector<uint8_t> bytes;
    WritePbRecords(source, bytes, nullptr);
    for (auto _ : state) {
        PhoneBook book;
        ReadPbRecords(book, bytes, nullptr);
        benchmark::DoNotOptimize(book.CountUsedEntries());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFullBook);

// A card whose note is quoted-printable with a soft line break every 70 characters: the import
// must grow with the text, not with its square.
void BM_ImportQuotedPrintableCard(benchmark::State& state) {
    const std::string line = std::string(70, 'x') + "=\r\n";
    std::string card =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Q\r\nTEL;CELL:1\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:";
    for (int64_t k = 0; k < state.range(0) / static_cast<int64_t>(line.size()); ++k)
        card += line;
    card += "end\r\nEND:VCARD\r\n";
    for (auto _ : state) {
        PhoneBook book;
        benchmark::DoNotOptimize(BookFromText(BookFormat::VCard, card, book));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(card.size()));
}
BENCHMARK(BM_ImportQuotedPrintableCard)->Arg(160 << 10)->Arg(1600 << 10);

// The window keeps the book in the history at every read, write, open and save: it must cost
// the user no waiting (well under 5 ms). A new version each time is written, and past 200 the
// oldest is looked at; the same book again is read back and found equal to the newest.
void BM_RecordInHistory(benchmark::State& state) {
    QTemporaryDir dir;
    BookHistory history(dir.filePath(QStringLiteral("history")));
    PhoneBook book = test::LargestBook();
    history.Record(book, QStringLiteral("read from phone"));
    int n = 0;
    for (auto _ : state) {
        if (state.range(0) != 0) {
            PBEntry e = book.Entry(0);
            SetText(e.memo, "version " + std::to_string(++n));
            book.SetEntry(e);
        }
        if (!history.Record(book, QStringLiteral("read from phone")))
            state.SkipWithError("not stored");
    }
}
BENCHMARK(BM_RecordInHistory)->Arg(1)->Iterations(400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordInHistory)->Arg(0)->Unit(benchmark::kMillisecond);

// The comparison the history dialog and a verified write make.
void BM_CompareFullBooks(benchmark::State& state) {
    const PhoneBook a = test::LargestBook();
    PhoneBook b = a;
    for (int i = 0; i < kEntrySlots; i += 3)
        b.DeleteEntry(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(CompareBooks(a, b).size());
}
BENCHMARK(BM_CompareFullBooks)->Unit(benchmark::kMillisecond);

// The phone book page's list refreshed (rows blanked, every entry's 19 cells filled, the panel
// shown again), with the list painted when the argument is 1.
void BM_RefreshList(benchmark::State& state) {
    test::PageRig p;
    p.Load([](PhoneBook& book) { book = test::LargestBook(); });
    QApplication::processEvents();
    for (auto _ : state) {
        p.page.RefreshList();
        if (state.range(0) != 0) p.page.List()->viewport()->repaint();
    }
}
BENCHMARK(BM_RefreshList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A full book of numbers as people write them: 300 entries with a mobile, a home and an office
// number each, found under a home region.
PhoneBook WrittenNumbersBook() {
    PhoneBook book;
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e = test::MakeEntry(i, "Person " + std::to_string(i), kEtcGroup,
                                    "0170 " + std::to_string(1000000 + i * 37));
        SetNumber(e.numbers[1], "030 " + std::to_string(2000000 + i * 53));
        SetNumber(e.numbers[2], "+49 40 " + std::to_string(3000000 + i * 71));
        SetText(e.email, "person" + std::to_string(i) + "@example.org");
        book.SetEntry(e);
    }
    return book;
}

// Find as you type: each keystroke searches all 300 entries (under 1 ms each); the argument
// picks typing a name (0) or a number in its international form (1).
void BM_FindAsYouType(benchmark::State& state) {
    BookSearch search("DE");
    search.Index(WrittenNumbersBook());
    const std::vector<std::string> typed =
        state.range(0) == 0
            ? std::vector<std::string>{"p", "pe", "per", "pers", "person 2"}
            : std::vector<std::string>{"+4", "+49", "+4917", "+49170 10", "+49170 1001"};
    for (auto _ : state) {
        for (const std::string& text : typed)
            benchmark::DoNotOptimize(search.Find(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(typed.size()));
}
BENCHMARK(BM_FindAsYouType)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What the search takes from the book once after each change.
void BM_IndexForSearch(benchmark::State& state) {
    BookSearch search("DE");
    const PhoneBook book = WrittenNumbersBook();
    for (auto _ : state)
        search.Index(book);
}
BENCHMARK(BM_IndexForSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
