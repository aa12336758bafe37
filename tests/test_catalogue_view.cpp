#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include "library/catalogue_view.h"
#include "library/search_texts.h"
#include "library/track_filter.h"
#include "support/catalogue_of.h"

namespace pitbox::test {
namespace {

TEST(TrackFilter, EveryWordSomewhereIgnoringCaseAndAccents) {
    const TrackEntry& e =
        entryOf({"Forest Ring", "M\u00E4kinen", 0, 0, "\u00C9lodie \u0141ukasz", "/t/Stra\u00DFe/r.trk", false});
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"   ", true},
        {"makinen", true},
        {"M\u00C4KINEN", true},
        {"elodie", true},
        {"lukasz", true},
        {"strasse", true},
        {"ring forest", true},
        {"ring  makinen", true},  // words in different fields
        {"ring river", false},
        {"mackinen", false},
        {"ringmakinen", false},  // no word reaches across two fields
        {"r.trk", true},
        {"strasse/r.trk", true},  // from the folders on into the file name
        {"t/strasse/r", true},
        {"e/r.t", true},
        {"strasse/x", false},
        {"strasse/ring", false},  // the name is no file name
    };
    for (const auto& [text, matches] : cases) EXPECT_EQ(TrackFilter(text).matches(e, e.path()), matches) << text;
}

// A word for one field, and phrases, the field's prefix in any case.
TEST(TrackFilter, FieldWordsAndPhrases) {
    const TrackEntry& e = entryOf({"Green Hill", "Ann Lee", 0, 0, "M\u00E4kinen Bob", "/t/Forest/r.trk", false});
    const std::pair<const char*, bool> cases[] = {
        {"author:ann", true},
        {"AUTHOR:lee hill", true},
        {"author:makinen", false},  // a record holder, not the author
        {"record:makinen", true},
        {"name:hill path:forest", true},
        {"name:forest", false},
        {"path:r.trk", true},
        {"\"green hill\"", true},
        {"\"GREEN   Hill\"", true},
        {"\"hill green\"", false},
        {"name:\"green hill\"", true},
        {"author:\"green hill\"", false},
        {"\"green hill", true},  // a phrase still being typed
        {"author:", true},       // a prefix alone asks for nothing yet
        {"author:ann author:ann", true},
        {"\"hill r\"", false},  // no phrase reaches across two fields
        {"path:forest/r.t", true},
        {"\"forest/r\"", true},
        {"name:forest/r", false},
        {"author:t/forest", false},
    };
    for (const auto& [text, matches] : cases) EXPECT_EQ(TrackFilter(text).matches(e, e.path()), matches) << text;
}

// A name that begins its file name, as most do, and one that does not (the
// mark of a track that needs 1.10): each word for the name or the path finds
// that field alone.
TEST(TrackFilter, NamesAndTheirFileNames) {
    const TrackEntry& plain = entryOf({"Track 5", "Ann", 0, 0, "", "/t/Hill/Track 5.TRK", false});
    const TrackEntry& marked = entryOf({"Track 5 * 1.10", "Ann", 0, 0, "", "/t/Hill/Track 5.TRK", true});
    const std::tuple<const char*, bool, bool> cases[] = {
        {"name:track", true, true},     {"name:5.trk", false, false},    {"path:5.trk", true, true},
        {"name:hill", false, false},    {"\"track 5.trk\"", true, true}, {"name:\"track 5\"", true, true},
        {"name:1.10", false, true},     {"path:1.10", false, false},     {"1.10", false, true},
        {"author:track", false, false}, {"name:ann", false, false},      {"hill/track", true, true},
    };
    for (const auto& [text, inPlain, inMarked] : cases) {
        EXPECT_EQ(TrackFilter(text).matches(plain, plain.path()), inPlain) << text;
        EXPECT_EQ(TrackFilter(text).matches(marked, marked.path()), inMarked) << text;
    }
}

// Every script, accents composed or not, typed or stored, as on every system.
TEST(TrackFilter, CaseAndAccentsOfAllScripts) {
    const TrackEntry& e =
        entryOf({"\u0422\u0440\u0430\u0441\u0441\u0430 E\u0301lodie",  // Трасса, É decomposed
                 "\u0218oseaua",                                       // Șoseaua
                 0, 0,
                 "\u039A\u03CC\u03C3\u03BC\u03BF\u03C2 \uFB01n \uFF21",  // Κόσμος, the fi ligature, a wide A
                 "/t/S\u00F8ren.trk", false});
    const std::pair<const char*, bool> cases[] = {
        {"elodie", true},
        {"\u00C9LODIE", true},                           // composed, finding the decomposed
        {"\u0442\u0440\u0430\u0441\u0441\u0430", true},  // трасса
        {"\u0422\u0420\u0410\u0421\u0421\u0410", true},  // ТРАССА
        {"soseaua", true},
        {"\u03BA\u03BF\u03C3\u03BC\u03BF\u03C3", true},  // κοσμοσ: accent and final sigma
        {"fin a", true},
        {"soren", true},
        {"trassa", false},  // no transliteration
        {"elodie elodie elodie soseaua", true},
    };
    for (const auto& [text, matches] : cases) EXPECT_EQ(TrackFilter(text).matches(e, e.path()), matches) << text;
}

// Path words are looked for below the loaded folder, whose own path every
// track shares; a track elsewhere is searched by its whole path.
TEST(TrackFilter, PathWordsBelowTheLoadedFolder) {
    Catalogue c = catalogueOf({
        {"a", "kim", 0, 0, "", "/home/kim/tracks/sub/a.trk", false},
        {"b", "amy", 0, 0, "", "/home/kim/tracks/b.trk", false},
        {"c", "zed", 0, 0, "", "/elsewhere/kim/c.trk", false},
    });
    c.setRoot("/home/kim/tracks/");
    CatalogueView view;
    view.reset(c);
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"kim", {"a", "c"}}, {"home", {}}, {"tracks", {}}, {"sub", {"a"}}, {"b.trk", {"b"}},
    };
    for (const auto& [text, names] : cases) {
        view.setFilter(text);
        std::vector<std::string> shown;
        for (const TrackEntry& e : view.shown()) shown.emplace_back(e.name);
        EXPECT_EQ(shown, names) << text;
    }
}

// The folded texts kept as entries change, their folders shared: the same as
// folding them all anew, after enough changes for the texts to be packed.
TEST(SearchTexts, ChangedTextsReadAsFreshOnes) {
    Catalogue c = catalogueOf({
        {"a", "zed", 0, 0, "", "/r/Sub/a.trk", false},
        {"b", "amy", 0, 0, "", "/r/Sub/b.trk", false},
        {"c", "amy", 0, 0, "", "/r/Other/c.trk", false},
        {"d", "bob", 0, 0, "", "/r/d.trk", false},
    });
    c.setRoot("/r/");
    SearchTexts texts;
    texts.prepare(c);
    const char* const paths[] = {"/r/Sub/a.trk", "/r/New/a.trk", "/r/d.trk", "/r/Other/a.trk"};
    for (int round = 0; round < 40; ++round) {
        TrackEntry& e = c.byId(static_cast<std::uint32_t>(round % 3));
        c.setText(e.author, "Author " + std::to_string(round));
        c.setPath(e, paths[round % 4]);
        const TrackEntry* changed[] = {&e};
        ASSERT_TRUE(texts.changed(c, changed));
        SearchTexts fresh;
        fresh.prepare(c);
        for (std::uint32_t id = 0; id < c.count(); ++id) {
            ASSERT_EQ(texts.ofId(id).own, fresh.ofId(id).own) << round;
            ASSERT_EQ(texts.ofId(id).folder, fresh.ofId(id).folder) << round;
            ASSERT_EQ(texts.ofId(id).nameSize, fresh.ofId(id).nameSize) << round;
        }
    }
}

// A filter narrows another when each of the other's terms lies within one of
// its own, for the same field or for any: then the rows shown need only be
// looked at again as the user types on.
TEST(TrackFilter, NarrowsWhatTypingOnNarrows) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"", "", true},
        {"", "m", true},
        {"m", "ma", true},
        {"mak", "ma", false},
        {"ma", "ma ring", true},
        {"ring", "ma", false},
        {"ma", "author:mak", true},   // a field's word lies in any field
        {"author:ma", "mak", false},  // but a word of any field is not the author's
        {"author:ma", "author:mak", true},
        {"author:ma", "name:mak", false},
        {"\"green h", "\"green hi\"", true},
        {"green hill", "\"green hill\"", true},
        {"\"green hill\"", "green hill", false},
    };
    for (const auto& [wider, next, narrows] : cases)
        EXPECT_EQ(TrackFilter(next).narrows(TrackFilter(wider)), narrows) << wider << " -> " << next;
}

// The names of the rows a view shows, in its order.
std::vector<std::string> namesShown(const CatalogueView& v) {
    std::vector<std::string> names;
    for (const TrackEntry& e : v.shown()) names.emplace_back(e.name);
    return names;
}

Catalogue fourTracks() {
    return catalogueOf({
        {"a", "zed", 3, 0, "", "/x/a.trk", false},
        {"b", "amy", 1, 0, "", "/y/b.trk", false},
        {"c", "amy", 2, 0, "", "/x/c.trk", false},
        {"d", "bob", 1, 0, "", "/y/d.trk", false},
    });
}

class View : public ::testing::Test {
protected:
    void SetUp() override { view.reset(catalogue); }
    std::vector<std::string> shown() const { return namesShown(view); }
    Catalogue catalogue = fourTracks();
    CatalogueView view;
};

// Typing on and back, as a user does: each step shows what a fresh view of
// the same text shows, the selection hidden with the rows it leaves.
TEST_F(View, TypingOnShowsWhatTheWholeFilterShows) {
    const std::size_t all[] = {0, 1, 2, 3};
    view.selectRows(all);
    for (const char* text : {"a", "am", "amy", "amy /x", "amy /x/c", "amy /x", "a", "", "b", "bo", "name:a"}) {
        view.setFilter(text);
        CatalogueView fresh;
        fresh.reset(catalogue);
        fresh.setFilter(text);
        EXPECT_EQ(shown(), namesShown(fresh)) << text;
        for (std::size_t row = 0; row < view.rows(); ++row) EXPECT_EQ(view.rowOf(view.row(row)), row) << text;
    }
    EXPECT_EQ(view.selectedCount(), 0u) << "each row selected was hidden on the way";
}

// A text typed back shows what the library shows for it now: in the order
// of a sort since, with the texts a Scan changed since.
TEST_F(View, ATextTypedBackShowsTheRowsOfNow) {
    const auto expectFresh = [&](const char* step, SortOrder order) {
        CatalogueView fresh;
        fresh.reset(catalogue);
        fresh.sort(SortKey::Path, order);
        fresh.setFilter(view.filterText());
        EXPECT_EQ(shown(), namesShown(fresh)) << step;
    };
    view.sort(SortKey::Path, SortOrder::Ascending);
    for (const char* text : {"amy", "amy /x", "amy"}) view.setFilter(text);
    expectFresh("typed back", SortOrder::Ascending);
    view.sort(SortKey::Path, SortOrder::Descending);
    for (const char* text : {"amy /x", "amy"}) view.setFilter(text);
    expectFresh("typed back after a sort", SortOrder::Descending);
    TrackEntry& d = catalogue[3];
    catalogue.setText(d.author, "amy");
    const TrackEntry* changed[] = {&d};
    (void)view.entriesChanged(changed);
    for (const char* text : {"amy /x", "amy"}) view.setFilter(text);
    expectFresh("typed back after a Scan", SortOrder::Descending);
}

// A library large enough to be looked at on several threads: every track the
// filter lets through is shown once, in the view's order after a sort, and
// typing on keeps what a whole filter keeps.
TEST(CatalogueView, ALargeLibraryShowsEachMatchOnceInTheViewsOrder) {
    Catalogue c;
    for (int i = 0; i < 150001; ++i) {
        TrackEntry& e = c.append();
        // Folders of 100 tracks, the name "t" and the track's number.
        const std::string folder = "/l/f" + std::to_string(i / 100) + "/";
        c.setPath(e, folder, "t" + std::to_string(i) + ".trk");
        e.name = Text(e.file.view().substr(0, e.file.size() - 4));
        e.author = i % 7 == 0 ? "Ann" : "Bob";
        e.length = (i * 7919) % 1000;
    }
    CatalogueView view;
    view.reset(c);
    view.sort(SortKey::Length, SortOrder::Descending);
    std::vector<TrackEntry*> order = c.order();
    sortEntries(order, SortKey::Length, SortOrder::Descending);
    const std::size_t picked[] = {0, 1, 2};
    view.selectRows(picked);
    for (const char* text : {"ann", "ann t1", "ann t12", "bob", "f12", "f12/t12", "bob f1/t", "bob path:f14", ""}) {
        view.setFilter(text);
        const TrackFilter filter(text);
        std::vector<const TrackEntry*> expected;
        for (const TrackEntry* e : order)
            if (filter.matches(*e, e->path())) expected.push_back(e);
        ASSERT_EQ(view.rows(), expected.size()) << text;
        for (std::size_t row = 0; row < view.rows(); ++row) {
            ASSERT_EQ(&view.row(row), expected[row]) << text << " row " << row;
            ASSERT_EQ(view.rowOf(view.row(row)), row) << text;
        }
    }
    EXPECT_EQ(view.selectedCount(), 0u) << "the rows selected were hidden by \"bob\"";
}

// A change in the library's tree made in place (c gone, "ab" and "e" come)
// shows what a fresh view of the changed catalogue shows, under any sort and
// filter; the selection keeps what is left of it, the topmost current.
TEST_F(View, AChangeInPlaceShowsWhatAFreshViewShows) {
    struct Case {
        std::optional<std::pair<SortKey, SortOrder>> sort;
        const char* filter;
    };
    const Case cases[] = {
        {std::nullopt, ""},
        {std::pair{SortKey::Author, SortOrder::Ascending}, ""},
        {std::pair{SortKey::WorldSize, SortOrder::Descending}, ""},
        {std::pair{SortKey::Path, SortOrder::Descending}, "amy"},
        {std::pair{SortKey::Name, SortOrder::Ascending}, "/x/"},
        {std::nullopt, "zed"},
    };
    for (const Case& c : cases) {
        Catalogue changing = fourTracks();
        CatalogueView v;
        v.reset(changing);
        if (c.sort) v.sort(c.sort->first, c.sort->second);
        v.setFilter(c.filter);
        v.prepareSearch();
        v.selectWhere([](const TrackEntry& e) { return e.name == "b" || e.name == "c"; });
        v.makeCurrent(changing.byId(2));
        const TrackEntry& ab = appendTrack(changing, {"ab", "amy", 1, 0, "", "/y/ab.trk", false});
        const TrackEntry& e = appendTrack(changing, {"e", "amy", 2, 0, "", "/x/e.trk", false});
        changing.reorder(
            {&changing.byId(0), &changing.byId(ab.id), &changing.byId(1), &changing.byId(3), &changing.byId(e.id)});
        const std::uint32_t gone[] = {2}, added[] = {ab.id, e.id};
        v.catalogueChanged(gone, added);

        CatalogueView fresh;
        fresh.reset(changing);
        if (c.sort) fresh.sort(c.sort->first, c.sort->second);
        fresh.setFilter(c.filter);
        const std::vector<std::string> expected = namesShown(fresh), got = namesShown(v);
        const std::string what = std::string(c.filter) + (c.sort ? " sorted" : "");
        EXPECT_EQ(got, expected) << what;
        for (std::size_t row = 0; row < v.rows(); ++row) EXPECT_EQ(v.rowOf(v.row(row)), row) << what;
        const bool bShown = std::find(got.begin(), got.end(), "b") != got.end();
        EXPECT_EQ(v.selectedCount(), bShown ? 1u : 0u) << what;
        EXPECT_EQ(v.current(), bShown ? &changing.byId(1) : nullptr) << what;
    }
}

// A group of duplicates left with one track is one no more; with the last
// group gone, every track shows again.
TEST_F(View, AChangeInPlaceEndsTheGroupsItLeavesAlone) {
    using D = CatalogueView::Duplicate;
    view.showDuplicates({{&catalogue.byId(0), 1, D::Identical},
                         {&catalogue.byId(2), 1, D::Identical},
                         {&catalogue.byId(1), 2, D::SameTrack},
                         {&catalogue.byId(3), 2, D::SameTrack}});
    catalogue.reorder({&catalogue.byId(0), &catalogue.byId(1), &catalogue.byId(3)});
    const std::uint32_t c[] = {2};
    view.catalogueChanged(c, {});
    EXPECT_EQ(shown(), (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(view.duplicateKind(catalogue.byId(0)), D::None);
    EXPECT_EQ(view.duplicateGroups(), 1u);
    catalogue.reorder({&catalogue.byId(0), &catalogue.byId(1)});
    const std::uint32_t d[] = {3};
    view.catalogueChanged(d, {});
    EXPECT_FALSE(view.showingDuplicates());
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(View, SortsComposeInBothDirections) {
    view.sort(SortKey::WorldSize, SortOrder::Descending);
    EXPECT_EQ(shown(), (std::vector<std::string>{"a", "c", "b", "d"}));  // b and d keep their order
    view.sort(SortKey::Author);
    EXPECT_EQ(shown(), (std::vector<std::string>{"c", "b", "d", "a"}));
    view.sort(SortKey::Path, SortOrder::Descending);
    EXPECT_EQ(shown(), (std::vector<std::string>{"d", "b", "c", "a"}));
}

TEST_F(View, SelectionAndCurrentFollowTheEntries) {
    const std::size_t picked[] = {3, 1};  // d and b; b is the topmost
    view.selectRows(picked);
    EXPECT_EQ(view.current()->name, "b");
    view.sort(SortKey::Name, SortOrder::Descending);  // d c b a
    EXPECT_EQ(view.selectedRows(), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(view.currentRow(), 2u);

    // Filtering hides c and a: the selection and current entry are still there.
    view.setFilter("/y/");
    EXPECT_EQ(shown(), (std::vector<std::string>{"d", "b"}));
    EXPECT_EQ(view.selectedRows(), (std::vector<std::size_t>{0, 1}));
    // Hiding an entry unselects it; hiding the current one leaves none.
    view.setFilter("d");
    EXPECT_EQ(view.selectedCount(), 1u);
    EXPECT_EQ(view.current(), nullptr);
    view.setFilter("");
    EXPECT_EQ(view.selectedRows(), (std::vector<std::size_t>{0}));

    // An empty selection (a click below the rows) keeps the current entry.
    const std::size_t last[] = {3};
    view.selectRows(last);
    view.selectRows({});
    EXPECT_EQ(view.selectedCount(), 0u);
    EXPECT_EQ(view.current()->name, "a");

    // New texts (a Scan) are filtered again.
    view.setFilter("zed");
    catalogue.byId(0).author = "\u00C5sa";
    view.refresh();
    EXPECT_TRUE(shown().empty());
    view.setFilter("asa");
    EXPECT_EQ(shown(), std::vector<std::string>{"a"});
}

// The table's clicks, one range at a time: the topmost selected row is
// current, even when a sort has put the current entry lower; letting go of
// every row keeps it.
TEST_F(View, RangesSelectedOneClickAtATime) {
    struct Step {
        std::size_t first, last;
        bool selected;
        std::vector<std::size_t> rows;
        const char* current;
    };
    const Step steps[] = {
        {2, 2, true, {2}, "c"},       {0, 1, true, {0, 1, 2}, "a"},
        {0, 0, false, {1, 2}, "b"},                           // the current row let go: the next one down
        {3, 9, true, {1, 2, 3}, "b"},                         // as far as there are rows
        {1, 3, false, {}, "b"},       {4, 5, true, {}, "b"},  // below the rows: nothing
    };
    for (const Step& s : steps) {
        view.setRowsSelected(s.first, s.last, s.selected);
        EXPECT_EQ(view.selectedRows(), s.rows) << s.first << ".." << s.last;
        EXPECT_EQ(view.current()->name, s.current) << s.first << ".." << s.last;
    }
    const std::size_t low[] = {3};  // d
    view.selectRows(low);
    view.sort(SortKey::Name, SortOrder::Descending);  // d c b a: d, current, is on top
    view.setRowsSelected(3, 3, true);
    view.sort(SortKey::Name);  // a b c d: a on top, d still current
    EXPECT_EQ(view.current()->name, "d");
    view.setRowsSelected(1, 1, true);
    EXPECT_EQ(view.current()->name, "a");
    EXPECT_TRUE(view.isRowSelected(0) && view.isRowSelected(1) && !view.isRowSelected(2) && !view.isRowSelected(4));
}

}  // namespace
}  // namespace pitbox::test
