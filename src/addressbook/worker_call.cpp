#include "addressbook/worker_call.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <memory>

void WorkerCall::letEventsRun() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}

void WorkerCall::runOnWorker(const std::function<void()>& work) {
    if (QCoreApplication::instance() == nullptr) {
        work();
        return;
    }
    std::unique_ptr<QThread> worker(QThread::create(work));
    QEventLoop loop;
    // Queued: the quit arrives through the loop's own event processing, never before it runs.
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
}
