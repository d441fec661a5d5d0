#include "transport_test_support.h"

#include <QElapsedTimer>
#include <QThread>

#include "transport/mailslot_channel.h"

int scanUntilMessage(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    int result = gFctScanMailSlot();
    while (result != 1 && timer.elapsed() < timeoutMs) {
        QThread::msleep(2);
        result = gFctScanMailSlot();
    }
    return result;
}
