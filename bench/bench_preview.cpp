// The preview of a dense track: a full map of short terrain runs, 5,000 objects
// among them 500 blocks, built without image encoding.
#include <benchmark/benchmark.h>

#include <random>

#include "preview/preview.h"
#include "tools/track_writer.h"

static void BM_DenseTrackPreview(benchmark::State& state) {
    pitbox::test::TrackSpec s;
    std::mt19937 random(7);
    s.worldSize = 255;
    s.waterLevel = 100;
    s.terrainRuns.clear();
    for (int i = 0; i < 262144 / 8; ++i) s.terrainRuns.push_back(static_cast<std::uint16_t>(8 << 4 | (random() % 13)));
    for (auto& h : s.heightGrid) h = static_cast<std::uint8_t>(random());
    const std::int8_t small[] = {10, 9, 1, 2, 3, 23};
    for (int k = 0; k < 5000; ++k) {
        const std::int8_t kind = k < 500 ? 17 : small[random() % 6];
        s.objects.push_back({kind, static_cast<std::int16_t>(random() % 1024),
                             static_cast<std::int16_t>(random() % 1024), static_cast<std::uint8_t>(random())});
    }
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
