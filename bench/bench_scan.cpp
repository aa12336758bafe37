// Scan over a tree of real tracks (PITBOX_SCAN_TREE, made by make_tree with
// sizes), as the program and the command line run it, through the Scan job:
// reading every file, and a Scan of the same library unchanged since it was
// read, which only looks at each file's stamp, with and without the walk of
// the folder that comes first.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "jobs/scan_job.h"
#include "jobs/walk_job.h"
#include "library/library_store.h"

namespace {

struct Library {
    Library() {
        const char* tree = std::getenv("PITBOX_SCAN_TREE");
        if (!tree) return;
        pitbox::WalkJob walk(std::string(tree) + "/", true);
        pitbox::JobProgress progress;
        walk.run(progress);
        if (!walk.walked()) return;
        catalogue = std::move(walk.found());
        pitbox::ScanJob(pitbox::ScanJob::filesOf(catalogue, true), pitbox::ScanKind::EveryFile)
            .runInto(catalogue, progress);
    }
    pitbox::Catalogue catalogue;
};

Library& library() {
    static Library made;
    return made;
}

void scan(benchmark::State& state, pitbox::ScanKind kind) {
    pitbox::Catalogue& catalogue = library().catalogue;
    if (catalogue.count() == 0) {
        state.SkipWithError("set PITBOX_SCAN_TREE to a tree of tracks");
        return;
    }
    std::size_t read = 0;
    for (auto _ : state) {
        pitbox::JobProgress progress;
        read += pitbox::ScanJob(pitbox::ScanJob::filesOf(catalogue, false), kind).runInto(catalogue, progress);
    }
    state.counters["files_read_per_scan"] =
        static_cast<double>(read) / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}

// The program's Scan of an unchanged library: the walk, what was known kept,
// then the stamps.
void BM_ScanUnchangedWithWalk(benchmark::State& state) {
    const pitbox::Catalogue& known = library().catalogue;
    if (known.count() == 0) {
        state.SkipWithError("set PITBOX_SCAN_TREE to a tree of tracks");
        return;
    }
    for (auto _ : state) {
        pitbox::WalkJob walk(known.root(), false);
        pitbox::JobProgress progress;
        walk.run(progress);
        pitbox::keepKnownEntries(walk.found(), known);
        benchmark::DoNotOptimize(
            pitbox::ScanJob(pitbox::ScanJob::filesOf(walk.found(), false), pitbox::ScanKind::ChangedFiles)
                .runInto(walk.found(), progress));
    }
}

void BM_ScanEveryFile(benchmark::State& state) { scan(state, pitbox::ScanKind::EveryFile); }
void BM_ScanUnchanged(benchmark::State& state) { scan(state, pitbox::ScanKind::ChangedFiles); }
BENCHMARK(BM_ScanEveryFile)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanUnchanged)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanUnchangedWithWalk)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
