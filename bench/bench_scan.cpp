// Scan over a tree of real tracks (PITBOX_SCAN_TREE, made by make_tree with
// sizes): reading every file, and a Scan of the same library unchanged since it
// was read, which only looks at each file's size and time, with and without
// the walk of the folder that comes first in the program.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "library/library_store.h"

namespace {

struct Library {
    Library() {
        const char* tree = std::getenv("PITBOX_SCAN_TREE");
        if (!tree || !pitbox::collectTracks(std::string(tree) + "/", catalogue, {}, true)) return;
        for (pitbox::TrackEntry& e : catalogue.entries()) (void)pitbox::refreshEntry(catalogue, e, buffer, header);
    }
    pitbox::Catalogue catalogue;
    pitbox::TrackBuffer buffer;
    pitbox::HeaderFields header;
};

void scan(benchmark::State& state, bool always) {
    static Library library;
    if (library.catalogue.count() == 0) {
        state.SkipWithError("set PITBOX_SCAN_TREE to a tree of tracks");
        return;
    }
    std::size_t read = 0;
    for (auto _ : state) {
        const auto stamps = pitbox::currentStamps(library.catalogue.entries());
        std::size_t i = 0;
        for (pitbox::TrackEntry& e : library.catalogue.entries()) {
            const auto& now = stamps[i++];
            if (!pitbox::needsReading(e, now, always)) continue;
            e.stamp = now.value_or(pitbox::platform::FileStamp{});
            (void)pitbox::refreshEntry(library.catalogue, e, library.buffer, library.header);
            ++read;
        }
    }
    state.counters["files_read_per_scan"] =
        static_cast<double>(read) / static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}

// The program's Scan of an unchanged library: the walk, what was known kept,
// then the stamps.
void BM_ScanUnchangedWithWalk(benchmark::State& state) {
    static Library library;
    if (library.catalogue.count() == 0) {
        state.SkipWithError("set PITBOX_SCAN_TREE to a tree of tracks");
        return;
    }
    for (auto _ : state) {
        pitbox::Catalogue found;
        (void)pitbox::collectTracks(library.catalogue.root(), found, {}, false);
        pitbox::keepKnownEntries(found, library.catalogue);
        std::size_t read = 0, i = 0;
        const auto stamps = pitbox::currentStamps(found.entries());
        for (pitbox::TrackEntry& e : found.entries()) read += pitbox::needsReading(e, stamps[i++], false);
        benchmark::DoNotOptimize(read);
    }
}

void BM_ScanEveryFile(benchmark::State& state) { scan(state, true); }
void BM_ScanUnchanged(benchmark::State& state) { scan(state, false); }
BENCHMARK(BM_ScanEveryFile)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanUnchanged)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanUnchangedWithWalk)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
