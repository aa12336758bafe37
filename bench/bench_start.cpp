// One start of the program on the library its store remembers (the store of
// XDG_STATE_HOME), offscreen, as a user starts it: the window made, the store
// read, the table filled and painted, then the check of the folder run to its
// end. One start a process, so that the peak memory is the start's own; prints
// one JSON line: the times from the program's first line, the rows, the peak
// when the table was shown and once the check was done.
//
// Given a folder of the library (and "whole", to look at the whole tree at
// each change, as when it holds a folder link), then adds a track there and
// removes it, each time until the table shows it, the watch's 300 ms of quiet
// included.
#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/library_watch.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "app/remembered_library.h"
#include "library/store_file.h"
#include "toolkit/qt/qt_toolkit.h"
#include "tools/track_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The process's peak resident memory so far, in KiB.
long peakKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
    return -1;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Took {
    double shown = -1;  // until the table showed the change
    double done = -1;   // until the work it started (the new track read, the store written) ended
};

// Runs the loop as the program does until `shown` holds and the work it
// started is over.
template <class Shown>
Took until(pitbox::AppState& s, pitbox::ui::QtToolkit& tk, Shown shown) {
    const auto begun = Clock::now();
    Took took;
    while (took.shown < 0 || s.check || s.work) {
        const int due = pitbox::takeLibraryChanges(s, Clock::now());
        const bool working = pitbox::tickWork(s);
        if (took.shown < 0 && shown()) took.shown = msSince(begun);
        (void)tk.waitEvent(working ? 5 : due < 0 ? 50 : due);
        if (msSince(begun) > 60000) return {};
    }
    took.done = msSince(begun);
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    const auto start = Clock::now();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pitbox::ui::QtToolkit tk;
    pitbox::AppState s(tk);
    s.storePath = pitbox::libraryStorePath();
    s.watchesLibrary = true;
    pitbox::startUp(s, "/tmp");
    tk.windowWidget(pitbox::ids::kMainWindow)->repaint();
    QApplication::processEvents();
    const double table = msSince(start);
    const std::size_t rows = s.view.rows();
    const long tablePeak = peakKib();
    while (pitbox::tickWork(s)) (void)tk.waitEvent(5);
    tk.windowWidget(pitbox::ids::kMainWindow)->repaint();
    QApplication::processEvents();
    const double checked = msSince(start);
    const std::size_t checkedRows = s.view.rows();
    const long checkedPeak = peakKib();
    Took added{0, 0}, removed{0, 0};
    if (argc > 1) {
        const bool whole = argc > 2 && std::string(argv[2]) == "whole";
        const std::string track = std::string(argv[1]) + "bench-change.trk";
        s.treeHasLinks = whole;
        pitbox::test::saveTrack(track, pitbox::test::TrackSpec{});
        added = until(s, tk, [&] { return s.view.rows() == checkedRows + 1; });
        s.treeHasLinks = whole;
        std::remove(track.c_str());
        removed = until(s, tk, [&] { return s.view.rows() == checkedRows; });
        // As the program does when it closes: the next start finds the store as this one did.
        pitbox::rememberLibrary(s);
    }
    std::printf(
        "{\"table_ms\": %.1f, \"checked_ms\": %.1f, \"rows\": %zu, \"checked_rows\": %zu, \"table_peak_kib\": %ld, "
        "\"peak_kib\": %ld, "
        "\"changes_peak_kib\": %ld, "
        "\"added_shown_ms\": %.1f, \"added_done_ms\": %.1f, \"removed_shown_ms\": %.1f, "
        "\"removed_done_ms\": %.1f}\n",
        table, checked, rows, checkedRows, tablePeak, checkedPeak, peakKib(), added.shown, added.done, removed.shown,
        removed.done);
    return rows > 0 && added.done >= 0 && removed.done >= 0 ? 0 : 1;
}
