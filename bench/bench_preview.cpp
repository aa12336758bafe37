// The preview of a dense track: a full map of short terrain runs, 5,000 objects
// among them 500 blocks, built without image encoding.
#include <benchmark/benchmark.h>

#include "dense_track.h"
#include "preview/preview.h"
#include "tools/track_writer.h"

static void BM_DenseTrackPreview(benchmark::State& state) {
    const pitbox::test::TrackSpec s = denseTrack(7);
    const auto bytes = pitbox::test::writeTrack(s);
    pitbox::HeaderFields h;
    (void)pitbox::readTrackHeader(bytes, h);
    for (auto _ : state) {
        pitbox::raster::Picture p = pitbox::preview::buildBasePicture(bytes, h);
        pitbox::preview::drawWaterLayer(p, bytes, h);
        pitbox::preview::drawObjectLayer(p, bytes, h);
        benchmark::DoNotOptimize(p.pixels().data());
    }
}
BENCHMARK(BM_DenseTrackPreview)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// The slowest valid track: 32,768 blocks stacked on one spot at world size 13,
// each as large as the map.
static void BM_StackedBlocks(benchmark::State& state) {
    pitbox::test::TrackSpec s;
    s.worldSize = 13;
    for (int k = 0; k < 32768; ++k) s.objects.push_back({17, 512, 512, static_cast<std::uint8_t>(k)});
    const auto bytes = pitbox::test::writeTrack(s);
    pitbox::HeaderFields h;
    (void)pitbox::readTrackHeader(bytes, h);
    for (auto _ : state) {
        pitbox::raster::Picture p = pitbox::preview::buildBasePicture(bytes, h);
        pitbox::preview::drawObjectLayer(p, bytes, h);
        benchmark::DoNotOptimize(p.pixels().data());
    }
}
BENCHMARK(BM_StackedBlocks)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
