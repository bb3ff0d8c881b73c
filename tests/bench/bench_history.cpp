// Keeping a full 300-entry book in the history, as the window does at every read, write, open
// and save: it must cost the user no waiting (well under 5 ms). Also the comparison of two full
// books that the history dialog and a verified write make.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <string>

#include "book/BookDiff.h"
#include "history/BookHistory.h"
#include "support/BookBuilder.h"

namespace {

using namespace numora;

CPBData FullBook() {
    CPBData book;
    for (int g = 1; g <= 5; ++g)
        book.SetGroup(g, "Group " + std::to_string(g));
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e = test::MakeEntry(i, "Person " + std::to_string(i),
                                    static_cast<uint8_t>(1 + i % 6), std::string(32, '5'));
        for (auto& n : e.numbers)
            SetNumber(n, std::string(32, static_cast<char>('0' + i % 10)));
        SetText(e.email, std::string(48, 'e'));
        SetText(e.wireless, std::string(48, 'w'));
        SetText(e.memo, std::string(48, 'm'));
        book.SetEntry(e);
    }
    for (int n = 2; n <= 20; ++n)
        book.SetSpeedDial(n, static_cast<uint16_t>(n * 7), kMobile);
    return book;
}

// A new version each time: the snapshot is written, and past 200 the oldest is looked at.
void BM_RecordNewVersion(benchmark::State& state) {
    QTemporaryDir dir;
    CBookHistory history(dir.filePath(QStringLiteral("history")));
    CPBData book = FullBook();
    int n = 0;
    for (auto _ : state) {
        PBEntry e = book.Entry(0);
        SetText(e.memo, "version " + std::to_string(++n));
        book.SetEntry(e);
        if (!history.Record(book, QStringLiteral("file saved"))) state.SkipWithError("not stored");
    }
}
BENCHMARK(BM_RecordNewVersion)->Iterations(400)->Unit(benchmark::kMillisecond);

// The same book again: read back and found equal to the newest.
void BM_RecordSameBook(benchmark::State& state) {
    QTemporaryDir dir;
    CBookHistory history(dir.filePath(QStringLiteral("history")));
    const CPBData book = FullBook();
    history.Record(book, QStringLiteral("read from phone"));
    for (auto _ : state)
        history.Record(book, QStringLiteral("read from phone"));
}
BENCHMARK(BM_RecordSameBook)->Unit(benchmark::kMillisecond);

void BM_CompareFullBooks(benchmark::State& state) {
    const CPBData a = FullBook();
    CPBData b = a;
    for (int i = 0; i < kEntrySlots; i += 3)
        b.DeleteEntry(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(CompareBooks(a, b).size());
}
BENCHMARK(BM_CompareFullBooks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
