// Loading and saving a full 300-entry book.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "book/BookFormats.h"
#include "book/PbFile.h"
#include "support/BookBuilder.h"

namespace {

using namespace numora;

void BM_SaveFullBook(benchmark::State& state) {
    CPBData book = test::LargestBook();
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
    CPBData source = test::LargestBook();
    std::vector<uint8_t> bytes;
    WritePbRecords(source, bytes, nullptr);
    for (auto _ : state) {
        CPBData book;
        ReadPbRecords(book, bytes, nullptr);
        benchmark::DoNotOptimize(book.CountUsedEntries());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFullBook);

}  // namespace

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
        numora::CPBData book;
        benchmark::DoNotOptimize(numora::BookFromText(numora::BookFormat::VCard, card, book));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(card.size()));
}
BENCHMARK(BM_ImportQuotedPrintableCard)->Arg(160 << 10)->Arg(1600 << 10);

BENCHMARK_MAIN();
