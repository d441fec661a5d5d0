// Choosing the attached file on the send panel and saving the attachment of the message shown.
#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "main_window_fixture.h"
#include "stores/application.h"
#include "transport/decoded_message.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

constexpr int kTallPixels = 3420 / 15;
constexpr int kShortPixels = 3075 / 15;

class AttachmentsPanelTest : public MainWindowTest {
protected:
    void attach(frmPelimo& window, const QString& chosen) {
        DialogSeam::pushAnswer(DialogAnswer{.fileName = chosen});
        QTest::mouseClick(window.lblCmdSendJoin, Qt::LeftButton);
    }
    void save(frmPelimo& window) {
        QTest::mouseClick(window.lblLabReceiveSaveFile, Qt::LeftButton);
    }
};

TEST_F(AttachmentsPanelTest, ChoosingShowsTheRowAndACancelledSecondChoiceKeepsIt) {
    frmPelimo& window = start();
    attach(window, QStringLiteral("/srv/pub/a.txt"));
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    const DialogRecord& dialog = DialogSeam::shown()[0];
    EXPECT_EQ(dialog.kind, DialogKind::OpenFile);
    EXPECT_EQ(dialog.title, QStringLiteral("T31"));
    EXPECT_EQ(dialog.filter, QStringLiteral("T43|*.*"));
    EXPECT_EQ(dialog.directory, gApplicationFolder);
    EXPECT_EQ(window.txtSendFiles->text(), QStringLiteral("/srv/pub/a.txt"));
    EXPECT_EQ(window.txtSendMessage->height(), kShortPixels);

    attach(window, QString());
    EXPECT_EQ(window.txtSendFiles->text(), QStringLiteral("/srv/pub/a.txt"));
    EXPECT_EQ(window.txtSendMessage->height(), kShortPixels);

    attach(window, QStringLiteral("/srv/pub/b.txt"));
    EXPECT_EQ(window.txtSendFiles->text(), QStringLiteral("/srv/pub/b.txt"));
}

TEST_F(AttachmentsPanelTest, AnEmptiedAttachmentBoxGivesTheRowBackWhenLeft) {
    frmPelimo& window = start();
    attach(window, QStringLiteral("/srv/pub/a.txt"));
    window.txtSendFiles->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.txtSendFiles->hasFocus(); }, 2000));
    window.txtSendFiles->clear();
    window.txtSendMessage->setFocus();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.txtSendMessage->height() == kTallPixels; }, 2000));
    // A cancelled dialog with an empty box keeps the box tall.
    attach(window, QString());
    EXPECT_EQ(window.txtSendMessage->height(), kTallPixels);
}

TEST_F(AttachmentsPanelTest, SavingWithoutAFileNameSaysThereIsNoFile) {
    frmPelimo& window = start();
    for (const QString& path : {QString(), QStringLiteral("\\\\PC1\\pub\\dir\\")}) {
        DialogSeam::clearShown();
        gShownMessage.AttachmentPath = path;
        save(window);
        ASSERT_EQ(DialogSeam::shown().size(), 1u) << qPrintable(path);
        EXPECT_EQ(DialogSeam::shown()[0].text, QStringLiteral("T83"));
        EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("T56"));
        EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::Information);
    }
}

TEST_F(AttachmentsPanelTest, TheSaveDialogProposesTheNameAndAFailedCopySaysSo) {
    frmPelimo& window = start();
    gShownMessage.AttachmentPath = QStringLiteral("\\\\PC1\\pub\\..\\..\\etc\\passwd");
    save(window);  // the dialog cancelled: nothing copied, nothing said
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].kind, DialogKind::SaveFile);
    EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("Enregistrer votre fichier"));
    EXPECT_EQ(DialogSeam::shown()[0].directory, gApplicationFolder + QStringLiteral("passwd"));
    EXPECT_EQ(DialogSeam::shown()[0].filter, QStringLiteral("T43|*.*"));

    DialogSeam::clearShown();
    DialogSeam::pushAnswer(DialogAnswer{.fileName = folder_.path(QStringLiteral("passwd"))});
    save(window);
    ASSERT_EQ(shownMessageTexts(),
              std::vector<QString>{QStringLiteral("Error during copy. Please make sure the sender "
                                                  "hard disk is share and there isn't password.")});
    EXPECT_EQ(DialogSeam::shown().back().title, QStringLiteral("Information"));
    EXPECT_FALSE(folder_.exists(QStringLiteral("passwd")));
}

}  // namespace
