// The favorites window driven as a user would: list, load, edit, save through the save dialog
// with its overwrite question, take the text or leave.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>

#include "errorreport/error_record.h"
#include "favorites/frmFavorite.h"
#include "stores/language_file.h"
#include "ui/limited_text_box.h"
#include "ui/window_test_support.h"

namespace {

class FavoriteTest : public ::testing::Test {
protected:
    FavoriteTest() {
        gWriteNumberedLanguage(folder_);
        gLoadLanguageFile(folder_.path(QStringLiteral("orglng.lng")));
        QDir(folder_.path()).mkdir(QStringLiteral("Favories"));
        FavoriteWindow::reset();
        ErrorReport::resetRecord();
    }
    ~FavoriteTest() override { LanguageStore::reset(); }

    void addFavorite(const char* name, const QByteArray& bytes) {
        folder_.write(QStringLiteral("Favories/") + QString::fromLatin1(name), bytes);
    }
    QString favorite(const char* name) const {
        return folder_.path(QStringLiteral("Favories/") + QString::fromLatin1(name));
    }
    frmFavorite& open() {
        window_ = std::make_unique<frmFavorite>();
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < window_->File1->count(); ++i)
            names.append(window_->File1->item(i)->text());
        return names;
    }
    void clickFile(const QString& name) {
        const auto items = window_->File1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(window_->File1->viewport(), Qt::LeftButton, {},
                          window_->File1->visualItemRect(items.front()).center());
    }

    TestFolder folder_;
    std::unique_ptr<frmFavorite> window_;
};

TEST_F(FavoriteTest, AnEmptyLibraryTakesANewMessageSavedWithOrWithoutTxt) {
    frmFavorite& window = open();
    EXPECT_EQ(window.windowTitle(), "T62");
    EXPECT_EQ(window.File1->count(), 0);
    EXPECT_EQ(window.txtFavoris->maxLength(), 32000);

    window.txtFavoris->setFocus();
    QTest::keyClicks(window.txtFavoris, QStringLiteral("Meeting at nine"));
    QTest::keyClick(window.txtFavoris, Qt::Key_Return);
    window.txtFavoris->insertPlainText(QStringLiteral("Caf\u00e9"));  // not typeable by QTest
    DialogSeam::pushAnswer({.fileName = favorite("plain")});
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].kind, DialogKind::SaveFile);
    EXPECT_EQ(DialogSeam::shown()[0].title, "T17 T5");
    EXPECT_EQ(DialogSeam::shown()[0].directory, favorite("T5"));
    EXPECT_EQ(folder_.read("Favories/plain.txt"), "Meeting at nine\r\nCaf\xe9");
    EXPECT_EQ(listed(), QStringList{"plain.txt"}) << "a name typed without .txt gets it";

    // Later saves go to the same file without a dialog.
    QTest::keyClicks(window.txtFavoris, QStringLiteral("!"));
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    EXPECT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(folder_.read("Favories/plain.txt"), "Meeting at nine\r\nCaf\xe9!");

    QTest::mouseClick(window.lblCmdNouveau, Qt::LeftButton);
    EXPECT_TRUE(window.txtFavoris->text().isEmpty());
    QTest::keyClicks(window.txtFavoris, QStringLiteral("Lunch?"));
    DialogSeam::pushAnswer({.fileName = favorite("lunch.txt")});
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    EXPECT_EQ(listed(), (QStringList{"lunch.txt", "plain.txt"}));
    // The name with ".txt" added is the one asked about when it exists.
    QTest::mouseClick(window.lblCmdNouveau, Qt::LeftButton);
    DialogSeam::pushAnswer({.fileName = favorite("lunch")});
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    EXPECT_EQ(shownMessageTexts().back(), "T79");
    clickFile(QStringLiteral("lunch.txt"));
    QTest::mouseClick(window.lblCmdSelectionner, Qt::LeftButton);
    EXPECT_EQ(gFavoriteText, "Lunch?");
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(FavoriteTest, OverwritingAsksAndCancelSavesNothingAndForgetsTheName) {
    addFavorite("old.txt", "old text");
    frmFavorite& window = open();
    window.txtFavoris->setText(QStringLiteral("new text"));
    DialogSeam::pushAnswer({.fileName = favorite("old.txt")});
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_EQ(shownMessageTexts()[0], "T79");
    EXPECT_EQ(DialogSeam::shown().back().buttons, MsgBoxButtons::OkCancel);
    EXPECT_EQ(DialogSeam::shown().back().title, "T56");
    EXPECT_EQ(folder_.read("Favories/old.txt"), "old text");
    EXPECT_TRUE(window.favoriteFileName().isEmpty());
    EXPECT_TRUE(gFavoriteFileText.isEmpty());

    // The name was forgotten: the next save asks for one again; OK replaces the file.
    DialogSeam::clearShown();
    DialogSeam::pushAnswer({.fileName = favorite("old.txt")});
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    EXPECT_EQ(DialogSeam::shown().front().kind, DialogKind::SaveFile);
    EXPECT_EQ(folder_.read("Favories/old.txt"), "new text");

    // A cancelled dialog saves nothing.
    QTest::mouseClick(window.lblCmdNouveau, Qt::LeftButton);
    QTest::mouseClick(window.lblCmdEnregistrer, Qt::LeftButton);
    EXPECT_EQ(QDir(folder_.path("Favories")).count(), 3u);  // ".", "..", old.txt
}

TEST_F(FavoriteTest, SelectingLoadsTheFileAndAnUnsavedEditIsTakenAsTyped) {
    addFavorite("b.txt", "second\r\nline");
    addFavorite("A.TXT", "first");
    addFavorite("notes.doc", "not listed");
    frmFavorite& window = open();
    EXPECT_EQ(listed(), (QStringList{"A.TXT", "b.txt"}));
    clickFile(QStringLiteral("b.txt"));
    EXPECT_EQ(window.txtFavoris->text(), "second\r\nline");
    EXPECT_EQ(window.favoriteFileName(), favorite("b.txt"));
    window.txtFavoris->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.txtFavoris, QStringLiteral(" edited"));
    // Clicking the selected file again keeps the edit; another file replaces it.
    clickFile(QStringLiteral("b.txt"));
    EXPECT_EQ(window.txtFavoris->text(), "second\r\nline edited");
    clickFile(QStringLiteral("A.TXT"));
    EXPECT_EQ(window.txtFavoris->text(), "first");
    QTest::keyClicks(window.txtFavoris, QStringLiteral("!"));
    QTest::mouseClick(window.lblCmdSelectionner, Qt::LeftButton);
    EXPECT_EQ(gFavoriteText, "!first");
    EXPECT_EQ(folder_.read("Favories/A.TXT"), "first");
}

TEST_F(FavoriteTest, AVanishedFileLoadsNothingAndQuitTakesNothing) {
    addFavorite("gone.txt", "text");
    frmFavorite& window = open();
    QFile::remove(favorite("gone.txt"));
    clickFile(QStringLiteral("gone.txt"));
    EXPECT_TRUE(window.txtFavoris->text().isEmpty());
    gFavoriteText = QStringLiteral("stale");
    QTest::mouseClick(window.lblCmdQuit, Qt::LeftButton);
    EXPECT_TRUE(gFavoriteText.isEmpty());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(FavoriteTest, DeletingAsksFirstAndTakesTheMessageOutOfTheList) {
    addFavorite("a.txt", "first");
    addFavorite("b.txt", "second");
    frmFavorite& window = open();
    QTest::mouseClick(window.lblCmdSupprimer, Qt::LeftButton);  // nothing chosen yet
    clickFile(QStringLiteral("b.txt"));
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    QTest::mouseClick(window.lblCmdSupprimer, Qt::LeftButton);
    EXPECT_TRUE(folder_.exists("Favories/b.txt"));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(window.lblCmdSupprimer, Qt::LeftButton);
    EXPECT_EQ(listed(), QStringList{"a.txt"});
    EXPECT_TRUE(window.txtFavoris->text().isEmpty() && window.favoriteFileName().isEmpty());

    clickFile(QStringLiteral("a.txt"));
    QFile::remove(favorite("a.txt"));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(window.lblCmdSupprimer, Qt::LeftButton);
    EXPECT_EQ(shownMessageTexts(), (std::vector<QString>{"T181", "T182\nb.txt", "T182\nb.txt",
                                                         "T182\na.txt", "T183\na.txt"}));
    EXPECT_EQ(DialogSeam::shown()[1].buttons, MsgBoxButtons::OkCancel);
}

TEST_F(FavoriteTest, AMissingFolderIsReportedEachTimeTheListIsFilled) {
    QDir(folder_.path(QStringLiteral("Favories"))).removeRecursively();
    frmFavorite& window = open();
    EXPECT_EQ(ErrorRecord.ErrorModule, "frmFavorite");
    EXPECT_EQ(ErrorRecord.ErrorProcedure, "mInitFavorisDirectory");
    EXPECT_EQ(ErrorRecord.ErrorNumber, 76);
    const auto reports = [] {
        return std::count_if(DialogSeam::shown().begin(), DialogSeam::shown().end(),
                             [](const DialogRecord& r) { return r.kind == DialogKind::Report; });
    };
    EXPECT_EQ(reports(), 1);
    window.mInitFavorisDirectory();
    EXPECT_EQ(reports(), 2);
}

}  // namespace
