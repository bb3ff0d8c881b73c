// Refreshing the phone book page's list from a full 300-entry book: the rows blanked, every
// entry's 19 cells filled, the panel shown again; and the same with the list painted.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/UiTestSupport.h"

namespace {

using namespace numora;

// The page with the largest book shown, its list painted once.
struct Page : test::PageRig {
    Page() {
        Load([](CPBData& book) { book = test::LargestBook(); });
        QApplication::processEvents();
    }
};

void BM_RefreshList(benchmark::State& state) {
    Page p;
    for (auto _ : state)
        p.page.RefreshList();
}
BENCHMARK(BM_RefreshList)->Unit(benchmark::kMillisecond);

void BM_RefreshListAndPaint(benchmark::State& state) {
    Page p;
    for (auto _ : state) {
        p.page.RefreshList();
        p.page.List()->viewport()->repaint();
    }
}
BENCHMARK(BM_RefreshListAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
