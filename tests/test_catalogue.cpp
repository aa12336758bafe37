#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "base/windows1252.h"
#include "library/catalogue.h"
#include "library/catalogue_view.h"
#include "platform/paths.h"
#include "support/catalogue_of.h"

namespace pitbox::test {
namespace {

std::vector<std::string> names(const Catalogue& c) {
    std::vector<std::string> out;
    for (const auto& e : c.entries()) out.emplace_back(e.name);
    return out;
}

Catalogue make(std::initializer_list<TableTrack> tracks) { return catalogueOf(tracks); }

TEST(Catalogue, NameSortFoldsOnlyAsciiCapitalsAndIsStable) {
    struct Case {
        const char* what;
        std::vector<std::string> before, after;
    };
    const Case cases[] = {
        {"case-only differences keep their order",
         {"ring", "Ring", "RING", "alpha"},
         {"alpha", "ring", "Ring", "RING"}},
        {"digits and underscore before letters", {"b", "_x", "9a", "A"}, {"9a", "_x", "A", "b"}},
        {"a prefix first", {"Ringo", "ring"}, {"ring", "Ringo"}},
        {"bytes above 127 after ASCII", {"\xC3\xA9t\xC3\xA9", "zeta"}, {"zeta", "\xC3\xA9t\xC3\xA9"}},
        {"non-ASCII capitals not folded", {"\xC3\x89", "\xC3\xA9"}, {"\xC3\x89", "\xC3\xA9"}},
        {"empty first", {"a", ""}, {"", "a"}},
    };
    for (const auto& c : cases) {
        Catalogue cat;
        for (const auto& n : c.before) cat.append().name = n;
        cat.sort(SortKey::Name);
        EXPECT_EQ(names(cat), c.after) << c.what;
        cat.sort(SortKey::Name);
        EXPECT_EQ(names(cat), c.after) << c.what << " (twice)";
    }
}

TEST(Catalogue, SortsComposeAndNumbersAreSigned) {
    Catalogue c = make({
        {"d", "Zed", 10, 40000, "", "", false},
        {"a", "amy", 0, -25536, "", "", false},
        {"c", "AMY", 255, 0, "", "", false},
        {"b", "", 10, 5, "", "", false},
    });
    c.sort(SortKey::Name);
    c.sort(SortKey::Author);
    EXPECT_EQ(names(c), (std::vector<std::string>{"b", "a", "c", "d"}));
    c.sort(SortKey::WorldSize);
    EXPECT_EQ(names(c), (std::vector<std::string>{"a", "b", "d", "c"}));
    c.sort(SortKey::Length);
    EXPECT_EQ(names(c), (std::vector<std::string>{"a", "c", "b", "d"}));
}

TEST(Catalogue, AuthorsSortByTheirWindows1252Codes) {
    // UTF-8 would order these \u00C9 (C3) < \u0160 (C5) < \u20AC (E2); the code
    // page orders \u20AC (80) < \u0160 (8A) < \u00C9 (C9).
    Catalogue c = make({
        {"1", "\u00C9lodie", 0, 0, "", "", false},
        {"2", "\u0160imon", 0, 0, "", "", false},
        {"3", "\u20ACuro Team", 0, 0, "", "", false},
        {"4", "zed", 0, 0, "", "", false},
        {"5", "\u00E9lodie", 0, 0, "", "", false},
    });
    c.sort(SortKey::Author);
    EXPECT_EQ(names(c), (std::vector<std::string>{"4", "3", "2", "1", "5"}));
}

// Thousands of entries, as a library sorts them, against a plain stable sort
// of whole keys: texts that share long beginnings (a library's folder), differ
// in case or by a prefix, hold a byte 0, bytes that are no UTF-8 or
// Windows-1252 letters, some of hundreds of bytes; paths in many folders,
// some of which begin others; equal keys keep their order; numbers are
// signed; both directions.
TEST(Catalogue, LargeSortsMatchAStableSortOfWholeKeys) {
    const std::string_view longPiece = "a long piece of a name, forty bytes long";
    const std::string_view pieces[] = {
        "a", "B",    "b",       "\xC3\xA9", "\xE2\x82\xAC", "z", std::string_view("\0", 1),
        "0", "\xFF", longPiece, "/",        "Z[@`{"};
    Catalogue c;
    std::uint32_t seed = 7;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < 3000; ++i) {
        std::string text = next() % 2 ? "/home/user/Kestrun tracks/collection/" : "";
        for (std::uint32_t n = next() % 40; n-- > 0;) text.append(pieces[next() % std::size(pieces)]);
        TrackEntry& e = c.append();
        c.setText(e.name, text);
        c.setPath(e, "/t/" + text);
        c.setText(e.author, next() % 4 ? text.substr(0, text.size() / 3) : "\xC5\xA0imon");
        c.setText(e.record, "Ann Bob");
        e.worldSize = static_cast<std::int32_t>(next() % 5) - 2;
        e.length = static_cast<std::int32_t>(next()) * (next() % 2 ? 1 : -1);
    }
    const auto keyText = [](const TrackEntry& e, SortKey key) {
        switch (key) {
            case SortKey::Author: return encodeWindows1252(e.author);
            case SortKey::Record: return encodeWindows1252(e.record);
            case SortKey::Path: return e.path();
            default: return std::string(e.name.view());
        }
    };
    // A view sorts its ids, a catalogue its entries: both roads are taken.
    CatalogueView view;
    view.reset(c);
    for (SortKey key : {SortKey::Name, SortKey::Author, SortKey::Path, SortKey::Record, SortKey::WorldSize,
                        SortKey::Length, SortKey::Author})
        for (SortOrder order : {SortOrder::Ascending, SortOrder::Descending}) {
            std::vector<TrackEntry*> expected = c.order();
            const auto less = [&](const TrackEntry* a, const TrackEntry* b) {
                if (key == SortKey::WorldSize) return a->worldSize < b->worldSize;
                if (key == SortKey::Length) return a->length < b->length;
                return compareFolded(keyText(*a, key), keyText(*b, key)) < 0;
            };
            std::stable_sort(expected.begin(), expected.end(), [&](const TrackEntry* a, const TrackEntry* b) {
                return order == SortOrder::Ascending ? less(a, b) : less(b, a);
            });
            c.sort(key, order);
            EXPECT_TRUE(c.order() == expected) << static_cast<int>(key) << " " << static_cast<int>(order);
            view.sort(key, order);
            const auto shown = view.shown();
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), expected.begin(), expected.end(),
                                   [](const TrackEntry& a, const TrackEntry* b) { return &a == b; }))
                << "view " << static_cast<int>(key) << " " << static_cast<int>(order);
        }
}

// Enough texts to be sorted by keys, all sharing a long beginning but one,
// which differs from the others a few bytes into a key: it goes where that
// byte says, in names and in paths.
TEST(Catalogue, ASortSeesTheFirstByteThatDiffers) {
    for (const bool inPath : {false, true}) {
        Catalogue c;
        for (int i = 0; i < 80; ++i) {
            const std::string text = i == 40 ? "abcdefghijZlmnopq" : "abcdefghijklmnopq" + std::to_string(100 + i);
            TrackEntry& e = c.append();
            c.setText(e.name, text);
            c.setPath(e, "/t/", text);
        }
        c.sort(inPath ? SortKey::Path : SortKey::Name);
        EXPECT_EQ(c[79].name.view(), "abcdefghijZlmnopq") << inPath;
        EXPECT_EQ(c[0].name.view(), "abcdefghijklmnopq100") << inPath;
    }
}

// Entries of two catalogues, whose folders share their numbers in their
// pools, sort by their whole paths as entries of one would.
TEST(Catalogue, APathSortTellsFoldersOfTwoCataloguesApart) {
    const char* paths[][2] = {{"/t/b/x.trk", "/t/a/y.trk"},
                              {"/t/a/z.trk", "/t/B/w.trk"},
                              {"/t/c.trk", "/t/A/c/v.trk"},
                              {"/t/b/a.trk", "/t/zz.trk"}};
    Catalogue one, two;
    std::vector<TrackEntry*> order;
    for (const auto& [first, second] : paths) {
        one.setPath(one.append(), first);
        order.push_back(&one[one.count() - 1]);
        two.setPath(two.append(), second);
        order.push_back(&two[two.count() - 1]);
    }
    std::vector<TrackEntry*> expected = order;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const TrackEntry* a, const TrackEntry* b) { return compareFolded(a->path(), b->path()) < 0; });
    sortEntries(order, SortKey::Path);
    EXPECT_TRUE(order == expected);
}

// A catalogue made again of another's entries holds their texts where they
// were, until most of the pool is texts no entry holds (tracks read again at
// each change): then its own are copied apart, ids and order kept.
TEST(Catalogue, ACatalogueMadeAgainSharesTextsUntilMostAreUnused) {
    const std::string long_(4000, 'x');
    Catalogue c;
    for (int i = 0; i < 300; ++i) {
        TrackEntry& e = c.append();
        c.setPath(e, "/lib/" + std::to_string(i) + "/", long_);
        c.setText(e.author, "read 0 ", long_);
    }
    const auto seen = [](const Catalogue& k) {
        std::vector<std::pair<std::uint32_t, std::string>> entries;
        for (const TrackEntry& e : k.entries()) entries.emplace_back(e.id, e.path() + std::string(e.author));
        return entries;
    };
    bool copied = false;
    for (int round = 1; round <= 6; ++round) {
        Catalogue next;
        next.shareTextsOf(c);
        for (const TrackEntry& e : std::as_const(c).entries()) next.appendSharing(e);
        for (TrackEntry& e : next.entries()) next.setText(e.author, "read " + std::to_string(round) + " ", long_);
        next.sort(SortKey::Path, round % 2 ? SortOrder::Descending : SortOrder::Ascending);
        next.setRoot("/lib/");
        const auto before = seen(next);
        const char* const pathBefore = next[0].file.data();
        const bool moved = next.dropUnusedTexts();
        copied = copied || moved;
        EXPECT_EQ(next[0].file.data() == pathBefore, !moved) << round;
        EXPECT_LE(next.textPoolBytes(), 2 * 2 * 300 * 4010 + (1 << 20)) << round;
        ASSERT_EQ(seen(next), before) << round;
        EXPECT_EQ(next.root(), "/lib/");
        c = std::move(next);
    }
    EXPECT_TRUE(copied) << "the unused texts were never dropped";
}

TEST(Text, FitCountsCharacters) {
    struct Case {
        std::string in;
        std::size_t width;
        std::string out;
    };
    const Case cases[] = {
        {"abc", 5, "abc  "},
        {"abcdef", 3, "abc"},
        {"", 2, "  "},
        {"\xC3\xA9\xC3\xA9\xC3\xA9", 2, "\xC3\xA9\xC3\xA9"},
        {"a\xE2\x82\xAC", 3, "a\xE2\x82\xAC "},
        {"\xE2\x82\xAC\xE2\x82\xAC", 1, "\xE2\x82\xAC"},
    };
    for (const auto& c : cases) EXPECT_EQ(fitText(c.in, c.width), c.out) << c.in;
}

// A name's bytes that start no character (an old archive's Windows-1252
// names, a cut or overlong sequence, a surrogate) show as Windows-1252, and
// the filter finds them as shown.
TEST(Text, BytesThatAreNoUtf8ShowAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xe9 Ring", "Caf\u00e9 Ring"},
        {"\xC3", "\u00C3"},
        {"\xC0\xAF", "\u00C0\u00AF"},
        {"\xED\xA0\x80", "\u00ED\u00A0\u20AC"},
        {"\xF4\x90\x80\x80", "\u00F4\u0090\u20AC\u20AC"},
        {"ok \u00e9\xff\n", "ok \u00e9\u00FF\u240A"},
        {"\u00e9\u20ac\U0001F3C1", "\u00e9\u20ac\U0001F3C1"},
    };
    for (const auto& [raw, shown] : cases) {
        EXPECT_EQ(visibleControls(raw), shown) << raw;
        EXPECT_TRUE(isUtf8(visibleControls(raw))) << raw;
    }
    Catalogue c = make({{"Caf\xe9 Ring", "", 0, 0, "", "/t/Caf\xe9 Ring.trk", false}});
    CatalogueView view;
    view.reset(c);
    view.prepareSearch();
    view.setFilter("cafe");
    EXPECT_EQ(view.rows(), 1u);
}

TEST(Text, PathParts) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/a/b/Ring.trk", "/a/b/", "Ring.trk"},
        {"Ring.trk", "", "Ring.trk"},
#ifdef _WIN32
        {"C:\\x\\Ring.TRK", "C:\\x\\", "Ring.TRK"},
#else  // only "/" separates: a backslash is part of a name
        {"/t/my\\slash.trk", "/t/", "my\\slash.trk"},
        {"C:\\x\\Ring.TRK", "", "C:\\x\\Ring.TRK"},
#endif
    };
    for (const auto& [path, folder, file] : cases) {
        EXPECT_EQ(platform::pathPart(path), folder) << path;
        EXPECT_EQ(platform::filePart(path), file) << path;
    }
    EXPECT_EQ(extensionPart("a.b.trk"), "trk");
    EXPECT_EQ(extensionPart("trk"), "");
    EXPECT_EQ(dropLastCharacters("Ring.TRK", 4), "Ring");
    EXPECT_EQ(dropLastCharacters(".trk", 4), "");
}

}  // namespace
}  // namespace pitbox::test
