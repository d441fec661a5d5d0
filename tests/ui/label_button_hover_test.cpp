// The label-button tables name real controls of their windows, and every label-button has the
// program's pointing hand.
#include <gtest/gtest.h>

#include <QDir>

#include "favorites/frmFavorite.h"
#include "mainwindow/frmPelimo.h"
#include "preferences/frmSetUp.h"
#include "ui/label_button_tables.h"
#include "ui/pointing_hand_cursor.h"
#include "ui/window_parts.h"
#include "ui/window_test_support.h"

namespace {

TEST(LabelButtonTables, EveryNamedControlExistsInItsWindow) {
    TestFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("Favories"));
    frmPelimo main;
    frmFavorite favorite;
    frmSetUp setUp;
    const std::pair<QWidget*, const LabelButtonTable*> windows[] = {
        {&main, &gMainWindowLabelButtons()},
        {&favorite, &gFavoriteLabelButtons()},
        {&setUp, &gSetUpLabelButtons()},
    };
    for (const auto& [window, table] : windows) {
        const LabelButtonHover hover(window, *table);
        EXPECT_TRUE(hover.missingControls().isEmpty())
            << window->objectName().toStdString() << ": "
            << hover.missingControls().join(u' ').toStdString();
    }
}

TEST(LabelButtonTables, AResetRunsItsFollowerAndOnlyItsGroup) {
    QWidget window;
    auto* a = gNamed(new LabelButton(LabelButton::Look::Command, &window), "a");
    auto* b = gNamed(new LabelButton(LabelButton::Look::Command, &window), "b");
    auto* c = gNamed(new LabelButton(LabelButton::Look::Command, &window), "c");
    // A loop in a table must not hang.
    gInstallLabelButtons(
        &window,
        {.groups = {{"first", {"a"}, "second"}, {"second", {"b"}, "first"}, {"third", {"c"}}}});
    for (LabelButton* label : {a, b, c})
        label->setHighlighted(true);
    gResetLabelButtons(&window, "first");
    EXPECT_FALSE(a->isHighlighted());
    EXPECT_FALSE(b->isHighlighted());
    EXPECT_TRUE(c->isHighlighted());
}

TEST(PointingHandCursor, IsTheProgramsHandWithItsHotSpotAtTheFingerTip) {
    const LabelButton button(LabelButton::Look::Command);
    const QCursor cursor = button.cursor();
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(13, 5));
    const QImage image = cursor.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    // The hot spot lies on the finger; a little above it there is nothing but the background.
    EXPECT_GT(qAlpha(image.pixel(13, 5)), 200);
    EXPECT_EQ(qAlpha(image.pixel(13, 1)), 0);
}

}  // namespace
