// What a screen reader finds through Qt's accessibility interfaces: every label-button of every
// window is a named push button whose press action runs its command, and every text box and list
// is named after its caption.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>

#include "ui/limited_text_box.h"

#include "addressbook/frmAddressBook.h"
#include "common/window_part.h"
#include "favorites/frmFavorite.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/panel_state.h"
#include "preferences/frmSetUp.h"
#include "stores/language_file.h"
#include "ui/frmError.h"
#include "ui/label_button_accessible.h"
#include "ui/window_test_support.h"

namespace {

class AccessibilityTest : public ::testing::Test {
protected:
    AccessibilityTest() {
        LabelButtonAccessible::install();
        writeNumberedLanguage(folder_);
        QDir(folder_.path()).mkdir(QStringLiteral("Favories"));
        gLoadLanguageFile(folder_.path(QStringLiteral("orglng.lng")));
    }
    ~AccessibilityTest() override { LanguageStore::reset(); }

    // Every label-button of `window`: a push button named by its caption (or `iconNames` for
    // the icon-only ones) whose first action is press.
    static void expectNamedPushButtons(QWidget* window,
                                       const std::map<QString, QString>& iconNames = {}) {
        const auto buttons = window->findChildren<LabelButton*>();
        ASSERT_FALSE(buttons.isEmpty());
        for (LabelButton* button : buttons) {
            SCOPED_TRACE(button->objectName().toStdString());
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->role(), QAccessible::Button);
            const auto icon = iconNames.find(button->objectName());
            const QString expected =
                icon != iconNames.end() ? icon->second : button->text().simplified();
            EXPECT_FALSE(expected.isEmpty());
            EXPECT_EQ(face->text(QAccessible::Name), expected);
            QAccessibleActionInterface* actions = face->actionInterface();
            ASSERT_NE(actions, nullptr);
            ASSERT_FALSE(actions->actionNames().isEmpty());
            EXPECT_EQ(actions->actionNames().front(), QAccessibleActionInterface::pressAction());
        }
    }

    // Every text box and list of `window` has a non-empty accessible name.
    static QStringList unnamedTextControls(QWidget* window) {
        QStringList unnamed;
        QList<QWidget*> controls;
        for (auto* box : window->findChildren<QPlainTextEdit*>())
            controls.append(box);
        for (auto* box : window->findChildren<QLineEdit*>())
            controls.append(box);
        for (auto* view : window->findChildren<QAbstractItemView*>()) {
            // A grid's headers are read as part of its table.
            if (qobject_cast<QHeaderView*>(view) == nullptr)
                controls.append(view);
        }
        for (QWidget* control : controls) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
            if (face == nullptr || face->text(QAccessible::Name).trimmed().isEmpty())
                unnamed.append(control->objectName());
        }
        return unnamed;
    }

    TestFolder folder_;
};

TEST_F(AccessibilityTest, MainWindowCommandsArePushButtonsAndPressRunsTheCommand) {
    frmPelimo window;
    window.mDisplayLanguage();
    // The icon entries of the panel bar carry no text: they are named after their text entry.
    expectNamedPushButtons(&window,
                           {{QStringLiteral("lblMenuSendMessage2"), QStringLiteral("T46")},
                            {QStringLiteral("lblMenuReadMessage2"), QStringLiteral("T47")},
                            {QStringLiteral("lblMenuHistoric2"), QStringLiteral("T48")},
                            {QStringLiteral("lblMenuAddressBook2"), QStringLiteral("T49")}});
    EXPECT_EQ(unnamedTextControls(&window), QStringList());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part<QPlainTextEdit>(window, "txtSendUserList"))
                  ->text(QAccessible::Name),
              QStringLiteral("T3"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part<QTableView>(window, "MSFlexGrid1"))
                  ->text(QAccessible::Name),
              QStringLiteral("T48"));

    // Pressing through the interface runs the command once the event loop turns, as a click.
    window.show();
    gCurrentPanel = kPanelSend;
    window.mDisplayWindows();
    QAccessibleInterface* history =
        QAccessible::queryAccessibleInterface(part<LabelButton>(window, "lblMenuHistoric2"));
    history->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(part<QWidget>(window, "picHistoric")->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return part<QWidget>(window, "picHistoric")->isVisible(); }));
    QAccessibleInterface* read =
        QAccessible::queryAccessibleInterface(part<LabelButton>(window, "lblMenuReadMessage"));
    QSignalSpy readClicked(part<LabelButton>(window, "lblMenuReadMessage"), &LabelButton::clicked);
    read->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return readClicked.count() == 1; }));
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    // A disabled command offers no press and ignores one.
    part<LabelButton>(window, "lblCmdSendNow")->setEnabled(false);
    QAccessibleInterface* send =
        QAccessible::queryAccessibleInterface(part<LabelButton>(window, "lblCmdSendNow"));
    EXPECT_FALSE(
        send->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QSignalSpy sendClicked(part<LabelButton>(window, "lblCmdSendNow"), &LabelButton::clicked);
    send->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(sendClicked.count(), 0);
    PanelState::reset();
}

TEST_F(AccessibilityTest, SecondaryWindowsNameTheirCommandsBoxesAndLists) {
    frmFavorite favorite;
    expectNamedPushButtons(&favorite);
    EXPECT_EQ(unnamedTextControls(&favorite), QStringList());

    gSetUpMode = kSetUpPreferences;
    frmSetUp setUp;
    expectNamedPushButtons(&setUp);
    EXPECT_EQ(unnamedTextControls(&setUp), QStringList());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part<LimitedTextBox>(setUp, "txtSign"))
                  ->text(QAccessible::Name),
              QStringLiteral("T41"));
    SetUpWindow::reset();

    frmAddressBook addressBook;
    expectNamedPushButtons(&addressBook);
    EXPECT_EQ(unnamedTextControls(&addressBook), QStringList());
    // The required-field marker of the caption is not part of the name.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part<QLineEdit>(addressBook, "txtUserName_2"))
                  ->text(QAccessible::Name),
              QStringLiteral("T32"));

    frmError report;
    EXPECT_EQ(unnamedTextControls(&report), QStringList());
}

}  // namespace
