// fillList with 100,000 entries into the Win32 backend's list view, timed:
// run under Wine in an X server (tests/wine/in_xvfb.sh PREFIX this.exe). The
// figure is indicative only: Wine is not Windows.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/app_state.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "toolkit/win32/win32_toolkit.h"

int main() {
    pitbox::ui::Win32Toolkit tk;
    pitbox::AppState s(tk);
    pitbox::startUp(s, "C:\\");
    for (int i = 0; i < 100000; ++i) {
        pitbox::TrackEntry& e = s.catalogue.append();
        e.name = "Track number " + std::to_string(i);
        e.author = "Author " + std::to_string(i % 700);
        e.worldSize = i % 256;
        e.length = i * 3;
        e.record = "Ann Bob";
        e.path = "C:\\tracks\\series" + std::to_string(i / 1000) + "\\Track number " + std::to_string(i) + ".trk";
    }
    s.view.reset(s.catalogue);
    std::vector<double> ms;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        pitbox::fillList(s);
        tk.keepPainted();  // the view takes the new rows and paints
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("fillList 100,000 rows into the list view: median %.1f ms (of %zu runs)\n", ms[ms.size() / 2],
                ms.size());
    return 0;
}
