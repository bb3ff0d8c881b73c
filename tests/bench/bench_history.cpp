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

// A new version each time: the snapshot is written, and past 200 the oldest is looked at.
void BM_RecordNewVersion(benchmark::State& state) {
    QTemporaryDir dir;
    CBookHistory history(dir.filePath(QStringLiteral("history")));
    CPBData book = test::LargestBook();
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
    const CPBData book = test::LargestBook();
    history.Record(book, QStringLiteral("read from phone"));
    for (auto _ : state)
        history.Record(book, QStringLiteral("read from phone"));
}
BENCHMARK(BM_RecordSameBook)->Unit(benchmark::kMillisecond);

void BM_CompareFullBooks(benchmark::State& state) {
    const CPBData a = test::LargestBook();
    CPBData b = a;
    for (int i = 0; i < kEntrySlots; i += 3)
        b.DeleteEntry(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(CompareBooks(a, b).size());
}
BENCHMARK(BM_CompareFullBooks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
