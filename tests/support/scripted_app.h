#pragma once
#include <chrono>
#include <thread>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/main_window.h"
#include "app/remembered_library.h"
#include "support/scripted_toolkit.h"

namespace pitbox::test {

// The program on the scripted toolkit, started up in `workingFolder`.
struct ScriptedApp {
    explicit ScriptedApp(const std::string& workingFolder = "/tmp/", const std::string& startFolder = {},
                         const std::string& storePath = {}, bool forgetStore = false)
        : state(tk) {
        state.storePath = storePath;
        state.forgetStore = forgetStore;
        startUp(state, workingFolder, startFolder);
    }

    // Runs the main loop over what the script holds; returns the exit code.
    int run() { return runMainLoop(state); }
    // Dispatches what the script holds, as the main loop would, but leaves the
    // main window open so that the test can read it afterwards.
    void drive() {
        for (;;) {
            const ui::Event e = nextEvent(state);
            if (tk.scriptExhausted() || (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow)) break;
            dispatchMainEvent(state, e);
        }
    }
    // Runs the check of the remembered library to its end.
    void finishCheck() {
        while (state.check) {
            checkLibraryStep(state);
            if (state.check) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::string text(int gadget) const { return tk.text(ids::kMainWindow, gadget); }
    std::vector<std::string> rows() const { return tk.rows(ids::kMainWindow, ids::kTable); }
    void click(int gadget) { tk.click(ids::kMainWindow, gadget); }
    void selectRows(const std::vector<std::size_t>& rows) { tk.selectRows(ids::kMainWindow, ids::kTable, rows); }
    // Loads a folder through the Load button.
    void load(const std::string& folder) {
        tk.answerFolder(folder);
        click(ids::kLoad);
    }

    ScriptedToolkit tk;
    AppState state;
};

}  // namespace pitbox::test
