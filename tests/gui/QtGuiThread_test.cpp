#include "gui/common/QtGuiThread.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <stdexcept>
#include <thread>

using pellar::QtGuiThread;

class QtGuiThreadTest : public QObject {
    Q_OBJECT

private slots:
    void RunsInlineOnTheGuiThread()
    {
        QtGuiThread gui;
        bool ran = false;
        gui.invokeAndWait([&] { ran = true; });
        QVERIFY(ran); // no event loop needed
        gui.invokeAndWait(nullptr);
    }

    void WorkerBlocksUntilTheGuiThreadRanIt()
    {
        QtGuiThread gui;
        QThread* guiThread = QThread::currentThread();
        QThread* ranOn = nullptr;
        std::atomic<bool> workerDone = false;
        bool sawResultBeforeReturn = false;
        std::thread worker([&] {
            int value = 0;
            gui.invokeAndWait([&] {
                ranOn = QThread::currentThread();
                value = 42;
            });
            sawResultBeforeReturn = value == 42;
            workerDone = true;
        });
        QTRY_VERIFY(workerDone.load());
        worker.join();
        QCOMPARE(ranOn, guiThread);
        QVERIFY(sawResultBeforeReturn);
    }

    void ExceptionsReachTheWorker()
    {
        QtGuiThread gui;
        std::atomic<bool> done = false;
        bool caught = false;
        std::thread worker([&] {
            try {
                gui.invokeAndWait([] { throw std::runtime_error("no"); });
            } catch (const std::runtime_error&) {
                caught = true;
            }
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QVERIFY(caught);
    }
};

QTEST_MAIN(QtGuiThreadTest)
#include "QtGuiThread_test.moc"
