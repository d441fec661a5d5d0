// The one main of every test program: an offscreen application object, scripted dialogs.
#include <gtest/gtest.h>

#include <QApplication>

#include "seam/dialog_seam.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Tests never reach the session bus of the desktop they run on (notifications, tray items):
    // only a private bus that a test started and named.
    if (qgetenv("PELIMO_PRIVATE_SESSION_BUS").isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelimo-tests-use-no-bus");
    QApplication app(argc, argv);
    DialogSeam::setScripted(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
