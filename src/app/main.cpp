// Pelimo's entry: the application object, the window layer's dialogs, then the main window.
#include <QApplication>
#include <QMainWindow>

#include "errorreport/error_trap.h"
#include "errorreport/frmError.h"
#include "stores/application.h"
#include "stores/settings.h"
#include "ui/modal_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    DialogSeam::installWidgetBackend();
    gSetErrorReportPresenter(&frmError::present);

    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("Form_Load"));
    trap.step([] { gInitApplicationFolder(); });
    trap.step([] { gLoadSettingsIni(); });

    QMainWindow window;
    window.setObjectName(QStringLiteral("frmPelimo"));
    window.setWindowTitle(gApplicationTitle());
    window.resize(540, 420);
    window.show();
    return QApplication::exec();
}
