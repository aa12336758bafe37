#include <gtest/gtest.h>

#include <fstream>

#include "library/library_store.h"
#include "library/settings_file.h"
#include "support/store_bytes.h"
#include "support/temp_dir.h"

namespace pitbox::test {
namespace {

RememberedSettings everySetting() {
    return {"/lib/a \"quoted\" \\ folder/",
            "/out/\nline/",
            {150, 60, 61, 200},
            -20,
            30,
            1200,
            800,
            true,
            2,
            true,
            "/lib/\xe9t\xe9.trk",
            true,
            -5,
            7,
            true,
            false};
}

TEST(SettingsFile, RoundTripKeepingWhatItDoesNotKnow) {
    const std::string text = formatSettings(everySetting(), {"colour_scheme = \"dusk\""});
    const SettingsFile back = parseSettings(text);
    EXPECT_EQ(back.settings, everySetting());
    EXPECT_EQ(back.unknownLines, (std::vector<std::string>{"colour_scheme = \"dusk\""}));
    EXPECT_TRUE(back.complaints.empty());
    EXPECT_NE(text.find("keep_folders = yes\n"), std::string::npos) << text;
}

// A value that cannot be read is passed over with a complaint naming its
// line; the others are taken.
TEST(SettingsFile, BadValuesAreIgnoredOneLineEach) {
    const std::pair<const char*, const char*> cases[] = {
        {"window = 1 2 3", "line 1: a bad value for window, ignored"},
        {"window = 1 2 -3 4", "line 1: a bad value for window, ignored"},
        {"maximised = maybe", "line 1: a bad value for maximised, ignored"},
        {"load_folder = /no/quotes/", "line 1: a bad value for load_folder, ignored"},
        {"load_folder = \"\\q\"", "line 1: a bad value for load_folder, ignored"},
        {"sort_column = 99", "line 1: a bad value for sort_column, ignored"},
        {"column_widths = 10 x", "line 1: a bad value for column_widths, ignored"},
        {"just words", "line 1: no key = value, ignored"},
    };
    for (const auto& [line, complaint] : cases) {
        const SettingsFile read = parseSettings(std::string(line) + "\nkeep_folders = yes\r\n");
        EXPECT_EQ(read.complaints, (std::vector<std::string>{complaint})) << line;
        EXPECT_TRUE(read.settings.keepFolders) << line;
        EXPECT_EQ(read.settings.width, 0) << line;
    }
}

TEST(SettingsFile, AnOldStoresSettingsMoveToTheirOwnFile) {
    TempDir dir;
    dir.mkdirs("state");
    const std::string store = dir / "state/library.dat";
    // A store of version 4: its settings, then no folders.
    StoreBytes w;
    w.text("/lib/");
    w.text("/out/");
    for (std::uint32_t v : {1u, 150u, 10u, 20u, 1000u, 720u}) w.u32(v);
    w.flag(false);  // not maximised
    w.u32(2);       // sorted by the third column
    w.flag(true);
    w.text("/lib/b.trk");
    w.flag(false);  // the viewer never moved
    w.u32(0);
    w.u32(0);
    w.flag(true);   // keep folders
    w.flag(false);  // do not skip
    w.u32(0);       // no folders
    const std::string& body = w.body;
    std::ofstream(store, std::ios::binary) << sealLibrary(body, 4);

    ASSERT_TRUE(rememberTracks(store, "", {}));
    auto moved = readSettings(settingsPathBeside(store));
    ASSERT_TRUE(moved && *moved);
    RememberedSettings expected;
    expected.loadFolder = "/lib/";
    expected.targetFolder = "/out/";
    expected.columnWidths = {150};
    expected.x = 10;
    expected.y = 20;
    expected.width = 1000;
    expected.height = 720;
    expected.sortColumn = 2;
    expected.sortDescending = true;
    expected.currentTrack = "/lib/b.trk";
    expected.keepFolders = true;
    EXPECT_EQ((*moved)->settings, expected);
    auto rewritten = readLibrary(store);
    ASSERT_TRUE(rewritten && *rewritten);
    EXPECT_FALSE((*rewritten)->oldSettings);

    // The file the program keeps is never overwritten by an old store's.
    ASSERT_TRUE(writeSettings(settingsPathBeside(store), RememberedSettings{}));
    std::ofstream(store, std::ios::binary) << sealLibrary(body, 4);
    ASSERT_TRUE(rememberTracks(store, "", {}));
    EXPECT_EQ((*readSettings(settingsPathBeside(store)))->settings, RememberedSettings{});
}

}  // namespace
}  // namespace pitbox::test
