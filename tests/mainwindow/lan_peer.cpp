// One copy of the program for the multi-host tests: the real main window, started from the
// folder of this executable, driven by lines on standard input and reporting on standard output.
// Dialogs are scripted (answered at once) so nothing waits for a person.
//
// Commands (fields separated by a tab; "\n" in a text is a line break):
//   send LIST TEXT     types the addressees and the text into the send panel and clicks send
//   reply TEXT         clicks reply on the read panel, types the text and clicks send
//   request NAME       sends an identification request to NAME
//   contacts           lists the contacts: "contact N USER COMPUTER CONNECTED READY", then "end"
//   detect             opens the address book, clicks its detect command and closes it:
//                      "found NAME GROUP" per entry of the found list, then "detected
//                      MILLISECONDS LONGEST-BLOCK-MILLISECONDS" (the longest time the window
//                      thread processed no events during the detection)
//   book               lists the contacts: "book N USER COMPUTER GROUP CONNECTED READY", "end"
//   attach PATH        chooses PATH in the attach dialog of the send panel
//   save PATH [USER PASSWORD]
//                      saves the attachment of the message shown to PATH (answering a password
//                      question with USER and PASSWORD); then reports "saved EXISTS MICROSECONDS
//                      ERROR" (whether PATH exists, the time the save took, the copier's reason)
//   cancelhalf [off]   the next copies are cancelled in their progress window half way (or not)
//   size LIST TEXT     types the addressees and the text and reports the size line: "size LINE"
//   intake             reports the network intake: "intake ROUTING NMBD DELIVERED DROPPED
//                      DUPLICATES"
//   stats              "stats LONGEST_TICK_US LOST RECEIVE_BUFFER COUNT_LINE", then forgets the
//                      longest tick
//   ping               answers "pong"
//   quit               runs the shutdown without its question
// SIGTERM, SIGINT and SIGHUP run the shutdown as they do in the program.
// Reports: "ready COMPUTER", "sent MICROSECONDS", "shown MICROSECONDS SENDER ADDRESSEE TEXT
// ATTACHMENT", "dialog TITLE TEXT" (message boxes, reports), "window NAME" (modal windows), "bye".
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

#include "addressbook/frmAddressBook.h"
#include "addressbook/network_walk.h"
#include "attachments/network_copy.h"
#include "common/window_part.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/termination_signals.h"
#include "seam/dialog_seam.h"
#include "stores/contacts.h"
#include "stores/file_operations.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

qint64 nowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QString oneLine(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\t', QStringLiteral("\\t"));
    return text;
}

// "\n" in a command's text stands for a line break.
QString typedText(QString text) {
    return text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

void report(const QStringList& fields) {
    std::fputs(qPrintable(fields.join(u'\t') + u'\n'), stdout);
    std::fflush(stdout);
}

// A progress window whose user presses Cancel once half the file has arrived.
class HalfWayCancel final : public CopyProgressWindow {
public:
    bool progress(qint64 copied, qint64 total) override {
        if (total > 0 && copied * 2 >= total) {
            report({QStringLiteral("cancelling"), QString::number(copied)});
            return false;
        }
        return true;
    }
};

void typeAndSend(frmPelimo& window, const QString* addressees, const QString& text) {
    if (addressees != nullptr)
        part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(*addressees);
    part<LimitedTextBox>(window, "txtSendMessage")->setText(text);
    report({QStringLiteral("sent"), QString::number(nowMicroseconds())});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendNow"), Qt::LeftButton);
}

// Opens the address book from the panel bar and runs a detection in it.
void detect(frmPelimo& window) {
    qint64 longestBlock = 0;
    QElapsedTimer sinceTick;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { longestBlock = std::max(longestBlock, sinceTick.restart()); });
    QElapsedTimer elapsed;
    DialogSeam::pushAnswer({.act = [&](QObject* shown) {
        auto* book = static_cast<frmAddressBook*>(shown);
        elapsed.start();
        sinceTick.start();
        watch.start();
        QTest::mouseClick(part<LabelButton>(*book, "lblCmdDetectUser"), Qt::LeftButton);
        watch.stop();
        longestBlock = std::max(longestBlock, sinceTick.elapsed());
        QTest::mouseClick(part<LabelButton>(*book, "lblCmdQuit"), Qt::LeftButton);
        return 0;
    }});
    QTest::mouseClick(part<LabelButton>(window, "lblMenuAddressBook"), Qt::LeftButton);
    for (const FoundComputer& found : gFoundComputers)
        report({QStringLiteral("found"), found.ComputerName, found.GroupName});
    report({QStringLiteral("detected"), QString::number(elapsed.elapsed()),
            QString::number(longestBlock)});
}

void execute(frmPelimo& window, const QString& line) {
    const QStringList fields = line.split(u'\t');
    const QString& command = fields.value(0);
    if (command == QStringLiteral("send")) {
        const QString addressees = fields.value(1);
        typeAndSend(window, &addressees, typedText(fields.value(2)));
    } else if (command == QStringLiteral("reply")) {
        QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
        typeAndSend(window, nullptr, typedText(fields.value(1)));
    } else if (command == QStringLiteral("request")) {
        gSendIdentificationRequest(fields.value(1));
    } else if (command == QStringLiteral("contacts")) {
        for (qint16 i = 1; i <= ContactList.Count; ++i) {
            const Contact& contact = ContactList[i];
            report({QStringLiteral("contact"), QString::number(i), contact.UserName,
                    contact.UserComputerName, QString::number(contact.Connected),
                    QString::number(contact.Ready)});
        }
        report({QStringLiteral("end")});
    } else if (command == QStringLiteral("detect")) {
        detect(window);
    } else if (command == QStringLiteral("book")) {
        for (qint16 i = 1; i <= ContactList.Count; ++i) {
            const Contact& contact = ContactList[i];
            report({QStringLiteral("book"), QString::number(i), contact.UserName,
                    contact.UserComputerName, contact.UserGroupName,
                    QString::number(contact.Connected), QString::number(contact.Ready)});
        }
        report({QStringLiteral("end")});
    } else if (command == QStringLiteral("attach")) {
        DialogSeam::pushAnswer(DialogAnswer{.fileName = fields.value(1)});
        QTest::mouseClick(part<LabelButton>(window, "lblCmdSendJoin"), Qt::LeftButton);
    } else if (command == QStringLiteral("save")) {
        DialogSeam::pushAnswer(DialogAnswer{.fileName = fields.value(1)});
        if (fields.size() > 3) {
            DialogSeam::pushAnswer(
                DialogAnswer{.userName = fields.value(2), .password = fields.value(3)});
        }
        const qint64 start = nowMicroseconds();
        QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveSaveFile"), Qt::LeftButton);
        report({QStringLiteral("saved"),
                QFileInfo::exists(fields.value(1)) ? QStringLiteral("1") : QStringLiteral("0"),
                QString::number(nowMicroseconds() - start), NetworkCopy::lastError()});
    } else if (command == QStringLiteral("cancelhalf")) {
        if (fields.value(1) == QStringLiteral("off")) {
            FileOperations::setCopyProgressFactory({});
        } else {
            FileOperations::setCopyProgressFactory(
                [] { return std::make_unique<HalfWayCancel>(); });
        }
    } else if (command == QStringLiteral("size")) {
        part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(fields.value(1));
        part<LimitedTextBox>(window, "txtSendMessage")->setText(typedText(fields.value(2)));
        report({QStringLiteral("size"), part<QLabel>(window, "lblLabSendSize")->text()});
    } else if (command == QStringLiteral("intake")) {
        const MailslotIntakeFigures figures = MailslotIntake::figures();
        report({QStringLiteral("intake"), QString::number(figures.routing),
                QString::number(figures.readingNmbd), QString::number(figures.delivered),
                QString::number(figures.dropped), QString::number(figures.duplicates)});
    } else if (command == QStringLiteral("stats")) {
        report({QStringLiteral("stats"), QString::number(window.longestReceiveTickNs() / 1000),
                QString::number(MailslotIntake::lostDatagrams()),
                QString::number(MailslotIntake::receiveBufferBytes()),
                part<QLabel>(window, "lblInfo1")->text()});
        window.resetReceiveTickStatistics();
    } else if (command == QStringLiteral("ping")) {
        report({QStringLiteral("pong")});
    } else if (command == QStringLiteral("quit")) {
        window.shutdownWithoutQuestion();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    DialogSeam::setScripted(true);
    // A host of the namespace test: the real NetBIOS ports of its own network, not the
    // offline transport that scripted mode chooses by default.
    MailslotChannel::setTransportConfig(pelimo::platform::MailslotTransportConfig{});

    frmPelimo window;
    QObject::connect(
        &window, &frmPelimo::shutdownFinished, &app,
        [] {
            report({QStringLiteral("bye")});
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);

    // As the program does: SIGTERM, SIGINT and SIGHUP run the shutdown without its question.
    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::terminationRequested, &window,
                     &frmPelimo::shutdownWithoutQuestion);

    // Runs after the window's own receive handler, which was connected first.
    qint32 reported = 0;
    std::size_t dialogsReported = 0;
    QObject::connect(part<QTimer>(window, "TimerMailSlot"), &QTimer::timeout, &app, [&] {
        while (reported < HistoryList.Count) {
            const HistoryEntry entry = std::as_const(HistoryList)[++reported];
            report({QStringLiteral("shown"), QString::number(nowMicroseconds()), entry.Sender,
                    entry.Addressee, oneLine(entry.Text), oneLine(entry.AttachmentPath)});
        }
        const auto& dialogs = DialogSeam::shown();
        for (; dialogsReported < dialogs.size(); ++dialogsReported) {
            const DialogRecord& dialog = dialogs[dialogsReported];
            if (dialog.kind == DialogKind::ModalWindow) {
                report({QStringLiteral("window"), dialog.window});
            } else {
                report({QStringLiteral("dialog"), oneLine(dialog.title), oneLine(dialog.text)});
            }
        }
    });

    window.Form_Load();
    window.show();
    reported = HistoryList.Count;
    report({QStringLiteral("ready"), gComputerName});

    std::thread reader([&window] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString command = QString::fromStdString(line);
            QMetaObject::invokeMethod(
                &window, [&window, command] { execute(window, command); }, Qt::QueuedConnection);
        }
    });
    reader.detach();
    return QApplication::exec();
}
