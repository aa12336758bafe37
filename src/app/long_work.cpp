#include "app/long_work.h"

#include "app/ids.h"

namespace pitbox {
namespace {

// How often a running work's worker wakes the event loop at most.
constexpr std::chrono::milliseconds kSliceEvery{15};

// The main window's buttons that start work: one such work runs at a time.
constexpr int kWorkButtons[] = {ids::kLoad, ids::kScan,        ids::kDuplicates,
                                ids::kCopy, ids::kMoveToTrash, ids::kSaveCatalogue};

// "8 s left", once a second of work tells how fast it goes.
std::string timeLeft(const RunningWork& w) {
    using namespace std::chrono;
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - w.started).count();
    const std::size_t done = w.work->done(), total = w.work->total();
    if (elapsed < 1000 || done == 0 || total <= done) return {};
    const auto seconds = static_cast<long long>(
        static_cast<double>(elapsed) * static_cast<double>(total - done) / static_cast<double>(done) / 1000 + 1);
    return seconds < 120 ? ", " + std::to_string(seconds) + " s left"
                         : ", " + std::to_string((seconds + 59) / 60) + " min left";
}

void showButtons(AppState& s, const WorkButton& button, bool working) {
    if (button.gadget < 0) return;
    for (int gadget : kWorkButtons)
        if (!(button.window == ids::kMainWindow && gadget == button.gadget))
            s.tk.setEnabled(ids::kMainWindow, gadget, !working);
    if (button.picture >= 0)
        s.tk.setButtonPicture(button.window, button.gadget, working ? button.stopPicture : button.picture);
    else if (working)
        s.tk.setText(button.window, button.gadget, "Stop");
    else if (button.caption)
        s.tk.setText(button.window, button.gadget, button.caption);
}

std::unique_ptr<RunningWork> run(AppState& s, std::unique_ptr<LongWork> work, WorkButton button) {
    auto w = std::make_unique<RunningWork>();
    w->work = std::move(work);
    w->button = button;
    showButtons(s, button, true);
    s.tk.showProgress(ids::kMainWindow, ids::kProgress, 0, 0);
    if (!s.workByHand) {
        // The event loop takes a slice when the worker tells it there is one,
        // never more often than a slice can be shown; it does not look unasked.
        ui::Toolkit& tk = s.tk;
        w->work->progress().tellWhenDone([&tk] { tk.wake(); }, kSliceEvery);
        w->worker = std::thread([&w = *w, &tk] {
            while (!w.work->stopRequested() && w.work->step()) {}
            w.ended.store(true, std::memory_order_release);
            tk.wake();
        });
    }
    return w;
}

// Ends a work whose steps are over: what they made is taken, its buttons are
// as they were, and it finishes (which may start the next).
void endStepsDone(AppState& s, std::unique_ptr<RunningWork>& slot) {
    std::unique_ptr<RunningWork> ending = std::move(slot);
    if (ending->worker.joinable()) ending->worker.join();
    while (ending->work->take(s)) {}
    showButtons(s, ending->button, false);
    if (!s.work && !s.check) s.tk.hideProgress(ids::kMainWindow, ids::kProgress);
    ending->work->finish(s, ending->work->stopRequested());
}

void end(AppState& s, std::unique_ptr<RunningWork>& slot) {
    while (slot) {
        slot->requestStop();
        if (slot->worker.joinable()) slot->worker.join();
        slot->ended = true;
        endStepsDone(s, slot);
    }
}

// One slice of one work; the one the progress bar and status line 1 show is
// the user's, else the check's.
void tick(AppState& s, std::unique_ptr<RunningWork>& slot, bool shown) {
    // The check's progress never covers the result of what the user did.
    const bool showsText = shown && !(slot.get() == s.check.get() && s.resultShown);
    if (!slot) return;
    RunningWork& w = *slot;
    // Once the steps are over, and the last of what they made is taken, it ends.
    const bool stepsOver = w.ended.load(std::memory_order_acquire);
    const bool more = w.work->take(s);
    if (!more && stepsOver) {
        endStepsDone(s, slot);
        return;
    }
    // What is left is taken after the events that came meanwhile.
    if (more) s.tk.wake();
    if (!shown) return;
    const std::size_t done = w.work->done(), total = w.work->total();
    s.tk.showProgress(ids::kMainWindow, ids::kProgress, done, total);
    if (showsText) s.tk.setText(ids::kMainWindow, ids::kStatusLine1, w.work->doing(done, total) + timeLeft(w));
}

bool stepByHand(std::unique_ptr<RunningWork>& slot, std::size_t steps) {
    if (slot && slot->worker.joinable()) return true;  // its worker runs the steps
    for (std::size_t i = 0; i < steps && slot && !slot->ended; ++i)
        if (slot->work->stopRequested() || !slot->work->step()) slot->ended = true;
    return slot && !slot->ended;
}

}  // namespace

RunningWork::~RunningWork() {
    if (worker.joinable()) {
        requestStop();
        worker.join();
    }
}

void startWork(AppState& s, std::unique_ptr<LongWork> work, WorkButton button, bool endsCheck) {
    endUserWork(s);
    if (endsCheck) end(s, s.check);
    s.work = run(s, std::move(work), button);
}

void startCheck(AppState& s, std::unique_ptr<LongWork> work) { s.check = run(s, std::move(work), {}); }

bool tickWork(AppState& s) {
    tick(s, s.work, true);
    tick(s, s.check, !s.work);
    return s.work || s.check;
}

void stopWork(AppState& s) {
    if (s.work)
        s.work->requestStop();
    else if (s.check)
        s.check->requestStop();
}

void endWork(AppState& s) {
    end(s, s.work);
    end(s, s.check);
}

void endUserWork(AppState& s) { end(s, s.work); }

bool stepWorkByHand(AppState& s, std::size_t steps) {
    return s.work ? stepByHand(s.work, steps) : stepByHand(s.check, steps);
}

}  // namespace pitbox
