// Long work beside the Qt event loop, offscreen, over a tree of tracks
// (PITBOX_LONG_WORK_TREE, 100,000 files made by make_tree): the longest the
// event loop waits between two events during a Scan of every file (a tick
// taking the work's results, then the window painted), and the time from Stop
// to the end of the work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "app/scan_tracks.h"
#include "qt_benchmark_main.h"
#include "toolkit/qt/qt_toolkit.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    Program() : s(tk) {
        pitbox::startUp(s, "/tmp");
        const char* tree = std::getenv("PITBOX_LONG_WORK_TREE");
        if (!tree) return;
        pitbox::loadFolder(s, std::string(tree) + "/");
        while (pitbox::tickWork(s)) QApplication::processEvents();
    }
    // One turn of the main loop while work runs: its results taken, then
    // what Qt has to do (painting what changed among it). Returns how long it took.
    double turn() {
        const auto start = Clock::now();
        pitbox::tickWork(s);
        QApplication::processEvents();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    pitbox::ui::QtToolkit tk;
    pitbox::AppState s;
};

void BM_LongestStallDuringScan(benchmark::State& state) {
    Program p;
    if (p.s.catalogue.count() == 0) {
        state.SkipWithError("set PITBOX_LONG_WORK_TREE to a tree of tracks");
        return;
    }
    double longest = 0;
    for (auto _ : state) {
        pitbox::refreshHeaders(p.s, true);
        while (p.s.work) longest = std::max(longest, p.turn());
    }
    state.counters["longest_stall_ms"] = longest;
    state.counters["tracks"] = static_cast<double>(p.s.catalogue.count());
}
BENCHMARK(BM_LongestStallDuringScan)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// Stop in the middle of a Scan of every file, timed to the work's end (the
// worker joined, what it read taken, the table filled).
void BM_StopToEnd(benchmark::State& state) {
    Program p;
    if (p.s.catalogue.count() == 0) {
        state.SkipWithError("set PITBOX_LONG_WORK_TREE to a tree of tracks");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        pitbox::refreshHeaders(p.s, true);
        const auto until = Clock::now() + std::chrono::milliseconds(300);
        while (Clock::now() < until) p.turn();
        state.ResumeTiming();
        pitbox::stopWork(p.s);
        while (p.s.work) p.turn();
    }
}
BENCHMARK(BM_StopToEnd)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks(argc, argv); }
