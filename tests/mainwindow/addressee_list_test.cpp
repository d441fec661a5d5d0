// The addressee list of the send panel: cutting at ";" and resolving each item.
#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "main_window_fixture.h"
#include "mainwindow/addressee_list.h"
#include "stores/contacts.h"

namespace {

class AddresseeListTest : public ::testing::Test {
protected:
    AddresseeListTest() {
        resetAllModules();
        gFctAddContact(QStringLiteral("Alice"), QStringLiteral("PC7"), {}, {});
        gFctAddContact(QStringLiteral("Bob"), QStringLiteral("PC8"), {}, {});
        DialogSeam::clearShown();
    }
    ~AddresseeListTest() override { resetAllModules(); }

    QStringList resolve(const QString& list) {
        qint32 count = -1;
        QStringList names{QStringLiteral("stale")};
        Addressees::resolve(list, count, names);
        EXPECT_EQ(count, names.size());
        return names;
    }

    TestFolder folder_;
};

TEST_F(AddresseeListTest, ContactNamesBecomeTheirComputersOtherItemsStayAsTyped) {
    EXPECT_EQ(resolve(QStringLiteral("Alice;PC9")), (QStringList{"PC7", "PC9"}));
    // Letter case of a user name does not matter; an unknown name keeps its own case.
    EXPECT_EQ(resolve(QStringLiteral("aLiCe;bob;Carol")), (QStringList{"PC7", "PC8", "Carol"}));
    // "*", a workgroup or a computer name go through unchanged.
    EXPECT_EQ(resolve(QStringLiteral("*")), (QStringList{"*"}));
    EXPECT_EQ(resolve(QStringLiteral("WORKGROUP; pc7")), (QStringList{"WORKGROUP", "pc7"}));
    EXPECT_TRUE(shownMessageTexts().empty());
}

TEST_F(AddresseeListTest, BlanksAroundItemsAndAfterTheLastSeparatorAreDropped) {
    EXPECT_EQ(resolve(QStringLiteral("  Alice ;   PC9   ;   ")), (QStringList{"PC7", "PC9"}));
    EXPECT_EQ(resolve(QStringLiteral("Alice; Bob; ")), (QStringList{"PC7", "PC8"}));
    EXPECT_EQ(resolve(QStringLiteral("  PC9  ")), (QStringList{"PC9"}));
    // Line breaks typed into the box count as blanks.
    EXPECT_EQ(resolve(QStringLiteral("Alice;\r\nPC9\r\n")), (QStringList{"PC7", "PC9"}));
}

TEST_F(AddresseeListTest, TheSameNameTwiceGivesTwoAddressees) {
    EXPECT_EQ(resolve(QStringLiteral("Alice;alice")), (QStringList{"PC7", "PC7"}));
    EXPECT_EQ(resolve(QStringLiteral("PC9;PC9;")), (QStringList{"PC9", "PC9"}));
}

TEST_F(AddresseeListTest, AnEmptyItemIsKeptAndReported) {
    EXPECT_EQ(resolve(QStringLiteral("Alice;;PC9")), (QStringList{"PC7", "", "PC9"}));
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].text, QStringLiteral("Error, no user name"));
    EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("Attention"));
    DialogSeam::clearShown();
    // A list of blanks only is one empty item.
    EXPECT_EQ(resolve(QStringLiteral("   ")), (QStringList{""}));
    EXPECT_EQ(shownMessageTexts().size(), 1u);
}

TEST_F(AddresseeListTest, SplittingKeepsTheItemsInOrder) {
    EXPECT_EQ(Addressees::split(QStringLiteral("a;b ;; c")), (QStringList{"a", "b", "", "c"}));
    EXPECT_EQ(Addressees::split(QStringLiteral(";")), (QStringList{""}));
    EXPECT_TRUE(Addressees::split(QString()).size() == 1);
}

TEST_F(AddresseeListTest, PickingContactsClosesEveryItem) {
    QString list = Addressees::append(QString(), QStringLiteral("A"));
    EXPECT_EQ(list, QStringLiteral("A; "));
    list = Addressees::append(list, QStringLiteral("B"));
    EXPECT_EQ(list, QStringLiteral("A; B; "));
    EXPECT_EQ(Addressees::append(QStringLiteral("PC1"), QStringLiteral("A")),
              QStringLiteral("PC1; A; "));
    EXPECT_EQ(Addressees::append(QStringLiteral("PC1 ;  "), QStringLiteral("A")),
              QStringLiteral("PC1 ;  A; "));
    EXPECT_EQ(resolve(Addressees::append(QStringLiteral("Alice; "), QStringLiteral("Bob"))),
              (QStringList{"PC7", "PC8"}));
}

}  // namespace
