#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "library/list_export.h"
#include "preview/preview.h"
#include "raster/image_files.h"
#include "raster/scaling.h"
#include "support/catalogue_of.h"
#include "support/header_status.h"
#include "support/packs.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

struct Result {
    int code;
    std::string out, err;
};

Result cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = cli::run(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(Cli, UsageErrorsAndHelp) {
    const std::vector<std::vector<std::string>> usage = {
        {},
        {"frobnicate"},
        {"list"},
        {"list", "--sort", "colour", "/tmp"},
        {"list", "-o"},
        {"list", "--cache", "/tmp"},
        {"list", "-z", "/tmp"},
        {"list", "-z", "--format", "csv", "/tmp"},
        {"header"},
        {"header", "a.trk", "b.trk"},
        {"render", "x.trk"},
        {"render", "-o", "x.gif", "x.trk"},
        {"copy", "a.trk"},
        {"catalogue", "/tmp"},
        {"catalogue", "-o"},
        {"list", "--bogus", "/tmp"},
        {"help", "bogus"},
    };
    for (const auto& args : usage) {
        const Result r = cli(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("usage: pitbox-cli"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    }
    const Result help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"list", "header", "render", "copy", "catalogue", "duplicates", "trash"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    // Each command's help is its own, asked for either way.
    const std::vector<std::pair<std::vector<std::string>, const char*>> commandHelp = {
        {{"help", "list"}, "--scan"},         {{"list", "--help"}, "--sort"}, {{"render", "--help"}, "--no-records"},
        {{"help", "copy"}, "--keep-folders"}, {{"trash", "--help"}, "FILE"},  {{"help"}, "duplicates"},
    };
    for (const auto& [args, shown] : commandHelp) {
        const Result r = cli(args);
        EXPECT_EQ(r.code, 0) << args[0];
        EXPECT_NE(r.out.find(shown), std::string::npos) << args[0] << " " << shown;
        EXPECT_EQ(r.err, "");
    }
}

class CliTree : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdirs("t/sub");
        TrackSpec a;
        a.author = "Zed";
        a.worldSize = 50;
        a.trackLength = 40000;
        a.drivers = {"Ann", "Bob"};
        a.objects = {{25, 1, 1, 0}};
        saveTrack(dir / "t/b.trk", a);
        TrackSpec c;
        c.author = "Amy";
        c.worldSize = 200;
        c.trackLength = 10;
        saveTrack(dir / "t/sub/a.TRK", c);
        saveTrack(dir / "t/old.trk", TrackSpec::oldFormat());
    }
    // t/b.trk's picture without the records, drawn by the preview's layers.
    raster::Picture pictureOfB() const {
        const auto bytes = readFile(dir / "t/b.trk");
        HeaderFields h;
        EXPECT_EQ(headerStatus(bytes, h), HeaderStatus::Supported);
        raster::Picture picture = preview::buildBasePicture(bytes, h);
        preview::drawWaterLayer(picture, bytes, h);
        preview::drawObjectLayer(picture, bytes, h);
        return picture;
    }
    TempDir dir;
};

TEST_F(CliTree, ListTakesTheFolderAsGiven) {
    const Result r = cli({"list", dir / "t"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string pa = dir / "t/sub/a.TRK", pb = dir / "t/b.trk", po = dir / "t/old.trk";
    const std::vector<TableTrack> expected = {
        {"a", "", 0, 0, "", pa, false},
        {"b", "", 0, 0, "", pb, false},
        {"old", "", 0, 0, "", po, false},
    };
    EXPECT_EQ(r.out, exportListText(catalogueOf(expected).entries()));
}

TEST_F(CliTree, ListScanAndSortInTurn) {
    const Result r = cli({"list", "--scan", "--sort", "ws", "--sort", "author", "-o", dir / "out.txt", dir / "t/"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string pa = dir / "t/sub/a.TRK", pb = dir / "t/b.trk", po = dir / "t/old.trk";
    const std::vector<TableTrack> expected = {
        {"a", "Amy", 200, 10, " ", pa, false},
        {"b * 1.10", "Zed", 50, 40000, "Ann Bob", pb, false},
        {"old", "zz_Old KS<1.05", 0, 0, " ", po, false},
    };
    const auto bytes = readFile(dir / "out.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), exportListText(catalogueOf(expected).entries()));
}

TEST_F(CliTree, HeaderAsJson) {
    const Result r = cli({"header", dir / "t/b.trk"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"old_format\": false, \"v110\": true, \"world_size\": 50, \"water_level\": 0, \"length\": 40000, "
              "\"author\": \"Zed\", \"record_times\": [7000, 7000], \"drivers\": [\"Ann\", \"Bob\"], "
              "\"cars\": [\"\", \"\"]}\n");
    const Result old = cli({"header", dir / "t/old.trk"});
    EXPECT_EQ(old.out,
              "{\"old_format\": true, \"v110\": false, \"world_size\": 0, \"water_level\": 0, \"length\": 0, "
              "\"author\": \"zz_Old KS<1.05\", \"record_times\": [0, 0], \"drivers\": [\"\", \"\"], "
              "\"cars\": [\"\", \"\"]}\n");
    TrackSpec quoted;
    quoted.author = "A \"q\" \\ \x01";
    saveTrack(dir / "q.trk", quoted);
    EXPECT_NE(cli({"header", dir / "q.trk"}).out.find("\"A \\\"q\\\" \\\\ \\u0001\""), std::string::npos);
}

TEST_F(CliTree, HeaderFailures) {
    saveFile(dir / "cut.trk", {5, 1, 'K', 'S', 0x10, 0, 0, 0, 1});
    for (const std::string& path : {dir / "missing.trk", dir / "cut.trk", dir / "t"}) {
        const Result r = cli({"header", path});
        EXPECT_EQ(r.code, 1) << path;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(CliTree, RenderWritesThePreview) {
    const raster::Picture expected = pictureOfB();
    for (const char* name : {"p.ppm", "p.bmp", "p.PNG"}) {
        const Result r = cli({"render", "--no-records", "-o", dir / name, dir / "t/b.trk"});
        ASSERT_EQ(r.code, 0) << r.err;
        const auto written = readFile(dir / name);
        EXPECT_EQ(std::string(written.begin(), written.end()), *raster::encodeForFileName(expected, name)) << name;
    }
    EXPECT_EQ(cli({"render", "--no-records", "-o", dir / "x.png", dir / "t/old.trk"}).code, 1);
    EXPECT_EQ(cli({"render", "-o", dir / "x.png", dir / "t/b.trk"}).code, 1);  // no fonts in this test
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}

TEST_F(CliTree, ThumbnailIsTheMapScaled) {
    const raster::Picture map = pictureOfB();
    for (const auto& [size, drawn] : {std::pair{"128", 128}, {"512", 512}, {"1024", 512}}) {
        const Result r = cli({"thumbnail", "-s", size, dir / "t/b.trk", dir / "thumb.png"});
        ASSERT_EQ(r.code, 0) << r.err;
        const auto written = readFile(dir / "thumb.png");
        EXPECT_EQ(std::string(written.begin(), written.end()),
                  raster::encodePng(raster::scaledSquare(map, preview::kMapRows, drawn)))
            << size;
    }
    // No thumbnail, and a failure, for what has no map.
    TrackSpec cut;
    cut.truncateAt = 3000;
    saveTrack(dir / "t/cut.trk", cut);
    for (const char* file : {"t/old.trk", "t/cut.trk", "t/none.trk"})
        EXPECT_EQ(cli({"thumbnail", dir / file, dir / "none.png"}).code, 1) << file;
    EXPECT_FALSE(std::filesystem::exists(dir / "none.png"));
}

TEST_F(CliTree, CopyNumbersAndReports) {
    dir.mkdirs("out");
    const Result r = cli({"copy", "--to", dir / "out", dir / "t/b.trk", dir / "t/b.trk", dir / "t/nope.trk"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "2 Tracks copied to: " + dir / "out/\n");
    EXPECT_EQ(r.err, "pitbox-cli: " + dir / "t/nope.trk: " + missingFileReason() + "\n");
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"b.trk", "b_1.trk"}));
    // A line feed in a name cannot forge a second error line.
    const Result forged = cli({"copy", "--to", dir / "out", dir / "t/x\npitbox-cli: forged.trk"});
    EXPECT_TRUE(forged.err.starts_with("pitbox-cli: " + dir / "t/x\u240apitbox-cli: forged.trk: ")) << forged.err;
    EXPECT_EQ(std::count(forged.err.begin(), forged.err.end(), '\n'), 1);
}

TEST_F(CliTree, OptionsEndAtTheirEnd) {
    dir.mkdirs("out");
    saveTrack(dir / "t/-x.trk", TrackSpec{});
    // An unknown option is refused before anything is copied.
    EXPECT_EQ(cli({"copy", "--to", dir / "out", "--bogus", dir / "t/b.trk"}).code, 2);
    EXPECT_TRUE(dir.list("out").empty());
    // After "--" a name that looks like an option is a file.
    const Result r = cli({"copy", "--to", dir / "out", "--", dir / "t/-x.trk", "--help"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"-x.trk"}));
    EXPECT_NE(r.err.find("--help: "), std::string::npos) << r.err;
}

TEST_F(CliTree, KeepFoldersTakesAPackedTrackAsListed) {
    // A member stored as "../b.trk" is not the loose t/b.trk its path would
    // name if its ".." were taken as a step.
    TrackSpec packed;
    packed.author = "Pam";
    makeZip(dir / "t/p.zip", {{"../b.trk", writeTrack(packed)}});
    dir.mkdirs("out");
    const Result r = cli({"copy", "--to", dir / "out", "--keep-folders", dir / "t", dir / "t/p.zip/../b.trk"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readFile(dir / "out/p.zip/b.trk"), writeTrack(packed));
    EXPECT_TRUE(dir.list("out").size() == 1 && dir.list("out/p.zip") == std::vector<std::string>{"b.trk"});
}

}  // namespace
}  // namespace pitbox::test
