// The favorites window driven as a user would: list, load, edit, save through the save dialog
// with its overwrite question, take the text or leave.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>

#include "common/window_part.h"
#include "errorreport/error_record.h"
#include "favorites/frmFavorite.h"
#include "stores/language_file.h"
#include "ui/limited_text_box.h"
#include "ui/window_test_support.h"

namespace {

class FavoriteTest : public ::testing::Test {
protected:
    FavoriteTest() {
        writeNumberedLanguage(folder_);
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
    QListWidget* files() const { return part<QListWidget>(*window_, "File1"); }
    LimitedTextBox* text() const { return part<LimitedTextBox>(*window_, "txtFavoris"); }
    void click(const char* command) const {
        QTest::mouseClick(part<LabelButton>(*window_, command), Qt::LeftButton);
    }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < files()->count(); ++i)
            names.append(files()->item(i)->text());
        return names;
    }
    void clickFile(const QString& name) {
        const auto items = files()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(files()->viewport(), Qt::LeftButton, {},
                          files()->visualItemRect(items.front()).center());
    }

    TestFolder folder_;
    std::unique_ptr<frmFavorite> window_;
};

TEST_F(FavoriteTest, AnEmptyLibraryTakesANewMessageSavedWithOrWithoutTxt) {
    frmFavorite& window = open();
    EXPECT_EQ(window.windowTitle(), "T62");
    EXPECT_EQ(files()->count(), 0);
    EXPECT_EQ(text()->maxLength(), 32000);

    text()->setFocus();
    QTest::keyClicks(text(), QStringLiteral("Meeting at nine"));
    QTest::keyClick(text(), Qt::Key_Return);
    text()->insertPlainText(QStringLiteral("Caf\u00e9"));  // not typeable by QTest
    DialogSeam::pushAnswer({.fileName = favorite("plain")});
    click("lblCmdEnregistrer");
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].kind, DialogKind::SaveFile);
    EXPECT_EQ(DialogSeam::shown()[0].title, "T17 T5");
    EXPECT_EQ(DialogSeam::shown()[0].directory, favorite("T5"));
    EXPECT_EQ(folder_.read("Favories/plain.txt"), "Meeting at nine\r\nCaf\xe9");
    EXPECT_EQ(listed(), QStringList{"plain.txt"}) << "a name typed without .txt gets it";

    // Later saves go to the same file without a dialog.
    QTest::keyClicks(text(), QStringLiteral("!"));
    click("lblCmdEnregistrer");
    EXPECT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(folder_.read("Favories/plain.txt"), "Meeting at nine\r\nCaf\xe9!");

    click("lblCmdNouveau");
    EXPECT_TRUE(text()->text().isEmpty());
    QTest::keyClicks(text(), QStringLiteral("Lunch?"));
    DialogSeam::pushAnswer({.fileName = favorite("lunch.txt")});
    click("lblCmdEnregistrer");
    EXPECT_EQ(listed(), (QStringList{"lunch.txt", "plain.txt"}));
    // The name with ".txt" added is the one asked about when it exists.
    click("lblCmdNouveau");
    DialogSeam::pushAnswer({.fileName = favorite("lunch")});
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    click("lblCmdEnregistrer");
    EXPECT_EQ(shownMessageTexts().back(), "T79");
    clickFile(QStringLiteral("lunch.txt"));
    click("lblCmdSelectionner");
    EXPECT_EQ(gFavoriteText, "Lunch?");
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(FavoriteTest, OverwritingAsksAndCancelSavesNothingAndForgetsTheName) {
    addFavorite("old.txt", "old text");
    frmFavorite& window = open();
    text()->setText(QStringLiteral("new text"));
    DialogSeam::pushAnswer({.fileName = favorite("old.txt")});
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    click("lblCmdEnregistrer");
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
    click("lblCmdEnregistrer");
    EXPECT_EQ(DialogSeam::shown().front().kind, DialogKind::SaveFile);
    EXPECT_EQ(folder_.read("Favories/old.txt"), "new text");

    // A cancelled dialog saves nothing.
    click("lblCmdNouveau");
    click("lblCmdEnregistrer");
    EXPECT_EQ(QDir(folder_.path("Favories")).count(), 3u);  // ".", "..", old.txt
}

TEST_F(FavoriteTest, SelectingLoadsTheFileAndAnUnsavedEditIsTakenAsTyped) {
    addFavorite("b.txt", "second\r\nline");
    addFavorite("A.TXT", "first");
    addFavorite("notes.doc", "not listed");
    frmFavorite& window = open();
    EXPECT_EQ(listed(), (QStringList{"A.TXT", "b.txt"}));
    clickFile(QStringLiteral("b.txt"));
    EXPECT_EQ(text()->text(), "second\r\nline");
    EXPECT_EQ(window.favoriteFileName(), favorite("b.txt"));
    text()->moveCursor(QTextCursor::End);
    QTest::keyClicks(text(), QStringLiteral(" edited"));
    // Clicking the selected file again keeps the edit; another file replaces it.
    clickFile(QStringLiteral("b.txt"));
    EXPECT_EQ(text()->text(), "second\r\nline edited");
    clickFile(QStringLiteral("A.TXT"));
    EXPECT_EQ(text()->text(), "first");
    QTest::keyClicks(text(), QStringLiteral("!"));
    click("lblCmdSelectionner");
    EXPECT_EQ(gFavoriteText, "!first");
    EXPECT_EQ(folder_.read("Favories/A.TXT"), "first");
}

TEST_F(FavoriteTest, AVanishedFileLoadsNothingAndQuitTakesNothing) {
    addFavorite("gone.txt", "text");
    frmFavorite& window = open();
    QFile::remove(favorite("gone.txt"));
    clickFile(QStringLiteral("gone.txt"));
    EXPECT_TRUE(text()->text().isEmpty());
    gFavoriteText = QStringLiteral("stale");
    click("lblCmdQuit");
    EXPECT_TRUE(gFavoriteText.isEmpty());
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(FavoriteTest, DeletingAsksFirstAndTakesTheMessageOutOfTheList) {
    addFavorite("a.txt", "first");
    addFavorite("b.txt", "second");
    frmFavorite& window = open();
    click("lblCmdSupprimer");  // nothing chosen yet
    clickFile(QStringLiteral("b.txt"));
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    click("lblCmdSupprimer");
    EXPECT_TRUE(folder_.exists("Favories/b.txt"));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    click("lblCmdSupprimer");
    EXPECT_EQ(listed(), QStringList{"a.txt"});
    EXPECT_TRUE(text()->text().isEmpty() && window.favoriteFileName().isEmpty());

    clickFile(QStringLiteral("a.txt"));
    QFile::remove(favorite("a.txt"));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    click("lblCmdSupprimer");
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
