// The label-button tables name real controls of their windows, and every label-button has the
// program's pointing hand.
#include <gtest/gtest.h>

#include <QDir>

#include "addressbook/frmAddressBook.h"
#include "favorites/frmFavorite.h"
#include "mainwindow/frmPelimo.h"
#include "preferences/frmSetUp.h"
#include "ui/label_button_tables.h"
#include "ui/pointing_hand_cursor.h"
#include "ui/window_test_support.h"

namespace {

TEST(LabelButtonTables, EveryNamedControlExistsInItsWindow) {
    TestFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("Favories"));
    frmPelimo main;
    frmFavorite favorite;
    frmSetUp setUp;
    frmAddressBook addressBook;
    const std::pair<QWidget*, const LabelButtonTable*> windows[] = {
        {&main, &LabelButtonTables::mainWindow()},
        {&favorite, &LabelButtonTables::favorite()},
        {&setUp, &LabelButtonTables::setUp()},
        {&addressBook, &LabelButtonTables::addressBook()},
    };
    for (const auto& [window, table] : windows) {
        const LabelButtonHover hover(window, *table);
        EXPECT_TRUE(hover.missingControls().isEmpty())
            << window->objectName().toStdString() << ": "
            << hover.missingControls().join(u' ').toStdString();
    }
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
