#pragma once
// The main of a benchmark program that drives the Qt backend, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>

inline int runQtBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
