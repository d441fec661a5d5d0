// Every text of every window fits its box at scale 1, in the shipped English and French language
// files: measured with the windows' own fonts, not compared with pictures.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

#include "addressbook/frmAddressBook.h"
#include "favorites/frmFavorite.h"
#include "main_window_fixture.h"
#include "mainwindow/frmSearchComputer.h"
#include "preferences/frmSetUp.h"
#include "stores/language_file.h"
#include "text_fit.h"
#include "ui/frmError.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class TextsFitTest : public MainWindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    TextsFitTest() {
        // The shipped language file as the default one.
        QFile::remove(folder_.path(QStringLiteral("orglng.lng")));
        QFile::copy(QStringLiteral(PELIMO_SOURCE_DIR "/resources/data/Language/") +
                        QString::fromLatin1(GetParam()),
                    folder_.path(QStringLiteral("orglng.lng")));
        // Names as long as NetBIOS allows.
        writeContacts({{QStringLiteral("Jean-Christophe"), QStringLiteral("WORKSTATION0042")},
                       {QStringLiteral("Bob"), QStringLiteral("PC2")},
                       {QStringLiteral("Alexandrine"), QStringLiteral("SERVEURFICHIER1")},
                       {QStringLiteral("Zoe"), QStringLiteral("PC4")},
                       {QStringLiteral("Eve"), QStringLiteral("PC5")}});
    }

    // Shows the modal that `open` opens and checks it.
    void checkModal(const std::function<void()>& open, const char* what) {
        DialogSeam::pushAnswer({.act = [what](QObject* shown) {
            EXPECT_EQ(textsThatDoNotFit(qobject_cast<QWidget*>(shown)), QStringList()) << what;
            return 0;
        }});
        open();
        EXPECT_EQ(DialogSeam::pendingAnswers(), 0u) << what << " was not shown";
    }
};

TEST_P(TextsFitTest, EveryWindowsTextsFitTheirBoxes) {
    frmPelimo& window = start();
    EXPECT_TRUE(part<QLabel>(window, "lblLabSendSize")->text().isEmpty())
        << "a size before anything is typed";
    const QRect box = part<LimitedTextBox>(window, "txtSendMessage")->geometry();
    const int frame = part<LimitedTextBox>(window, "txtSendMessage")->frameWidth();
    EXPECT_TRUE(box.adjusted(frame, frame, -frame, -frame)
                    .contains(part<QLabel>(window, "lblLabSendSize")->geometry()))
        << "the size line covers the message box's frame";
    EXPECT_EQ(textsThatDoNotFit(&window), QStringList()) << "send panel";
    // The longest size line: a message that neither kind of receiver takes.
    part<QPlainTextEdit>(window, "txtSendUserList")
        ->setPlainText(QStringLiteral("Jean-Christophe; SERVEURFICHIER1"));
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QString(424, u'x'));
    EXPECT_FALSE(part<QLabel>(window, "lblLabSendSize")->text().isEmpty());
    EXPECT_EQ(textsThatDoNotFit(&window), QStringList()) << "send panel with a long message";

    const QByteArray path = "\\\\WORKSTATION0042\\partage\\rapport.pdf";
    receive("WORKSTATION0042", "SERVEURFICHIER1",
            "2" + QByteArray::number(path.size()).rightJustified(4, '0') + path + "Bonjour");
    QTest::mouseClick(part<LabelButton>(window, "lblMenuReadMessage"), Qt::LeftButton);
    EXPECT_EQ(textsThatDoNotFit(&window), QStringList()) << "read panel";
    QTest::mouseClick(part<LabelButton>(window, "lblMenuHistoric"), Qt::LeftButton);
    EXPECT_EQ(textsThatDoNotFit(&window), QStringList()) << "history panel";

    checkModal(
        [&] { QTest::mouseClick(part<LabelButton>(window, "lblMenuAddressBook"), Qt::LeftButton); },
        "address book");
    checkModal([&] { part<QAction>(window, "MenuSetting")->trigger(); }, "preferences");
    checkModal([&] { part<QAction>(window, "MenuAbout")->trigger(); }, "about");
    QTest::mouseClick(part<LabelButton>(window, "lblMenuSendMessage"), Qt::LeftButton);
    checkModal(
        [&] { QTest::mouseClick(part<LabelButton>(window, "lblCmdSendFavori"), Qt::LeftButton); },
        "favorites");

    frmSearchComputer flash(gFctGetMessage(98), 60000);
    flash.show();
    EXPECT_EQ(textsThatDoNotFit(&flash), QStringList()) << "flash message";
    frmError report;
    report.show();
    EXPECT_EQ(textsThatDoNotFit(&report), QStringList()) << "error report";
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, TextsFitTest,
                         ::testing::Values("English.lng", "French.lng"));

}  // namespace
