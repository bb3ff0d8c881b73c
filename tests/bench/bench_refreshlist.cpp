// Refreshing the phone book page's list from a full 300-entry book: the rows blanked, every
// entry's 19 cells filled, the panel shown again; and the same with the list painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "link/Profile.h"
#include "support/BookBuilder.h"
#include "support/FakeClock.h"
#include "ui/PBDialog.h"
#include "ui/PBListCtrl.h"

namespace {

using namespace numora;

class CNoPort : public IPort {
public:
    bool Open(const std::string&, int) override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    int Write(std::span<const uint8_t>) override { return 0; }
};

struct Page {
    CNoPort port;
    test::FakeClock clock;
    CMemoryProfile profile;
    CPBDialog page{port, clock, profile};

    Page() {
        page.Book() = test::LargestBook();
        page.FillGroupCombos();
        page.FillSmsGroupCombo();
        page.show();
        QApplication::processEvents();
        page.RefreshList();
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
