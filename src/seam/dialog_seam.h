// The one place through which every message box, file dialog, print dialog and modal window is
// shown. The window layer installs a backend with real dialogs; tests switch the seam to scripted
// mode, answer in advance and read back what was shown, so nothing ever blocks on a modal.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Button sets, icons and results keep the classic message box values.
enum class MsgBoxButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgBoxIcon {
    None = 0,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64
};
enum class MsgBoxResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

enum class DialogKind { MessageBox, OpenFile, SaveFile, Print, ModalWindow, Report, Credentials };

// What was shown.
struct DialogRecord {
    DialogKind kind = DialogKind::MessageBox;
    QString title;
    QString text;  // message text; report text
    MsgBoxButtons buttons = MsgBoxButtons::Ok;
    MsgBoxIcon icon = MsgBoxIcon::None;
    QString directory;   // file dialogs: initial folder or file
    QString filter;      // file dialogs: name filter
    QString window;      // modal windows and reports: the window's object name
    QStringList fields;  // credentials: the labels of the user name and password fields
};

// A scripted answer, taken by the next dialog shown.
struct DialogAnswer {
    MsgBoxResult button = MsgBoxResult::Ok;   // message boxes
    QString fileName;                         // file dialogs; empty means cancelled
    bool accepted = true;                     // print dialogs
    std::function<int(QObject* window)> act;  // modal windows: acts on the shown window and
                                              // returns its result instead of waiting; message
                                              // boxes: runs while the box is open (no window)
    QString userName;                         // credentials (when accepted)
    QString password;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    virtual MsgBoxResult messageBox(const DialogRecord& request) = 0;
    virtual QString openFileName(const DialogRecord& request) = 0;
    virtual QString saveFileName(const DialogRecord& request) = 0;
    virtual void showReport(const DialogRecord& request) = 0;
    // Asks for a user name and a password; false when cancelled.
    virtual bool credentials(const DialogRecord& request, QString& user, QString& password) {
        (void)request, (void)user, (void)password;
        return false;
    }
};

namespace DialogSeam {

MsgBoxResult messageBox(const QString& text, MsgBoxButtons buttons, MsgBoxIcon icon,
                        const QString& title);
QString openFileName(const QString& title, const QString& directory, const QString& filter);
QString saveFileName(const QString& title, const QString& directory, const QString& filter);
// A plain text report shown modally (used where no window class is available).
void showReport(const QString& windowName, const QString& title, const QString& text);
// Asks for a user name and a password under `text`; false when the user cancelled. Scripted: an
// answer that is accepted gives its userName and password; no answer cancels.
bool askCredentials(const QString& title, const QString& text, const QStringList& fieldLabels,
                    QString& user, QString& password);

void setBackend(std::unique_ptr<DialogBackend> backend);

// Scripted mode: dialogs are not shown; answers come from the queue, else the default answer
// (the first button, a cancelled file dialog, a refused print dialog, a closed window).
void setScripted(bool scripted);
bool isScripted();
void pushAnswer(DialogAnswer answer);
void pushButton(MsgBoxResult button);
std::size_t pendingAnswers();
const std::vector<DialogRecord>& shown();
void clearShown();  // also drops pending answers

// For the window layer's own modals: record a dialog and take its scripted answer.
void record(const DialogRecord& request);
std::optional<DialogAnswer> takeAnswer();
MsgBoxResult defaultButton(MsgBoxButtons buttons);

}  // namespace DialogSeam
