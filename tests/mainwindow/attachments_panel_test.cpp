// Choosing the attached file on the send panel and saving the attachment of the message shown.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "attachments/network_copy.h"
#include "common/download_folder.h"
#include "main_window_fixture.h"
#include "stores/application.h"
#include "stores/decoded_message.h"
#include "stores/file_operations.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

constexpr int kTallPixels = 3420 / 15;
constexpr int kShortPixels = 3075 / 15;

class AttachmentsPanelTest : public MainWindowTest {
protected:
    void attach(frmPelimo& window, const QString& chosen) {
        DialogSeam::pushAnswer(DialogAnswer{.fileName = chosen});
        QTest::mouseClick(part<LabelButton>(window, "lblCmdSendJoin"), Qt::LeftButton);
    }
    void save(frmPelimo& window) {
        QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveSaveFile"), Qt::LeftButton);
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
    EXPECT_EQ(part<QLineEdit>(window, "txtSendFiles")->text(), QStringLiteral("/srv/pub/a.txt"));
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), kShortPixels);

    attach(window, QString());
    EXPECT_EQ(part<QLineEdit>(window, "txtSendFiles")->text(), QStringLiteral("/srv/pub/a.txt"));
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), kShortPixels);

    attach(window, QStringLiteral("/srv/pub/b.txt"));
    EXPECT_EQ(part<QLineEdit>(window, "txtSendFiles")->text(), QStringLiteral("/srv/pub/b.txt"));
}

TEST_F(AttachmentsPanelTest, AnEmptiedAttachmentBoxGivesTheRowBackWhenLeft) {
    frmPelimo& window = start();
    attach(window, QStringLiteral("/srv/pub/a.txt"));
    part<QLineEdit>(window, "txtSendFiles")->setFocus();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return part<QLineEdit>(window, "txtSendFiles")->hasFocus(); }, 2000));
    part<QLineEdit>(window, "txtSendFiles")->clear();
    part<LimitedTextBox>(window, "txtSendMessage")->setFocus();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return part<LimitedTextBox>(window, "txtSendMessage")->height() == kTallPixels; },
        2000));
    // A cancelled dialog with an empty box keeps the box tall.
    attach(window, QString());
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), kTallPixels);
}

TEST_F(AttachmentsPanelTest, SavingWithoutAFileNameSaysThereIsNoFile) {
    frmPelimo& window = start();
    for (const QString& path : {QString(), QStringLiteral("\\\\PC1\\pub\\dir\\")}) {
        DialogSeam::clearShown();
        ShownMessage.AttachmentPath = path;
        save(window);
        ASSERT_EQ(DialogSeam::shown().size(), 1u) << qPrintable(path);
        EXPECT_EQ(DialogSeam::shown()[0].text, QStringLiteral("T83"));
        EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("T56"));
        EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::Information);
    }
}

TEST_F(AttachmentsPanelTest, TheSaveProposesTheDownloadFolderAndSaysWhyACopyFailed) {
    DownloadFolder downloads;
    frmPelimo& window = start();
    // A path out of the share is refused before anything is asked.
    ShownMessage.AttachmentPath = QStringLiteral("\\\\PC1\\pub\\..\\..\\etc\\passwd");
    save(window);
    ASSERT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T202\nT211")});
    EXPECT_EQ(DialogSeam::shown().back().title, QStringLiteral("T96"));

    DialogSeam::clearShown();
    ShownMessage.AttachmentPath = QStringLiteral("\\\\PC1\\pub\\dir\\report.txt");
    save(window);  // the dialog cancelled: nothing copied, nothing said
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].kind, DialogKind::SaveFile);
    EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("T200"));
    EXPECT_EQ(DialogSeam::shown()[0].directory, downloads.path() + QStringLiteral("/report.txt"));
    EXPECT_EQ(DialogSeam::shown()[0].filter, QStringLiteral("T43|*.*"));

    NetworkCopy::setResolver([](const QString&) { return std::optional<std::uint32_t>(); });
    DialogSeam::clearShown();
    DialogSeam::pushAnswer(DialogAnswer{.fileName = downloads.path() + QStringLiteral("/r.txt")});
    save(window);
    NetworkCopy::setResolver({});
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T202\nT203")});
    EXPECT_FALSE(QFileInfo::exists(downloads.path() + QStringLiteral("/r.txt")));
}

TEST_F(AttachmentsPanelTest, TheProgramsFilesAreNeverReplacedAndOthersOnlyAfterAQuestion) {
    DownloadFolder downloads;
    folder_.write(QStringLiteral("User.dat"), "contacts");
    QDir(folder_.path()).mkpath(QStringLiteral("Favories"));
    const QString mine = downloads.path() + QStringLiteral("/User.dat");
    QFile file(mine);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
    file.close();
    frmPelimo& window = start();
    QStringList copiedTo;
    FileOperations::setNetworkFileCopy([&copiedTo](const QString&, const QString& destination,
                                                   const pelimo::platform::CopyProgress&) {
        copiedTo.append(destination);
        QFile out(destination);
        return out.open(QIODevice::WriteOnly) && out.write("fetched") == 7
                   ? pelimo::platform::CopyOutcome::Copied
                   : pelimo::platform::CopyOutcome::Failed;
    });
    ShownMessage.AttachmentPath = QStringLiteral("\\\\PC1\\pub\\User.dat");
    DialogSeam::clearShown();
    for (const QString& chosen :
         {folder_.path(QStringLiteral("User.dat")), folder_.path(QStringLiteral("Favories"))}) {
        DialogSeam::pushAnswer(DialogAnswer{.fileName = chosen});
        DialogSeam::pushButton(MsgBoxResult::Ok);
    }
    DialogSeam::pushAnswer(DialogAnswer{.fileName = mine});
    DialogSeam::pushButton(MsgBoxResult::No);
    DialogSeam::pushAnswer(DialogAnswer{.fileName = mine});
    DialogSeam::pushButton(MsgBoxResult::Yes);
    save(window);
    NetworkCopy::install();

    EXPECT_EQ(shownMessageTexts(), std::vector<QString>({"T201", "T201", "T79", "T79"}));
    const auto& shown = DialogSeam::shown();
    ASSERT_EQ(shown.size(), 8u);
    // After a refusal the download folder is proposed again; after "No" the name refused.
    EXPECT_EQ(shown[2].directory, mine);
    EXPECT_EQ(shown[6].directory, mine);
    EXPECT_EQ(shown[1].icon, MsgBoxIcon::Exclamation);
    EXPECT_EQ(shown[5].buttons, MsgBoxButtons::YesNo);
    EXPECT_EQ(copiedTo, QStringList{mine});
    EXPECT_EQ(folder_.read(QStringLiteral("User.dat")), "contacts");
    EXPECT_FALSE(folder_.exists(QStringLiteral("Favories/User.dat")));
    QFile replaced(mine);
    ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaced.readAll(), "fetched");
}

}  // namespace
