#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "addressbook/detection_stop.h"
#include "addressbook/frmAddressBook.h"
#include "addressbook/network_walk.h"
#include "common/test_folder.h"
#include "common/window_part.h"
#include "fake_network.h"
#include "mainwindow/presence.h"
#include "platform/mailslot_transport_config.h"
#include "stores/contacts.h"
#include "stores/language_file.h"
#include "transport/mailslot_channel.h"
#include "ui/label_button.h"

namespace {

class AddressBook : public ::testing::Test {
protected:
    AddressBook() {
        ContactStore::reset();
        NetworkWalkState::reset();
        MailslotChannel::setTransportConfig(pelimo::platform::MailslotTransportConfig::offline());
        QByteArray language = "[Langage]\r\nNbMessage=101\r\n";
        for (int i = 1; i <= 101; ++i)
            language += QByteArray::number(i).rightJustified(5, '0') + "=T" +
                        QByteArray::number(i) + "\r\n";
        folder_.write("orglng.lng", language);
        gLoadLanguageFile(folder_.path("orglng.lng"));
        installFakeNetwork(network_);
        gAddressBookMode = kAddressBookBrowseMode;
    }
    ~AddressBook() override {
        window_.reset();
        NetResource::setBackend(nullptr);
        NetworkWalkState::reset();
        ContactStore::reset();
        LanguageStore::reset();
    }
    void addContacts(int count) {
        for (int n = ContactList.Count + 1, last = ContactList.Count + count; n <= last; ++n)
            gFctAddContact(QStringLiteral("user%1").arg(n), QStringLiteral("PC%1").arg(n), {}, {});
    }
    frmAddressBook& open() {
        window_ = std::make_unique<frmAddressBook>();
        window_->show();
        QApplication::setActiveWindow(window_.get());
        return *window_;
    }
    // Gives card `index` the focus, as a click on it does.
    void select(int index) {
        ContactCard* chosen = card(index);
        chosen->clearFocus();
        chosen->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    ContactCard* card(int index) const {
        return part<ContactCard>(*window_,
                                 QStringLiteral("picUser_%1").arg(index).toLatin1().constData());
    }
    QStringList shownTexts() const {
        QStringList texts;
        for (const DialogRecord& record : DialogSeam::shown())
            texts << record.text;
        return texts;
    }
    TestFolder folder_;
    FakeNetwork network_;
    std::unique_ptr<frmAddressBook> window_;
};

}  // namespace

TEST_F(AddressBook, CardsAndScrollBarFollowTheCount) {
    frmAddressBook& empty = open();
    EXPECT_EQ(part<QLabel>(empty, "lblLabInfo1")->text(), QStringLiteral("0 T37"));
    EXPECT_FALSE(part<QScrollBar>(empty, "VScroll1")->isEnabled());
    for (int index = 0; index < frmAddressBook::kCards; ++index)
        EXPECT_FALSE(card(index)->isVisible());
    EXPECT_TRUE(part<QLabel>(empty, "lblNobodyConnected")->isVisible());

    addContacts(4);
    frmAddressBook& four = open();
    EXPECT_TRUE(part<QScrollBar>(four, "VScroll1")->isEnabled());
    EXPECT_EQ(part<QScrollBar>(four, "VScroll1")->maximum(), 0);

    addContacts(3);
    ContactList[4].Connected = true;
    frmAddressBook& seven = open();
    EXPECT_EQ(part<QScrollBar>(seven, "VScroll1")->maximum(), 3);
    part<QScrollBar>(seven, "VScroll1")->setValue(3);
    EXPECT_EQ(part<QLineEdit>(seven, "txtUserName_0")->text(), QStringLiteral("user4"));
    EXPECT_EQ(part<QLineEdit>(seven, "txtUserName_3")->text(), QStringLiteral("user7"));
    EXPECT_EQ(part<QLabel>(seven, "lblComputerNameResult_0")->text(), QStringLiteral(": PC4"));
    EXPECT_EQ(part<QLabel>(seven, "lblLabConnectedResult_0")->palette().color(QPalette::WindowText),
              QColor(0, 255, 0));
    EXPECT_EQ(
        part<QLabel>(seven, "lblLabPelimoReadyResult_0")->palette().color(QPalette::WindowText),
        QColor(255, 0, 0));
    EXPECT_NE(part<QLabel>(seven, "lblLabConnectedResult_0")->text(),
              part<QLabel>(seven, "lblLabPelimoReadyResult_0")->text());

    // Renaming card 1 at scroll position 2 renames contact 4, keystroke by keystroke.
    part<QScrollBar>(seven, "VScroll1")->setValue(2);
    part<QLineEdit>(seven, "txtUserName_1")->setFocus();
    QTest::keyClick(part<QLineEdit>(seven, "txtUserName_1"), Qt::Key_End);
    QTest::keyClicks(part<QLineEdit>(seven, "txtUserName_1"), "x");
    EXPECT_EQ(ContactList[4].UserName, QStringLiteral("user4x"));
    EXPECT_EQ(seven.mSelectedUser, 4);
}

TEST_F(AddressBook, PhotoOfAtMost32000Bytes) {
    addContacts(2);
    frmAddressBook& window = open();
    folder_.write("big.bmp", QByteArray(32001, 'x'));
    folder_.write("fits.bmp", QByteArray(32000, 'x'));  // unreadable as a bitmap: default photo
    select(1);
    ASSERT_EQ(window.mSelectedUser, 2);
    DialogSeam::pushAnswer({.fileName = folder_.path("big.bmp")});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdPhoto"), Qt::LeftButton);
    EXPECT_TRUE(ContactList[2].UserPicturePath.isEmpty());
    EXPECT_EQ(shownTexts().last(), QStringLiteral("T73"));

    DialogSeam::pushAnswer({.fileName = folder_.path("fits.bmp")});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdPhoto"), Qt::LeftButton);
    EXPECT_EQ(ContactList[2].UserPicturePath, folder_.path("fits.bmp"));
    EXPECT_EQ(card(1)->photo().toImage(), part<QLabel>(window, "picDefault")->pixmap().toImage());
    const DialogRecord& dialog = DialogSeam::shown().back();
    EXPECT_EQ(dialog.kind, DialogKind::OpenFile);
    EXPECT_EQ(dialog.directory, folder_.path("Picture"));
}

TEST_F(AddressBook, PickModeSelectsOnlyAChosenContact) {
    addContacts(3);
    // Select with nothing selected: message 74, the window stays; a double click picks at once.
    DialogSeam::pushAnswer({.act = [this](QObject* shown) {
        auto* window = static_cast<frmAddressBook*>(shown);
        QTest::mouseClick(part<LabelButton>(*window, "lblCmdSelect"), Qt::LeftButton);
        EXPECT_TRUE(window->isVisible());
        QTest::mouseDClick(part<ContactCard>(*window, "picUser_2"), Qt::LeftButton);
        return window->result();
    }});
    EXPECT_EQ(AddressBookWindow::pickContact(nullptr), 3);
    EXPECT_TRUE(shownTexts().contains(QStringLiteral("T74")));
    EXPECT_TRUE(folder_.exists("User.dat"));

    // An earlier pick and then the close box: nothing is picked.
    DialogSeam::pushAnswer({.act = [](QObject* shown) {
        auto* window = static_cast<frmAddressBook*>(shown);
        part<ContactCard>(*window, "picUser_0")->setFocus(Qt::MouseFocusReason);
        window->close();
        return 0;
    }});
    EXPECT_EQ(AddressBookWindow::pickContact(nullptr), 0);
}

TEST_F(AddressBook, DeleteAtScrollPositionOneOfFive) {
    addContacts(5);
    frmAddressBook& window = open();
    part<QScrollBar>(window, "VScroll1")->setValue(1);
    select(0);
    ASSERT_EQ(window.mSelectedUser, 2);
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDelete"), Qt::LeftButton);
    EXPECT_EQ(ContactList.Count, 4);
    EXPECT_EQ(part<QScrollBar>(window, "VScroll1")->maximum(), 0);
    EXPECT_EQ(part<QScrollBar>(window, "VScroll1")->value(), 0);
    EXPECT_EQ(part<QLineEdit>(window, "txtUserName_0")->text(), QStringLiteral("user1"));
    EXPECT_EQ(part<QLineEdit>(window, "txtUserName_1")->text(), QStringLiteral("user3"));

    select(0);
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDelete"), Qt::LeftButton);
    EXPECT_EQ(ContactList.Count, 3);
    EXPECT_FALSE(card(3)->isVisible());
    EXPECT_FALSE(part<QScrollBar>(window, "VScroll1")->isEnabled());
}

TEST_F(AddressBook, DetectionMarksAndAddsFoundComputers) {
    addContacts(2);
    ContactList[1].Connected = true;
    ContactList[1].Ready = true;
    frmAddressBook& window = open();
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_EQ(shownTexts(), QStringList({"T71"}));
    EXPECT_TRUE(ContactList[1].Connected);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);

    fillTwoProviderNetwork(network_);
    network_.children["WG"].push_back(fakeResource(RESOURCEDISPLAYTYPE_SERVER, "\\\\pc2", false));
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_FALSE(ContactList[1].Connected);
    EXPECT_TRUE(ContactList[1].Ready);
    EXPECT_TRUE(ContactList[2].Connected);
    EXPECT_EQ(ContactList[2].UserGroupName, QStringLiteral("WG"));
    ASSERT_EQ(ContactList.Count, 6);  // WG, B, WG2, NOSLASH added after the two
    EXPECT_EQ(ContactList[4].UserName, QStringLiteral("B"));
    EXPECT_EQ(ContactList[4].UserComputerName, QStringLiteral("B"));
    EXPECT_EQ(ContactList[4].UserGroupName, QStringLiteral("WG"));
    EXPECT_TRUE(ContactList[4].Connected);
    EXPECT_TRUE(part<QLabel>(window, "lblLabInfo1")->text().endsWith(QStringLiteral("T37")));

    // A full table: the table's own message, once for all the computers it cannot add.
    addContacts(kMaxContacts - ContactList.Count);
    DialogSeam::clearShown();
    for (const char* name : {"\\\\NEW1", "\\\\NEW2", "\\\\NEW3"})
        network_.children["WG"].push_back(fakeResource(RESOURCEDISPLAYTYPE_SERVER, name, false));
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_EQ(shownTexts(), QStringList({"Nombre de contact maximum atteint"}));
}

TEST_F(AddressBook, CopiesThatAnswerDuringTheWalkAreFoundWithoutAnyBrowser) {
    addContacts(1);
    frmAddressBook& window = open();
    // The answers to the request to the workgroup arrive while the network is walked; our own
    // request comes back too.
    network_.onOpen = [](const QString&) {
        Presence::record(gComputerName.toLower());
        Presence::record(QStringLiteral("PEER"));
        Presence::record(QStringLiteral("PC1"));
    };
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_TRUE(DialogSeam::shown().empty()) << "no 'nothing found' while copies answered";
    ASSERT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[2].UserComputerName, QStringLiteral("PEER"));
    EXPECT_TRUE(ContactList[1].Connected && ContactList[1].Ready);
    EXPECT_TRUE(ContactList[2].Connected && ContactList[2].Ready);
}

TEST_F(AddressBook, QuitOrTheProgramEndingStopsADetectionAndKeepsTheEdits) {
    addContacts(2);
    fillTwoProviderNetwork(network_);
    frmAddressBook& window = open();
    part<QLineEdit>(window, "txtUserName_0")->setText(QStringLiteral("renamed"));
    window.txtUserName_Change(0);
    network_.onOpen = [&](const QString& name) {
        if (name == QStringLiteral("WG"))
            QTest::mouseClick(part<LabelButton>(window, "lblCmdQuit"), Qt::LeftButton);
    };
    QTest::mouseClick(part<LabelButton>(window, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_EQ(network_.opened, 3) << "nothing is listed after Quit";
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_TRUE(folder_.read("User.dat").contains("renamed"));

    // The program ending closes the window while it detects: the table is written at once, then
    // again when the detection has returned.
    ContactList[2].Connected = true;
    frmAddressBook& second = open();
    network_.opened = 0;
    QByteArray writtenAtClose;
    network_.onOpen = [&](const QString& name) {
        if (name != QStringLiteral("WG"))
            return;
        Presence::record(QStringLiteral("PEER"));
        second.close();
        writtenAtClose = folder_.read("User.dat");
    };
    QTest::mouseClick(part<LabelButton>(second, "lblCmdDetectUser"), Qt::LeftButton);
    EXPECT_TRUE(writtenAtClose.contains("PEER"));
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(network_.opened, 3);
    EXPECT_TRUE(ContactList[2].Connected) << "a stopped walk marks nothing";
}

TEST_F(AddressBook, StrangersNeverOpenABoxFromTheReceiver) {
    addContacts(kMaxContacts);
    Presence::record(QStringLiteral("STRANGER"));
    EXPECT_EQ(ContactList.Count, kMaxContacts);
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(AddressBook, NetworkNamesCannotAddLinesToTheFile) {
    addContacts(2);
    ContactList[1].UserName = QStringLiteral("evil\r\nUserName002=x") + QChar(u'\0') + u'!';
    ContactList[1].UserGroupName = QStringLiteral("G\nUserNumber=99");
    frmAddressBook& window = open();
    window.close();
    const Contact second = ContactList[2];
    gFctLoadUserIni();
    ASSERT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[1].UserName, QStringLiteral("evil??UserName002=x?!"));
    EXPECT_EQ(ContactList[1].UserGroupName, QStringLiteral("G?UserNumber=99"));
    EXPECT_EQ(ContactList[2].UserName, second.UserName);
    EXPECT_EQ(ContactList[2].UserComputerName, second.UserComputerName);
}
