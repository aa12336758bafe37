// One start of the program on the library its store remembers (the store of
// XDG_STATE_HOME), offscreen, as a user starts it: the window made, the store
// read, the table filled and painted, then the check of the folder run to its
// end. One start a process, so that the peak memory is the start's own; prints
// one JSON line: the times from the program's first line, the rows, the peak.
#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "library/store_file.h"
#include "toolkit/qt/qt_toolkit.h"

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
    while (pitbox::tickWork(s)) (void)tk.waitEvent(5);
    tk.windowWidget(pitbox::ids::kMainWindow)->repaint();
    QApplication::processEvents();
    const double checked = msSince(start);
    std::printf("{\"table_ms\": %.1f, \"checked_ms\": %.1f, \"rows\": %zu, \"checked_rows\": %zu, \"peak_kib\": %ld}\n",
                table, checked, rows, s.view.rows(), peakKib());
    return rows > 0 ? 0 : 1;
}
