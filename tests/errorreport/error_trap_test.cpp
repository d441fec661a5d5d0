#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "common/test_folder.h"
#include "common/window_part.h"
#include "errorreport/error_trap.h"
#include "errorreport/runtime_error.h"
#include "ui/frmError.h"
#include "ui/modal_dialogs.h"

namespace {

std::vector<DialogRecord> reportsShown() {
    std::vector<DialogRecord> reports;
    for (const DialogRecord& record : DialogSeam::shown()) {
        if (record.kind == DialogKind::Report || record.kind == DialogKind::ModalWindow) {
            reports.push_back(record);
        }
    }
    return reports;
}

class ErrorTrapTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogSeam::clearShown();
        ErrorReport::resetRecord();
        ErrorReport::setPresenter({});
    }
    void TearDown() override { ErrorReport::setPresenter({}); }
};

}  // namespace

TEST_F(ErrorTrapTest, AFailingStepIsReportedAndTheProcedureGoesOn) {
    std::vector<int> ran;
    ErrorTrap trap("ModMailSlot", "SendToPelimo");
    trap.step([&] { ran.push_back(1); });
    trap.step([&] {
        RunTimeError::raise(RunTimeErrorNumber::FileNotFound);
        ran.push_back(99);
    });
    trap.step([&] { ran.push_back(3); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_EQ(trap.failures(), 1);
    EXPECT_EQ(ErrorRecord.ErrorModule, "ModMailSlot");
    EXPECT_EQ(ErrorRecord.ErrorProcedure, "SendToPelimo");
    EXPECT_EQ(ErrorRecord.ErrorNumber, 53);
    EXPECT_EQ(ErrorRecord.ErrorDescription, "File not found");
    EXPECT_EQ(ErrorRecord.ErrorLine, 2);
    ASSERT_EQ(reportsShown().size(), 1u);
    EXPECT_TRUE(reportsShown()[0].text.contains(" - Cod\t:  53\r\n"));
}

TEST_F(ErrorTrapTest, TheSameFailureInALoopIsReportedEachTime) {
    ErrorTrap trap("frmPelimo", "TimerMailSlot_Timer");
    for (int i = 0; i < 3; ++i) {
        trap.stepAt(10, [] { RunTimeError::raise(RunTimeErrorNumber::TypeMismatch); });
    }
    EXPECT_EQ(trap.failures(), 3);
    EXPECT_EQ(reportsShown().size(), 3u);
    EXPECT_EQ(ErrorRecord.ErrorLine, 10);
}

TEST_F(ErrorTrapTest, StandardExceptionsGetClassicNumbers) {
    ErrorTrap trap("ModGlobal", "gDecodeMessage");
    trap.step([] { throw std::out_of_range("index 7"); });
    EXPECT_EQ(ErrorRecord.ErrorNumber, RunTimeErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(ErrorRecord.ErrorDescription, "index 7");
    trap.step([] { throw std::bad_alloc(); });
    EXPECT_EQ(ErrorRecord.ErrorNumber, RunTimeErrorNumber::OutOfMemory);
    EXPECT_EQ(ErrorRecord.ErrorDescription, "Out of memory");
    trap.step([] { throw 42; });
    EXPECT_EQ(ErrorRecord.ErrorNumber, RunTimeErrorNumber::InvalidProcedureCall);
    EXPECT_EQ(ErrorRecord.ErrorLine, 3);
}

TEST(ErrorReport, SixLinesWithSignedNumbers) {
    ErrorRecordData record{53, "File not found", 7, "frmPelimo", "Form_Load"};
    const QDateTime when(QDate(2026, 3, 4), QTime(13, 5, 9));
    EXPECT_EQ(ErrorReport::build(record, when),
              "Date:03-04-2026 - Time:13:05:09\r\n"
              " - Mod\t: frmPelimo\r\n"
              " - Fct\t: Form_Load\r\n"
              " - Cod\t:  53\r\n"
              " - Inf\t: File not found\r\n"
              " - Sub\t:  7\r\n");
    record.ErrorNumber = -5;
    record.ErrorLine = 0;
    const QString report = ErrorReport::build(record, when);
    EXPECT_TRUE(report.contains(" - Cod\t: -5\r\n"));
    EXPECT_TRUE(report.contains(" - Sub\t:  0\r\n"));
}

TEST(ErrorReport, MailUrlIsPercentEncoded) {
    const QString url = ErrorReport::mailUrl("a b\r\n\tc&d=e?");
    EXPECT_EQ(url, QString("mailto:") + kSupportAddress +
                       "?subject=Error%20Trapping%3F&body=a%20b%0D%0A%09c%26d%3De%3F");
    EXPECT_TRUE(QUrl(url, QUrl::StrictMode).isValid());
}

TEST_F(ErrorTrapTest, ReportWindowShowsTheRecordAndResumeClosesIt) {
    ErrorReport::setPresenter(&frmError::present);
    QUrl mailed;
    frmError::setUrlOpener([&](const QUrl& url) {
        mailed = url;
        return false;  // no mail program: nothing is shown
    });
    QString shownReport;
    QString shownToDo;
    DialogSeam::pushAnswer(DialogAnswer{.act = [&](QObject* window) {
        auto* form = qobject_cast<frmError*>(window);
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(part<QLabel>(*form, "lblErrorTitle")->text(), "An error occur...");
        EXPECT_EQ(part<QPushButton>(*form, "cmdsendMail")->text(), "Send by Mail");
        shownReport = part<QPlainTextEdit>(*form, "txtError")->toPlainText();
        shownToDo = part<QLabel>(*form, "lblToDo")->text();
        QTest::mouseClick(part<QPushButton>(*form, "cmdsendMail"), Qt::LeftButton);
        EXPECT_TRUE(form->isVisible()) << "the window stays open after the mail hand-off";
        QTest::mouseClick(part<QPushButton>(*form, "cmdResume"), Qt::LeftButton);
        return form->result();
    }});
    int after = 0;
    ErrorTrap trap("frmSetUp", "cmdValide_Click");
    trap.step([] { RunTimeError::raise(-5, "Custom failure"); });
    trap.step([&] { after = 1; });
    EXPECT_EQ(after, 1);

    ASSERT_EQ(reportsShown().size(), 1u);
    EXPECT_EQ(reportsShown()[0].window, "frmError");
    EXPECT_EQ(reportsShown()[0].title, "Pelimo Error Trap");
    const QStringList lines = shownReport.split('\n');
    ASSERT_EQ(lines.size(), 7) << shownReport.toStdString();  // six lines and the final break
    EXPECT_TRUE(lines[0].startsWith("Date:"));
    EXPECT_EQ(lines[1], " - Mod\t: frmSetUp");
    EXPECT_EQ(lines[3], " - Cod\t: -5");
    EXPECT_EQ(lines[4], " - Inf\t: Custom failure");
    EXPECT_EQ(lines[5], " - Sub\t:  1");
    EXPECT_TRUE(shownToDo.startsWith("What to do ?This error is not classic"));
    EXPECT_TRUE(shownToDo.endsWith(QString(" : ") + kSupportAddress));
    EXPECT_TRUE(mailed.toString(QUrl::FullyEncoded).contains("%0D%0A%20-%20Mod%09"));
    EXPECT_TRUE(shownMessageTexts().empty());
}

TEST_F(ErrorTrapTest, AFailingMailHandOffSaysSo) {
    frmError::setUrlOpener([](const QUrl&) -> bool { throw std::runtime_error("no shell"); });
    frmError form;
    form.cmdsendMail_Click();
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"You can't send mail, sorry"});
    EXPECT_EQ(DialogSeam::shown().back().title, "Information");
    frmError::setUrlOpener([](const QUrl&) { return true; });
}
