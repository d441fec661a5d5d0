// "Why can't I reach it?" from the windows: the addressee under the pointer names the computer,
// the address book asks for a selected contact, and the window checks the name it opens with.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include "../mainwindow/main_window_fixture.h"
#include "addressbook/frmAddressBook.h"
#include "diagnosis/diagnosis_dialog.h"

namespace {

class DiagnosisWindowTest : public MainWindowTest {
protected:
    DiagnosisWindowTest() {
        QByteArray language = "[Langage]\r\nNbMessage=264\r\n";
        for (int i = 1; i <= 264; ++i)
            language +=
                QStringLiteral("%1=T%2 %1\r\n").arg(i, 5, 10, QChar(u'0')).arg(i).toLatin1();
        folder_.write(QStringLiteral("orglng.lng"), language);
    }
};

TEST_F(DiagnosisWindowTest, TheAddresseeUnderThePointerNamesTheComputer) {
    writeContacts({{QStringLiteral("bob"), QStringLiteral("PCBOB")}});
    frmPelimo& window = start();
    const QString list = QStringLiteral("bob; PCX ;  *; ");
    part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(list);
    EXPECT_EQ(window.addresseeComputerAt(1), QStringLiteral("PCBOB")) << "a contact's computer";
    EXPECT_EQ(window.addresseeComputerAt(list.indexOf(u'X')), QStringLiteral("PCX"));
    EXPECT_EQ(window.addresseeComputerAt(list.indexOf(u'*')), QString()) << "no computer";
    EXPECT_EQ(window.addresseeComputerAt(list.size()), QString()) << "after the last item";
}

TEST_F(DiagnosisWindowTest, TheWindowChecksTheNameItOpensWithAndRefusesWhatIsNoName) {
    start();
    DiagnosisDialog dialog(QStringLiteral("\\\\PCX"));
    auto* results = part<QListWidget>(dialog, "lstResults");
    auto* nameBox = part<QLineEdit>(dialog, "txtComputerName");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return results->count() > 0 && !dialog.diagnosis().isRunning(); }, 5000));
    EXPECT_EQ(nameBox->text(), QStringLiteral("PCX"));
    // This test's transport sends nothing: the name is neither queried nor resolved, nothing
    // answers, and the verdict says the name is not known.
    const auto last = results->item(results->count() - 1)->text();
    EXPECT_TRUE(last.startsWith(QStringLiteral("T257"))) << last.toStdString();
    EXPECT_TRUE(part<QLabel>(dialog, "lblLabInfo1")->text().isEmpty());

    DialogSeam::clearShown();
    nameBox->setText(QStringLiteral("two words"));
    dialog.check();
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_TRUE(DialogSeam::shown()[0].text.startsWith(QStringLiteral("T263")));
    EXPECT_FALSE(dialog.diagnosis().isRunning());
}

TEST_F(DiagnosisWindowTest, TheAddressBookAsksForAContactFirst) {
    writeContacts({{QStringLiteral("bob"), QStringLiteral("PCBOB")}});
    start();
    frmAddressBook book;
    DialogSeam::clearShown();
    book.diagnoseSelectedContact();
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_TRUE(DialogSeam::shown()[0].text.startsWith(QStringLiteral("T74")));
    // With a contact selected, the diagnosis window opens for its computer.
    book.mSelectUser(0);
    DialogSeam::clearShown();
    book.diagnoseSelectedContact();
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].window, QStringLiteral("DiagnosisDialog"));
}

}  // namespace
