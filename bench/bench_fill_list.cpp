// The table with 100,000 and with 1,000,000 tracks (the argument, in hundred
// thousands) in the Qt backend, offscreen: filling it, a keystroke in the
// filter box, and a sort that keeps half the tracks selected, each up to the
// table's next paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <memory>

#include "app/app_state.h"
#include "app/find_duplicates.h"
#include "app/ids.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "large_catalogue.h"
#include "library/library_store.h"
#include "qt_benchmark_main.h"
#include "toolkit/qt/qt_toolkit.h"

namespace {

struct Table {
    explicit Table(int hundredThousands = 1) : s(tk) {
        pitbox::startUp(s, "/tmp");
        for (int i = 0; i < hundredThousands; ++i)
            fillLargeCatalogue(s.catalogue, "/home/user/tracks" + std::to_string(i) + "/", '/');
        s.view.reset(s.catalogue);
        s.view.prepareSearch();
        pitbox::fillList(s);
        QApplication::processEvents();
    }
    void paint() {
        tk.windowWidget(pitbox::ids::kMainWindow)->repaint();
        QApplication::processEvents();
    }
    pitbox::ui::QtToolkit tk;
    pitbox::AppState s;
};

constexpr int kLibrary = 1;  // hundred thousands: 100,000 and 1,000,000 tracks
constexpr int kMillion = 10;

int hundredThousands(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void BM_FillList(benchmark::State& state) {
    Table t(hundredThousands(state));
    for (auto _ : state) {
        pitbox::fillList(t.s);
        t.paint();
    }
}
BENCHMARK(BM_FillList)
    ->Arg(kLibrary)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One keystroke in the filter box: the field's text changes, the view filters
// the tracks, the table shows the result and paints.
void BM_FilterKeystroke(benchmark::State& state) {
    Table t(hundredThousands(state));
    const char* typed[] = {"m", "ma", "mak", "maki", "makinen 1", "makinen 12", "makinen 1", "maki", "ma", "m", ""};
    std::size_t next = 0;
    for (auto _ : state) {
        t.tk.setText(pitbox::ids::kMainWindow, pitbox::ids::kFilter, typed[next++ % std::size(typed)]);
        pitbox::filterChanged(t.s);
        t.paint();
    }
}
BENCHMARK(BM_FilterKeystroke)
    ->Arg(kLibrary)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A paste of 60,000 words (a text of a thousand words, repeated) into the
// filter box: each word is looked for once.
void BM_FilterPaste60kWords(benchmark::State& state) {
    Table t(hundredThousands(state));
    std::string text;
    for (int i = 0; i < 60000; ++i) text += (i % 7 ? "word" + std::to_string(i % 1000) : "track") + " ";
    bool pasted = false;
    for (auto _ : state) {
        t.tk.setText(pitbox::ids::kMainWindow, pitbox::ids::kFilter, (pasted = !pasted) ? text : "");
        pitbox::filterChanged(t.s);
        t.paint();
    }
}
BENCHMARK(BM_FilterPaste60kWords)
    ->Arg(kLibrary)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A header sort with every second track selected (the worst case: as many
// separate ranges as half the tracks), against the same sort with nothing selected.
void sortTwoWays(benchmark::State& state, bool withSelection) {
    Table t(hundredThousands(state));
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; withSelection && r < t.s.catalogue.count(); r += 2) rows.push_back(r);
    t.s.view.selectRows(rows);
    int column = 1;
    for (auto _ : state) {
        pitbox::headerSort(t.s, column);
        column = column == 1 ? 2 : 1;
        t.paint();
    }
    state.counters["selected"] = static_cast<double>(t.s.view.selectedCount());
}
void BM_SortKeepingHalfSelected(benchmark::State& state) { sortTwoWays(state, true); }
void BM_SortNothingSelected(benchmark::State& state) { sortTwoWays(state, false); }
BENCHMARK(BM_SortKeepingHalfSelected)
    ->Arg(kLibrary)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SortNothingSelected)
    ->Arg(kLibrary)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A header sort of 1,000,000 tracks by each column (the argument), turning
// between ascending and descending, up to the paint.
void BM_SortMillionByColumn(benchmark::State& state) {
    Table t(kMillion);
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        pitbox::headerSort(t.s, column);
        t.paint();
    }
}
BENCHMARK(BM_SortMillionByColumn)
    ->DenseRange(0, 5)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// Select extras in the Duplicates view of 200,000 tracks in 3,000 groups (the
// search done): every track but one of each group selected, up to the paint.
void BM_SelectExtras200kIn3000Groups(benchmark::State& state) {
    Table t(2);
    std::vector<pitbox::CatalogueView::DuplicateOf> groups;
    std::uint32_t i = 0;
    for (const pitbox::TrackEntry& e : std::as_const(t.s.catalogue).entries()) {
        groups.push_back({&e, i % 3000, pitbox::CatalogueView::Duplicate::Identical});
        t.s.catalogue.byId(e.id).stamp.modified = i++ % 7;
    }
    t.s.view.showDuplicates(groups);
    pitbox::fillList(t.s);
    t.paint();
    double selecting = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pitbox::selectExtras(t.s);
        selecting += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        t.paint();
    }
    state.counters["selected"] = static_cast<double>(t.s.view.selectedCount());
    state.counters["select_ms"] = selecting / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_SelectExtras200kIn3000Groups)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A start of the program with 100,000 remembered tracks, up to the filled
// table's first paint: the window made, the store read, the table filled (the
// start's pause to let the window settle, 100 ms, included). The remembered
// folder is missing, so its check ends at once.
void BM_StartWithRemembered100k(benchmark::State& state) {
    const std::string store = "/tmp/pitbox-bench-start/library.dat";
    {
        pitbox::Catalogue c;
        fillLargeCatalogue(c, "/tmp/pitbox-bench-start/missing/", '/');
        const std::string folder = "/tmp/pitbox-bench-start/missing/";
        pitbox::RememberedLibrary library;
        library.remember(folder, c);
        pitbox::RememberedSettings settings;
        settings.loadFolder = folder;
        if (!pitbox::writeLibrary(store, library) ||
            !pitbox::writeSettings(pitbox::settingsPathBeside(store), settings)) {
            state.SkipWithError("cannot write the store");
            return;
        }
    }
    for (auto _ : state) {
        auto tk = std::make_unique<pitbox::ui::QtToolkit>();
        auto s = std::make_unique<pitbox::AppState>(*tk);
        s->storePath = store;
        pitbox::startUp(*s, "/tmp");
        tk->windowWidget(pitbox::ids::kMainWindow)->repaint();
        QApplication::processEvents();
        state.PauseTiming();  // the closing is not the start's
        state.counters["rows"] = static_cast<double>(s->view.rows());
        s.reset();
        tk.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithRemembered100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks(argc, argv); }
