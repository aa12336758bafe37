#pragma once
#include <chrono>
#include <thread>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/long_work.h"
#include "app/main_window.h"
#include "app/remembered_library.h"
#include "support/scripted_toolkit.h"

namespace pitbox::test {

// The program on the scripted toolkit, started up in `workingFolder`.
struct ScriptedApp {
    // With `workByHand` the test runs the steps of long work itself; else a
    // start folder is loaded before the constructor returns.
    explicit ScriptedApp(const std::string& workingFolder = "/tmp/", const std::string& startFolder = {},
                         const std::string& storePath = {}, bool forgetStore = false, bool workByHand = false)
        : state(tk) {
        state.storePath = storePath;
        state.forgetStore = forgetStore;
        state.workByHand = workByHand;
        startUp(state, workingFolder, startFolder);
        while (!workByHand && state.work) tickWork(state);
    }

    // Runs the main loop over what the script holds; returns the exit code.
    int run() { return runMainLoop(state); }
    // Dispatches what the script holds, as the main loop would, but leaves the
    // main window open so that the test can read it afterwards.
    void drive() {
        for (;;) {
            // Steps run by hand: only what the script holds is handed on.
            if (state.workByHand && tk.scriptEmpty()) break;
            const ui::Event e = nextEvent(state);
            if (tk.scriptExhausted() || (e.kind == ui::EventKind::CloseRequest && e.window == ids::kMainWindow)) break;
            dispatchMainEvent(state, e);
        }
    }
    // Takes one scripted event and hands it on, as the main loop does (taking
    // what running work made first).
    void handleOne() { dispatchMainEvent(state, nextEvent(state)); }
    // Runs the work's steps (with workByHand) and takes what they made, to its end.
    void finishWork() {
        while (state.work || state.check) {
            stepWorkByHand(state, SIZE_MAX);
            tickWork(state);
        }
    }
    // Runs the check of the remembered library to its end.
    void finishCheck() {
        while (tickWork(state)) {
            if (state.workByHand)
                stepWorkByHand(state, SIZE_MAX);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::string text(int gadget) const { return tk.text(ids::kMainWindow, gadget); }
    std::vector<std::string> rows() const { return tk.rows(ids::kMainWindow, ids::kTable); }
    void click(int gadget) { tk.click(ids::kMainWindow, gadget); }
    void clickHeader(int window, int gadget, int column) { tk.clickHeader(window, gadget, column); }
    void selectRows(const std::vector<std::size_t>& rows) { tk.selectRows(ids::kMainWindow, ids::kTable, rows); }
    // Loads a folder through the Load button, the next scripted step waiting
    // for the Load to end.
    void load(const std::string& folder) {
        tk.answerFolder(folder);
        click(ids::kLoad);
        settle();
    }
    // A scripted step that lets the user's running work end before the next.
    void settle() {
        tk.push([this]() -> std::optional<ui::Event> {
            while (state.work) {
                if (state.workByHand)
                    stepWorkByHand(state, SIZE_MAX);
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                tickWork(state);
            }
            return std::nullopt;
        });
    }

    ScriptedToolkit tk;
    AppState state;
};

}  // namespace pitbox::test
