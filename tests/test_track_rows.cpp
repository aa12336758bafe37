#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "app/list_view.h"
#include "support/catalogue_of.h"

namespace pitbox::test {
namespace {

Catalogue make(std::initializer_list<TableTrack> tracks) { return catalogueOf(tracks); }

TEST(ListView, ControlCharactersInTextsStayInTheirCells) {
    Catalogue c = make({{"a\nb", "Jo\rDoe", 5, -1, "x\x7Fy", "/t/a\nb.trk", false, TrackState::Scanned}});
    CatalogueView view;
    view.reset(c);
    const TrackRows rows(view);
    const char* cells[] = {"a\u240Ab", "5", "-1", "Jo\u240DDoe", "x\u2421y", "/t/a\u240Ab.trk"};
    for (std::size_t column = 0; column < 6; ++column) {
        std::string cell;
        rows.appendCell(0, column, cell);
        EXPECT_EQ(cell, cells[column]) << column;
    }
}

TEST(ListView, TypingFindsANameAsTheFilterWould) {
    Catalogue c = make({{"Sierra", "", 0, 0, "", "/t/Sierra.trk", false},
                        {"S\u00E3o Paulo", "", 0, 0, "", "/t/Sao.trk", false},
                        {"\u0422\u0440\u0430\u0441\u0441\u0430", "", 0, 0, "", "/t/T.trk", false}});
    CatalogueView view;
    view.reset(c);
    view.showDuplicates({{&c[0], 0, CatalogueView::Duplicate::Identical},
                         {&c[1], 0, CatalogueView::Duplicate::Identical},
                         {&c[2], 0, CatalogueView::Duplicate::SameTrack}});
    const TrackRows rows(view);  // the names behind the Duplicates view's marks
    const std::tuple<const char*, std::size_t, std::optional<std::size_t>> cases[] = {
        {"sao", 0, 1},                               // not Sierra
        {"S\u00C3O", 2, 1}, {"\u0442\u0440", 0, 2},  // тр
        {"s", 2, 0},        {"x", 0, std::nullopt},
    };
    for (const auto& [typed, from, row] : cases) EXPECT_EQ(rows.findRow(typed, from), row) << typed;
}

}  // namespace
}  // namespace pitbox::test
