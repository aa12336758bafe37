#include <gtest/gtest.h>

#include <climits>

#include "toolkit/toolkit_core.h"

namespace pitbox::ui {
namespace {

// The rules of the keys both backends follow; each backend's own suite shows
// its native calls carry them out.
TEST(KeyRules, WhatEachKeyDoesWhere) {
    struct Case {
        const char* what;
        KeyPress press;
        KeyAction action;
    };
    const auto at = [](Key key) {
        KeyPress p;
        p.key = key;
        return p;
    };
    auto with = [](KeyPress p, auto&& change) {
        change(p);
        return p;
    };
    const Case cases[] = {
        {"Escape in the main window", at(Key::Escape), KeyAction::Report},
        {"Ctrl+Escape in the main window", with(at(Key::Escape), [](KeyPress& p) { p.plain = false; }),
         KeyAction::Native},
        {"Escape over it", with(at(Key::Escape), [](KeyPress& p) { p.ownedWindow = true; }), KeyAction::Close},
        {"Escape in a field with text",
         with(at(Key::Escape), [](KeyPress& p) { p.inField = p.fieldHasText = p.ownedWindow = true; }),
         KeyAction::ClearField},
        {"Escape in an empty field", with(at(Key::Escape), [](KeyPress& p) { p.inField = true; }), KeyAction::Report},
        {"Down in a field", with(at(Key::Down), [](KeyPress& p) { p.inField = true; }), KeyAction::FocusBelow},
        {"Up in a field", with(at(Key::Up), [](KeyPress& p) { p.inField = p.windowReportsKeys = true; }),
         KeyAction::Native},
        {"Delete in the table", with(at(Key::Delete), [](KeyPress& p) { p.inTable = true; }), KeyAction::Report},
        {"Shift+Delete in the table",
         with(at(Key::Delete),
              [](KeyPress& p) {
                  p.inTable = true;
                  p.plain = false;
              }),
         KeyAction::Native},
        {"Delete elsewhere", at(Key::Delete), KeyAction::Native},
        {"Delete in a table over the main window",
         with(at(Key::Delete), [](KeyPress& p) { p.inTable = p.ownedWindow = true; }), KeyAction::Native},
        {"PageDown in the viewer",
         with(at(Key::PageDown), [](KeyPress& p) { p.windowReportsKeys = p.ownedWindow = true; }), KeyAction::Report},
        {"PageDown in the table", with(at(Key::PageDown), [](KeyPress& p) { p.inTable = true; }), KeyAction::Native},
    };
    for (const Case& c : cases) EXPECT_EQ(keyAction(c.press), c.action) << c.what;
}

TEST(ProgressSteps, LargeCountsScaleTogether) {
    EXPECT_EQ(progressSteps(5, 10).range, 10);
    EXPECT_EQ(progressSteps(11, 10).position, 10);  // never past the end
    const std::size_t big = std::size_t{1} << 40;
    const ProgressSteps steps = progressSteps(big / 2, big);
    EXPECT_LE(steps.range, INT_MAX);
    EXPECT_EQ(steps.position * 2, steps.range);
}

}  // namespace
}  // namespace pitbox::ui
