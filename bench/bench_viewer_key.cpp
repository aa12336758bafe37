// A key pressed in the open viewer, in the Qt backend offscreen: the key event,
// the next track made current in the table, its dense picture built and the
// viewer painted with it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/load_tracks.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "app/show_track.h"
#include "dense_track.h"
#include "qt_benchmark_main.h"
#include "toolkit/qt/qt_toolkit.h"

namespace {

void BM_ViewerKeyToPicture(benchmark::State& state) {
    char pattern[] = "/tmp/pitbox-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string folder = std::string(pattern) + "/";
    pitbox::test::saveTrack(folder + "a.trk", denseTrack(7));
    pitbox::test::saveTrack(folder + "b.trk", denseTrack(8));
    {
        pitbox::ui::QtToolkit tk;
        pitbox::AppState s(tk);
        pitbox::startUp(s, "/tmp");
        pitbox::loadFolder(s, folder);
        while (pitbox::tickWork(s)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        s.view.selectRows(std::vector<std::size_t>{0});
        pitbox::showTrack(s);
        QWidget* viewer = tk.windowWidget(pitbox::ids::kViewerWindow);
        QApplication::processEvents();
        bool down = true;
        for (auto _ : state) {
            QKeyEvent press(QEvent::KeyPress, down ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
            QApplication::sendEvent(viewer, &press);
            pitbox::dispatchMainEvent(s, tk.waitEvent(0));
            viewer->repaint();
            down = !down;
        }
        if (s.viewerTrack != folder + "a.trk" && s.viewerTrack != folder + "b.trk")
            state.SkipWithError("no track shown");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ViewerKeyToPicture)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return runQtBenchmarks(argc, argv); }
