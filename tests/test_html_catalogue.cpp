// The HTML catalogue: what its page shows, its pictures, and which folders it
// may replace, never half-written.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "library/folder_load.h"
#include "library/header_refresh.h"
#include "library/html_catalogue.h"
#include "platform/file_lock.h"
#include "platform/paths.h"
#include "preview/track_preview.h"
#include "support/folder_link.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"
#ifndef _WIN32
#include "support/loop_volume.h"
#endif

namespace pitbox::test {
namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}
void write(const std::string& path, const std::string& text) { saveFile(path, {text.begin(), text.end()}); }

// A map of many small terrain runs, whose picture does not compress to little.
TrackSpec busyTrack(int seed) {
    TrackSpec t;
    t.terrainRuns.clear();
    for (int i = 0; i < 20000; ++i)
        t.terrainRuns.push_back(static_cast<std::uint16_t>(((i * seed) % 13 + 1) << 4 | i % 9));
    return t;
}

// The tracks below a folder with their fields read, as a Scan leaves them.
Catalogue scanned(const std::string& root) {
    Catalogue c;
    EXPECT_TRUE(collectTracks(root, c, {}, false));
    c.sort(SortKey::Path);
    TrackBuffer buffer;
    HeaderFields header;
    for (TrackEntry& e : c.entries()) (void)refreshEntry(c, e, buffer, header);
    return c;
}

TEST(HtmlCatalogue, ShowsEveryTrackWithItsPictureOrWhyNot) {
    TempDir dir;
    TrackSpec odd;
    odd.author = "<Tom & \"Jerry\">";
    odd.drivers[1] = "Ann";
    odd.cars[1] = "Kestrel";
    odd.recordTimes[1] = 4321;
    saveTrack(dir.mkdirs("lib") + "a.trk", odd);
    saveTrack(dir.mkdirs("lib/sub") + "b.trk", busyTrack(7));
    saveTrack(dir / "lib/c old.trk", TrackSpec::oldFormat());
    TrackSpec cut;
    cut.truncateAt = 100;
    saveTrack(dir / "lib/d cut.trk", cut);
    const Catalogue c = scanned(dir / "lib/");
    std::size_t heard = 0;
    auto saved = saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "out", preview::trackMapPng,
                                   [&](std::size_t n) { heard = n; });
    ASSERT_TRUE(saved) << saved.error().message();
    EXPECT_EQ(saved->tracks, 4u);
    EXPECT_EQ(saved->pictures, 2u);
    EXPECT_EQ(heard, 4u);
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"lib", "out"}));  // nothing left beside it
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{".pitbox-catalogue", "index.html", "tracks"}));
    EXPECT_EQ(dir.list("out/tracks"), (std::vector<std::string>{"00001.png", "00004.png"}));  // by place
    for (const char* png : {"out/tracks/00001.png", "out/tracks/00004.png"}) {
        const std::string bytes = contents(dir / png);
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                                static_cast<int>(bytes.size()), &width, &height, &channels, 3);
        EXPECT_TRUE(pixels && width == 512 && height == 512) << png;  // the map, without the text strip
        stbi_image_free(pixels);
    }
    const std::string page = contents(dir / "out/index.html");
    for (const char* shown : {
             "<title>Kestrun tracks: lib</title>",
             "4 tracks, 2 pictures",
             "<a href=\"tracks/00001.png\"><img src=\"tracks/00001.png\"",
             "<td>&lt;Tom &amp; &quot;Jerry&quot;&gt;</td>",
             "<td>43.21 Ann / Kestrel</td>",
             "<td class=\"problem\">an old-format track, which has no picture</td><td>c old</td>",
             "<td class=\"problem\">damaged: ",
         })
        EXPECT_NE(page.find(shown), std::string::npos) << shown;
    EXPECT_EQ(page.find("<Tom"), std::string::npos);
    const std::string below = "<td class=\"path\">sub" + std::string(1, platform::kSeparator) + "b.trk</td>";
    EXPECT_NE(page.find(below), std::string::npos);  // the path below the library folder
}

TEST(HtmlCatalogue, ReplacesOnlyAnEmptyFolderOrAnEarlierCatalogue) {
    TempDir dir;
    saveTrack(dir.mkdirs("lib") + "a.trk", TrackSpec{});
    const Catalogue c = scanned(dir / "lib/");
    const auto save = [&] { return saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "out", preview::trackMapPng); };
    struct Case {
        const char* what;
        std::function<void()> before;
        bool replaced;
    };
    const Case cases[] = {
        {"no folder yet", [] {}, true},
        {"an empty folder", [&] { dir.mkdirs("out"); }, true},
        {"an earlier catalogue", [&] { ASSERT_TRUE(save()); }, true},
        {"a folder of the user's", [&] { write(dir.mkdirs("out") + "notes.txt", "mine"); }, false},
        {"a catalogue the user added to",
         [&] {
             ASSERT_TRUE(save());
             write(dir / "out/tracks/mine.png", "mine");
         },
         false},
        {"a file", [&] { write(dir / "out", "mine"); }, false},
    };
    for (const Case& k : cases) {
        std::filesystem::remove_all(dir / "out");
        k.before();
        const std::vector<std::string> was = std::filesystem::is_directory(dir / "out") ? dir.list("out") : dir.list();
        const auto saved = save();
        EXPECT_EQ(saved.ok(), k.replaced) << k.what;
        if (k.replaced) {
            EXPECT_EQ(dir.list("out/tracks"), (std::vector<std::string>{"00001.png"})) << k.what;
        } else {
            EXPECT_EQ(saved.error().code, ErrorCode::Exists) << k.what;
            EXPECT_EQ(std::filesystem::is_directory(dir / "out") ? dir.list("out") : dir.list(), was) << k.what;
        }
        EXPECT_EQ(dir.list().size(), 2u) << k.what << ": something was left beside it";
    }
}

TEST(HtmlCatalogue, AStopOrAFullDiskLeavesTheEarlierCatalogue) {
    TempDir dir;
    for (int i = 1; i <= 6; ++i) saveTrack(dir.mkdirs("lib") + std::to_string(i) + ".trk", busyTrack(i));
    const Catalogue c = scanned(dir / "lib/");
    ASSERT_TRUE(saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "out", preview::trackMapPng));
    write(dir / "out/index.html", "the earlier page");
    const std::atomic<bool> stop{true};
    const auto stopped = saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "out", preview::trackMapPng, {}, &stop);
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(stopped->stopped);
    EXPECT_EQ(contents(dir / "out/index.html"), "the earlier page");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"lib", "out"}));
#ifndef _WIN32
    LoopVolume volume(dir);
    if (!volume.mounted()) GTEST_SKIP() << "mounting a volume needs root, a loop device and mkfs.ext4";
    const std::string out = volume.path() + "out";
    ASSERT_TRUE(saveHtmlCatalogue(c.entries(), dir / "lib/", out, preview::trackMapPng));
    write(out + "/index.html", "the earlier page");
    // Room for the new folders and a picture or two, not for all six.
    write(volume.path() + "room", std::string(std::size_t{24} * 1024, 'x'));
    fillVolume(volume.path());
    ASSERT_EQ(::unlink((volume.path() + "room").c_str()), 0);
    const auto full = saveHtmlCatalogue(c.entries(), dir / "lib/", out, preview::trackMapPng);
    ASSERT_FALSE(full);
    EXPECT_EQ(contents(out + "/index.html"), "the earlier page");
    EXPECT_EQ(dir.list("volume"), (std::vector<std::string>{"fill1k", "fill4k", "lost+found", "out"}));
#endif
}

TEST(HtmlCatalogue, RemovesOnlyTheWorkThatKilledRunsLeft) {
    TempDir dir;
    saveTrack(dir.mkdirs("lib") + "a.trk", TrackSpec{});
    const Catalogue c = scanned(dir / "lib/");
    // A run killed outright, one killed while its old catalogue was set
    // aside, one whose folder holds a file of the user's, and a live one.
    for (const char* left : {".pitbox-catalogue-0000dead/tracks", ".pitbox-catalogue-0000dead-old/tracks",
                             ".pitbox-catalogue-00000bad/tracks", ".pitbox-catalogue-0000beef/tracks"}) {
        write(dir.mkdirs(left) + "/00001.png", "picture");
        write(dir / (std::string(left) + "/../index.html"), "page");
    }
    write(dir / ".pitbox-catalogue-0000dead.lock", "");
    write(dir / ".pitbox-catalogue-00000bad/notes.txt", "mine");
    auto live = platform::FileLock::take(dir / ".pitbox-catalogue-0000beef.lock");
    ASSERT_TRUE(live);
    ASSERT_TRUE(saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "out", preview::trackMapPng));
    EXPECT_EQ(dir.list(), (std::vector<std::string>{".pitbox-catalogue-00000bad", ".pitbox-catalogue-0000beef",
                                                    ".pitbox-catalogue-0000beef.lock", "lib", "out"}));
    EXPECT_EQ(dir.list(".pitbox-catalogue-00000bad"), (std::vector<std::string>{"notes.txt"}));
    EXPECT_EQ(dir.list(".pitbox-catalogue-0000beef/tracks"), (std::vector<std::string>{"00001.png"}));
}

// On Linux a symbolic link, on Windows a junction (under Wine a link the host
// laid out, named in PITBOX_FOLDER_LINK).
TEST(HtmlCatalogue, AFolderReachedThroughALinkIsReplacedWhereItIs) {
    TempDir dir;
    saveTrack(dir.mkdirs("lib") + "a.trk", TrackSpec{});
    const Catalogue c = scanned(dir / "lib/");
    std::string top = dir.mkdirs("published");  // www/tracks, and pub, a link to it
    if (const char* prepared = std::getenv("PITBOX_FOLDER_LINK")) {
        top = platform::withSeparator(prepared);
    } else {
        dir.mkdirs("published/www/tracks");
        ASSERT_TRUE(makeFolderLink(top + "pub", top + platform::nativeSeparators("www/tracks")));
    }
    const std::string published = top + platform::nativeSeparators("www/tracks");
    ASSERT_TRUE(saveHtmlCatalogue(c.entries(), dir / "lib/", published, preview::trackMapPng));
    write(platform::withSeparator(published) + "index.html", "the published page");
    ASSERT_TRUE(saveHtmlCatalogue(c.entries(), dir / "lib/", top + "pub", preview::trackMapPng));
    EXPECT_TRUE(isLink(top + "pub"));
    EXPECT_NE(contents(platform::withSeparator(published) + "index.html"), "the published page");
    EXPECT_EQ(dir.list("lib").size(), 1u);
    const auto names = [](const std::string& folder) {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(folder)) found.push_back(e.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(top), (std::vector<std::string>{"pub", "www"}));
    EXPECT_EQ(names(top + "www"), (std::vector<std::string>{"tracks"}));
    EXPECT_EQ(names(platform::withSeparator(published) + "tracks"), (std::vector<std::string>{"00001.png"}));
#ifndef _WIN32
    // A link to nothing is refused, and stays.
    ASSERT_TRUE(makeFolderLink(dir / "dead", "gone"));
    const auto refused = saveHtmlCatalogue(c.entries(), dir / "lib/", dir / "dead", preview::trackMapPng);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().reason, "a link to nothing");
    EXPECT_TRUE(isLink(dir / "dead"));
#endif
}

}  // namespace
}  // namespace pitbox::test
