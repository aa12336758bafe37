// Windows only: where the platform layer meets what Windows does differently.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "library/copy_plan.h"
#include "library/copy_tracks.h"
#include "library/folder_load.h"
#include "library/list_export.h"
#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/trash.h"
#include "platform/win32/wide.h"
#include "support/folder_link.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

std::string trackBytes() {
    const auto bytes = writeTrack(TrackSpec{});
    return {bytes.begin(), bytes.end()};
}

// Track names found below a folder, as the walk gives them (paths below root).
std::vector<std::string> walk(const std::string& root) {
    std::vector<std::string> found;
    EXPECT_TRUE(walkTrackFolders(
        root, [&](std::string_view, std::string&& path) { found.push_back(path.substr(root.size())); }));
    return found;
}

// Wine's Recycle Bin is the host's home trash, which the tests' environment
// puts in the build folder.
TEST(Win32Trash, TracksGoToTheRecycleBinAndOthersStay) {
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(data, nullptr);
    std::string bin = std::string("Z:") + data + "\\Trash\\files\\";
    std::replace(bin.begin(), bin.end(), '/', '\\');
    TempDir dir;
    const std::string name = "Ring " + std::to_string(GetTickCount64()) + ".trk";
    saveFile(dir / name, {1, 2, 3});
    dir.mkdirs("folder.trk");
    const auto moved = platform::moveToTrash(dir / name);
    ASSERT_TRUE(moved) << moved.error().message();
    EXPECT_FALSE(platform::fileStatus(dir / name));
    EXPECT_EQ(readFile(bin + name), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(platform::moveToTrash(dir / "gone.trk").error().code, ErrorCode::Missing);
    EXPECT_EQ(platform::moveToTrash(dir / "folder.trk").error().code, ErrorCode::NotRegularFile);
    EXPECT_TRUE(platform::fileStatus(dir / "folder.trk"));
}

TEST(Win32Paths, BothSeparatorsAndTheRootsBackStopsAt) {
    EXPECT_EQ(platform::filePart("C:\\x\\Ring.TRK"), "Ring.TRK");
    EXPECT_EQ(platform::filePart("C:/x/Ring.TRK"), "Ring.TRK");
    EXPECT_EQ(platform::pathPart("C:\\x/y\\Ring.TRK"), "C:\\x/y\\");
    EXPECT_EQ(platform::withSeparator("C:\\x"), "C:\\x\\");
    EXPECT_EQ(platform::withSeparator("C:/x/"), "C:/x/");
    const std::pair<const char*, const char*> back[] = {
        {"C:\\Tracks\\Sub\\", "C:\\Tracks\\"},
        {"C:\\Tracks\\", "C:\\"},
        {"C:\\", "C:\\"},
        {"C:/Tracks/Sub/", "C:/Tracks/"},
        {"\\\\server\\share\\a\\", "\\\\server\\share\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"},
    };
    for (const auto& [from, to] : back) EXPECT_EQ(platform::parentFolder(from), to) << from;
}

// Folders nested far past 260 characters: made, walked, read and copied.
TEST(Win32Files, LongPaths) {
    TempDir dir;
    std::string folder = dir.path();
    for (int level = 0; level < 16; ++level) {
        folder += "a folder of twenty-five " + std::to_string(level) + "\\";
        ASSERT_TRUE(platform::makeFolder(folder).ok()) << folder.size();
    }
    ASSERT_GT(folder.size(), 400u);
    ASSERT_TRUE(platform::replaceFile(folder + "Deep.trk", trackBytes()));
    const auto found = walk(dir.path());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(dir.path() + found[0], folder + "Deep.trk");
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(platform::readRegularFile(folder + "Deep.trk", 2'000'000, bytes).value(), trackBytes().size());
    const CopyReport copy = copyTracks({{folder + "Deep.trk", folder + "Copy.trk"}});
    EXPECT_EQ(copy.copied, 1u);
}

// A folder whose listing takes several fills of the walk's buffer: every
// file and subfolder is met once.
TEST(Win32Walk, AFolderListedInSeveralPartsIsWalkedWhole) {
    TempDir dir;
    const std::string filler(150, 'x');
    std::vector<std::string> expected;
    for (int i = 0; i < 400; ++i) {
        const std::string name = filler + std::to_string(1000 + i);
        ASSERT_TRUE(platform::replaceFile(dir.path() + name + ".trk", {}));
        expected.push_back(name + ".trk");
        if (i % 4 == 0) {
            ASSERT_TRUE(platform::replaceFile(dir.mkdirs(name) + "t.trk", {}));
            expected.push_back(name + "\\t.trk");
        }
    }
    auto found = walk(dir.path());
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

// A file open for reading, as another Pitbox reads the store, is replaced
// once its reader lets go; a reader that never does makes it fail, with the
// old bytes kept.
TEST(Win32Files, AFileBeingReadIsReplacedWhenItsReaderLetsGo) {
    TempDir dir;
    const std::string file = dir.path() + "library.dat";
    ASSERT_TRUE(platform::replaceFile(file, "old"));
    const auto reader = [&] {
        return CreateFileW(platform::apiPath(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    };
    HANDLE held = reader();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CloseHandle(held);
    });
    EXPECT_TRUE(platform::replaceFile(file, "new"));
    letGo.join();
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::readRegularFile(file, 100, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "new");

    held = reader();
    EXPECT_FALSE(platform::replaceFile(file, "lost"));
    CloseHandle(held);
    ASSERT_TRUE(platform::readRegularFile(file, 100, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "new");
}

// Device names are only names below a folder when they already exist (put
// there by another system, on a share): they are read like any other file and
// nothing waits on a device. The program itself never makes such a name.
TEST(Win32Files, ReservedNamesAreReadButNeverMade) {
    TempDir dir;
    const std::string bytes = trackBytes();
    for (const char* name : {"CON.trk", "NUL.trk", "com1.trk", "AUX.trk"}) {
        platform::Handle h(CreateFileW(platform::apiPath(dir / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) << name;
    }
    EXPECT_EQ(walk(dir.path()), (std::vector<std::string>{"AUX.trk", "CON.trk", "NUL.trk", "com1.trk"}));
    std::vector<std::uint8_t> read;
    EXPECT_TRUE(platform::readRegularFile(dir / "CON.trk", 2'000'000, read));
    dir.mkdirs("out");
    const CopyReport copy = copyTracks({{dir / "NUL.trk", dir / "out/NUL.trk"}});
    ASSERT_EQ(copy.failures.size(), 1u);
    EXPECT_EQ(copy.failures[0].code, ErrorCode::BadName);
    // The runtime's own file functions would take these for devices: the files go
    // the way they came.
    for (const char* name : {"CON.trk", "NUL.trk", "com1.trk", "AUX.trk"})
        EXPECT_TRUE(DeleteFileW(platform::apiPath(dir / name).c_str())) << name;
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{});
}

// What the program makes under a name typed or passed (a file and a folder):
// the name Windows would make of it, or a refusal.
TEST(Win32Files, MadeNamesAreOnesOtherProgramsCanOpen) {
    struct Case {
        const char* typed;
        const char* made;  // nullptr: refused
    };
    const Case cases[] = {
        {"list.txt.", "list.txt"}, {"list2.txt  ", "list2.txt"},   {"Tracks. .", "Tracks"}, {"NUL", nullptr},
        {"con", nullptr},          {"COM1.png", nullptr},          {"lpt9.txt", nullptr},   {"COM\xC2\xB9", nullptr},
        {"...", nullptr},          {"CONSOLE.txt", "CONSOLE.txt"}, {"COM0", "COM0"},
    };
    for (const auto& c : cases) {
        TempDir file, folder;
        EXPECT_EQ(platform::replaceFile(file / c.typed, "x").ok(), c.made != nullptr) << c.typed;
        auto made = platform::makeFolder(folder / c.typed);
        EXPECT_EQ(made.ok(), c.made != nullptr) << c.typed;
        const auto expected = c.made ? std::vector<std::string>{c.made} : std::vector<std::string>{};
        EXPECT_EQ(file.list(), expected) << c.typed;
        EXPECT_EQ(folder.list(), expected) << c.typed;
        if (made) {
            EXPECT_EQ(*made, folder / (std::string(c.made) + "\\")) << c.typed;
        }
    }
}

TEST(Win32Paths, TypedPathsAsWindowsTakesThem) {
    // With the current folder on drive C, "Z:w2" lies in drive Z's own current
    // folder (its root, as none was set there), not below the current folder.
    TempDir here;
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(platform::widen(here.path()).c_str()));
    const std::pair<std::string, std::string> cases[] = {
        {"Z:w2", "Z:\\w2"},
        {"C:sub", here.path() + "sub"},
        {"C:/w2//src/", "C:\\w2\\src\\"},
        {"\\\\server\\share\\\\x", "\\\\server\\share\\x"},
    };
    for (const auto& [typed, taken] : cases) EXPECT_EQ(platform::userPath(typed), taken) << typed;
    EXPECT_EQ(platform::apiPath("Z:w2"), L"\\\\?\\Z:\\w2");
    SetCurrentDirectoryW(before);
}

TEST(Win32Files, NamesOutsideTheBasicPlaneSurvive) {
    TempDir dir;
    const std::string name = "\xF0\x9F\x87\xAB\xF0\x9F\x87\xAE Rally.trk";  // a flag: two characters above U+FFFF
    ASSERT_TRUE(platform::replaceFile(dir / name, trackBytes()));
    EXPECT_EQ(walk(dir.path()), std::vector<std::string>{name});
    dir.mkdirs("out");
    ASSERT_EQ(copyTracks(planCopies({dir / name}, dir / "out\\")).copied, 1u);
    const std::wstring copied = platform::apiPath(dir / "out/" + name);
    EXPECT_NE(GetFileAttributesW(copied.c_str()), INVALID_FILE_ATTRIBUTES);
    Catalogue c;
    ASSERT_TRUE(collectTracks(dir / "out\\", c));
    EXPECT_NE(exportListText(c.entries()).find(name), std::string::npos);
}

// Names that differ only in letter case are one name here, whatever the letters.
TEST(Win32Copy, ClashesIgnoreCaseBeyondAscii) {
    const auto plan = planCopies({"C:\\a\\\xC3\x89lan.trk", "C:\\b\\\xC3\xA9lan.TRK"}, "C:\\out\\");
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].target, "C:\\out\\\xC3\x89lan.trk");
    EXPECT_EQ(plan[1].target, "C:\\out\\\xC3\xA9lan_1.trk");
}

// A junction back to a folder above makes a loop; each folder is entered once.
// Wine cannot make junctions: there the test run lays the loop out with links of
// the host system beforehand and names it in PITBOX_LINK_LOOP.
TEST(Win32Walk, AJunctionLoopIsEnteredOnce) {
    TempDir dir;
    std::string root;
    if (const char* prepared = std::getenv("PITBOX_LINK_LOOP")) {
        root = platform::withSeparator(prepared);
    } else {
        root = dir.mkdirs("root");
        ASSERT_TRUE(platform::replaceFile(dir.mkdirs("root/sub") + "t1.trk", trackBytes()));
        ASSERT_TRUE(makeFolderLink(dir / "root/sub/loop", dir / "root"));
    }
    const auto found = walk(root);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], "sub\\t1.trk");
    if (!std::getenv("PITBOX_LINK_LOOP")) RemoveDirectoryW(platform::apiPath(dir / "root/sub/loop").c_str());
}

}  // namespace
}  // namespace pitbox::test
