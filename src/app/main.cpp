// Pelimo's entry: the application object, the window layer's dialogs, then the main window, whose
// start-up is the program's own logic. The end of the session and the termination signals run the
// window's shutdown without its question, so nothing received is lost.
#include <QApplication>
#include <QSessionManager>

#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/termination_signals.h"
#include "stores/application.h"
#include "transport/mailslot_channel.h"
#include "ui/copy_progress_dialog.h"
#include "ui/frmError.h"
#include "ui/label_button_accessible.h"
#include "ui/modal_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // The window may be hidden in the tray while a message box closes: only the shutdown ends
    // the program.
    QApplication::setQuitOnLastWindowClosed(false);
    DialogSeam::installWidgetBackend();
    ErrorReport::setPresenter(&frmError::present);
    // What the router could not do about the network is said in a box of the window layer.
    MailslotIntake::setPresenter([](const QString& text) {
        DialogSeam::messageBox(text, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                               QStringLiteral("Information"));
    });
    CopyProgress::installDialog();
    LabelButtonAccessible::install();

    frmPelimo window;
    QObject::connect(&window, &frmPelimo::shutdownFinished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    TerminationSignals signals_;
    QObject::connect(&signals_, &TerminationSignals::terminationRequested, &window,
                     &frmPelimo::shutdownWithoutQuestion);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.shutdownWithoutQuestion(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.shutdownWithoutQuestion(); });

    window.Form_Load();
    window.show();
    return QApplication::exec();
}
