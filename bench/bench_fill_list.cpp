// fillList with 100,000 entries into the Qt backend's table, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/app_state.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "toolkit/qt/qt_toolkit.h"

static void BM_FillList100k(benchmark::State& state) {
    pitbox::ui::QtToolkit tk;
    pitbox::AppState s(tk);
    pitbox::startUp(s, "/tmp");
    for (int i = 0; i < 100000; ++i) {
        pitbox::TrackEntry& e = s.catalogue.append();
        e.name = "Track number " + std::to_string(i);
        e.author = "Author " + std::to_string(i % 700);
        e.worldSize = i % 256;
        e.length = i * 3;
        e.record = "Ann Bob";
        e.path = "/home/user/tracks/series" + std::to_string(i / 1000) + "/Track number " + std::to_string(i) + ".trk";
    }
    s.view.reset(s.catalogue);
    for (auto _ : state) {
        pitbox::fillList(s);
        QApplication::processEvents();  // the view takes the new rows and paints
    }
}
BENCHMARK(BM_FillList100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
