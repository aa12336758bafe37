#include <gtest/gtest.h>

#include "app/copy_window.h"
#include "platform/paths.h"
#include "support/scripted_app.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

constexpr int kWin = ids::kCopyWindow;

class CopyWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("t/x");
        dir.mkdirs("out");
        saveTrack(dir / "t/Ring.trk", TrackSpec{});
        saveTrack(dir / "t/x/ring.TRK", TrackSpec{});
        saveTrack(dir / "t/Alpha.trk", TrackSpec{});
        app.load(dir / "t");
        app.state.targetFolder = dir / "out/";
    }
    // Opens the window, then checks `inside` while it is open, then closes it.
    void inWindow(const std::function<void()>& inside) {
        app.click(ids::kCopy);
        app.tk.push([&]() -> std::optional<ui::Event> {
            inside();
            return std::nullopt;
        });
        app.tk.click(kWin, ids::kCopyClose);
        app.drive();
    }
    std::string target() const { return app.tk.text(kWin, ids::kTargetLine); }
    TempDir dir;
    ScriptedApp app;
};

TEST_F(CopyWindow, FailuresAreCountedAndTheFirstReasonShown) {
    app.drive();
    removeFile(dir / "t/Alpha.trk");
    removeFile(dir / "t/Ring.trk");
    app.selectRows({0, 1, 2});
    app.click(ids::kCopy);
    app.tk.click(kWin, ids::kCopyStart);
    app.settle();
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(target(), "1 Tracks copied to: " + dir / "out/ (2 failed)");
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyClose);
    app.drive();
    EXPECT_EQ(app.text(ids::kStatusLine1), "Error: " + dir / "t/Alpha.trk: " + missingFileReason() + " (and 1 more)");
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"ring_1.trk"});  // numbered as planned
}

// Keep folders and Skip tracks already there, kept while the program runs:
// a twin already in the target is left alone, the one in its own folder goes
// there; without Keep folders it would have been a twin of the first copy.
TEST_F(CopyWindow, OptionsKeepFoldersAndSkipWhatIsThere) {
    saveTrack(dir / "out/Alpha.trk", TrackSpec{});
    app.selectRows({0, 1, 2});
    app.click(ids::kCopy);
    app.tk.click(kWin, ids::kKeepFolders);
    app.tk.click(kWin, ids::kSkipAlreadyThere);
    app.tk.click(kWin, ids::kCopyStart);
    app.settle();
    std::string said;
    app.tk.push([&]() -> std::optional<ui::Event> {
        said = target();
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyClose);
    app.drive();
    EXPECT_EQ(said, "2 Tracks copied, 1 already there: " + dir / "out/");
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"Alpha.trk", "Ring.trk", "x"}));
    EXPECT_EQ(dir.list("out/x"), std::vector<std::string>{"ring.TRK"});
    inWindow([&] {
        EXPECT_TRUE(app.tk.isChecked(kWin, ids::kKeepFolders));
        EXPECT_TRUE(app.tk.isChecked(kWin, ids::kSkipAlreadyThere));
    });
}

TEST_F(CopyWindow, OpensOverTheMainWindowWithItsGadgets) {
    app.selectRows({0, 2});
    std::vector<int> order;
    inWindow([&] {
        const auto* w = app.tk.window(kWin);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->layout.title, "Copy Tracks");
        EXPECT_EQ(w->layout.clientWidth, 600);
        EXPECT_EQ(w->layout.clientHeight, 300);
        EXPECT_EQ(w->layout.owner, ids::kMainWindow);
        EXPECT_TRUE(w->layout.centreOnOwner);
        order = w->creationOrder;
        EXPECT_EQ(app.tk.text(kWin, ids::kSelectionLine), "Selected: 2/3");
        EXPECT_EQ(target(), dir / "out/");
        EXPECT_EQ(app.tk.gadget(kWin, ids::kCopyStart)->picture, ids::kPictureCopyLarge);
        EXPECT_EQ(app.tk.gadget(kWin, ids::kTargetLine)->align, ui::Align::Centre);
    });
    EXPECT_EQ(order, (std::vector<int>{100, 105, 103, 104, 106, 102, 101, 107, 108}));
    EXPECT_FALSE(app.tk.isWindowOpen(kWin));
    EXPECT_EQ(app.tk.focus(), std::make_pair(ids::kMainWindow, ids::kTable));
}

TEST_F(CopyWindow, NoRowEverClickedShowsNoneOfTheRows) {
    app.drive();
    inWindow([&] { EXPECT_EQ(app.tk.text(kWin, ids::kSelectionLine), "Selected: 0/3"); });
}

TEST_F(CopyWindow, ItsOwnCloseBoxClosesIt) {
    app.click(ids::kCopy);
    app.tk.closeRequest(kWin);
    app.click(ids::kSortAuthor);  // the main loop runs again
    app.drive();
    EXPECT_FALSE(app.tk.isWindowOpen(kWin));
    EXPECT_EQ(app.state.listName, "tracks_autor");
}

TEST_F(CopyWindow, CopiesTheSelectionItShowsWithNumberedNames) {
    app.selectRows({0});
    app.click(ids::kCopy);
    // The table's selection changes while the window is open: the line follows.
    app.selectRows({1});
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(app.tk.text(kWin, ids::kSelectionLine), "Selected: 1/3");
        // A change the toolkit did not report is read at the click, and shown.
        app.tk.setSelection(ids::kMainWindow, ids::kTable, {1, 2});
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyStart);
    app.settle();
    app.tk.click(kWin, ids::kCopyStart);  // again: the same names, replaced
    app.settle();
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(target(), "2 Tracks copied to: " + dir / "out/");
        EXPECT_EQ(app.tk.text(kWin, ids::kSelectionLine), "Selected: 2/3");
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyClose);
    app.drive();
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"Ring.trk", "ring_1.trk"}));
    EXPECT_EQ(app.text(ids::kStatusLine1), "Ring");  // from the list event while it was open
    EXPECT_TRUE(app.tk.isWindowOpen(ids::kMainWindow));
    EXPECT_FALSE(app.tk.isWindowOpen(kWin));
}

// The copy runs beside the window's loop: its button reads Stop, the target
// cannot change meanwhile, and a Stop copies no more.
TEST_F(CopyWindow, CopyRunsBesideTheWindowAndStops) {
    app.drive();
    app.state.workByHand = true;
    app.selectRows({0, 1, 2});
    app.click(ids::kCopy);
    app.tk.click(kWin, ids::kCopyStart);
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(app.tk.gadget(kWin, ids::kCopyStart)->picture, ids::kPictureStopLarge);
        EXPECT_FALSE(app.tk.gadget(kWin, ids::kCopySelect)->enabled);
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyStart);  // Stop
    app.settle();
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(target(), "Copy stopped: 0 of 3 Tracks copied to: " + dir / "out/");
        EXPECT_EQ(app.tk.gadget(kWin, ids::kCopyStart)->picture, ids::kPictureCopyLarge);
        EXPECT_TRUE(app.tk.gadget(kWin, ids::kCopySelect)->enabled);
        return std::nullopt;
    });
    app.tk.click(kWin, ids::kCopyClose);
    app.drive();
    EXPECT_TRUE(dir.list("out").empty());
}

// The main window stays live beside it; Copy again brings it to the front,
// and the main window's close ends both.
TEST_F(CopyWindow, MainWindowStaysLiveBesideIt) {
    app.click(ids::kCopy);
    app.click(ids::kSortAuthor);
    app.selectRows({0, 1});
    app.click(ids::kCopy);
    app.tk.push([&]() -> std::optional<ui::Event> {
        EXPECT_EQ(app.tk.raisedWindows(), std::vector<int>{kWin});
        EXPECT_EQ(app.tk.openedWindows().size(), 2u);
        EXPECT_EQ(app.tk.text(kWin, ids::kSelectionLine), "Selected: 2/3");
        return std::nullopt;
    });
    app.tk.closeRequest(ids::kMainWindow);
    app.run();
    EXPECT_EQ(app.state.listName, "tracks_autor");
    EXPECT_FALSE(app.tk.isWindowOpen(kWin));
    EXPECT_FALSE(app.tk.isWindowOpen(ids::kMainWindow));
}

TEST_F(CopyWindow, SelectNewAndBack) {
    app.selectRows({0, 1, 2});
    dir.mkdirs("out/exists");
    struct Step {
        const char* what;
        int button;
        std::string answer;
        std::string line, folder;
    };
    const std::string out = dir / "out/";
    const Step steps[] = {
        {"Select cancelled", ids::kCopySelect, "", out, out},
        {"Select", ids::kCopySelect, dir / "t", dir / "t/", dir / "t/"},
        {"Back", ids::kCopyBack, "", dir.path(), dir.path()},
        {"Select again", ids::kCopySelect, out, out, out},
        {"New", ids::kCopyNew, "Old", "New dir: " + dir / "out/Old/", dir / "out/Old/"},
        {"Back from new", ids::kCopyBack, "", out, out},
        {"New with a slash", ids::kCopyNew, "Slash/", "New dir: " + dir / "out/Slash/", dir / "out/Slash/"},
        {"Back again", ids::kCopyBack, "", out, out},
        {"New with trailing blanks", ids::kCopyNew, "Blank  ", "New dir: " + dir / "out/Blank/", dir / "out/Blank/"},
        {"Back once more", ids::kCopyBack, "", out, out},
        // A failure says which folder and why (the reason is the system's text).
        {"New existing", ids::kCopyNew, "exists", "Error: " + dir / "out/exists: ", out},
        {"New cancelled", ids::kCopyNew, "", out, out},
        {"New two levels", ids::kCopyNew, "a/b", "Error: " + dir / "out/a/b: ", out},
    };
    app.click(ids::kCopy);
    for (const auto& s : steps) {
        if (s.button == ids::kCopySelect) app.tk.answerFolder(s.answer);
        if (s.button == ids::kCopyNew) app.tk.answerText(s.answer);
        app.tk.click(kWin, s.button);
        app.tk.push([&]() -> std::optional<ui::Event> {
            if (s.line.ends_with(": "))  // and then the reason
                EXPECT_TRUE(target().starts_with(s.line) && target().size() > s.line.size()) << target();
            else
                EXPECT_EQ(target(), s.line) << s.what;
            EXPECT_EQ(app.state.targetFolder, s.folder) << s.what;
            return std::nullopt;
        });
    }
    app.tk.click(kWin, ids::kCopyClose);
    app.drive();
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"Blank", "Old", "Slash", "exists"}));
    const auto& requests = app.tk.requests();
    EXPECT_EQ(requests[1].title, "copy 3 tracks to:");
    EXPECT_EQ(requests[1].start, out);
    const auto newRequest =
        std::find_if(requests.begin(), requests.end(), [](const auto& r) { return r.kind == "text"; });
    ASSERT_NE(newRequest, requests.end());
    EXPECT_EQ(newRequest->title, "Make New Folder in");
    EXPECT_EQ(newRequest->start, out);  // the message line
    EXPECT_EQ(newRequest->filter, "");  // the empty default
}

TEST(ParentFolder, ClimbsToTheRootAndStays) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tracks/sub/", "/tracks/"}, {"/tracks/", "/"}, {"/", "/"}, {"/a/b", "/a/"}, {"rel", "rel"},
        {"rel/sub/", "rel/"},
    };
    for (const auto& [from, to] : cases) EXPECT_EQ(platform::parentFolder(from), to) << from;
}

}  // namespace
}  // namespace pitbox::test
