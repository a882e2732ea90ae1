#include "gui/shell/QtBlockingWait.h"
#include "gui/common/CoreTexts.h"

#include "gui/shell/WaitForm.h"
#include "gui/common/WireCodec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>

namespace pellar {

namespace {

// Ends whichever loop the wait is running when the helper sees the end.
struct LoopSlot {
    QEventLoop* loop = nullptr;
    void Quit()
    {
        if (loop)
            loop->quit();
    }
};

} // namespace

// The GUI thread has not been back in an event loop since `since`.
struct QtBlockingWait::QuietSpell {
    QElapsedTimer since;
    bool open = false;
};

int QtBlockingWait::QuietBudgetMs()
{
    if (!quiet_)
        quiet_ = std::make_shared<QuietSpell>();
    if (!quiet_->open) {
        quiet_->open = true;
        quiet_->since.start();
        // Runs once the thread is back in an event loop, nested or not: the
        // spell is over and the next wait has the whole budget again.
        QTimer::singleShot(0, [spell = std::weak_ptr<QuietSpell>(quiet_)] {
            if (const auto s = spell.lock())
                s->open = false;
        });
    }
    return static_cast<int>(std::max<qint64>(0, kQuietMs - quiet_->since.elapsed()));
}

void QtBlockingWait::SetHost(WaitHost* host, QObject* guard)
{
    host_ = host;
    hostGuard_ = guard;
}

WaitOutcome QtBlockingWait::Wait(const WaitPlan& plan)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return plain_.Wait(plan);
    if (plan.waitFor(QuietBudgetMs()))
        return WaitOutcome::Done;
    ++nestedWaits_;
    ++depth_;

    QElapsedTimer clock;
    clock.start();
    LoopSlot current;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    // Queued calls from the helper land on this object; any still pending
    // when the wait is over go with it.
    QObject relay;
    std::thread helper([&] {
        while (!stop.load()) {
            if (plan.waitFor(kSliceMs)) {
                done = true;
                QMetaObject::invokeMethod(&relay, [&current] { current.Quit(); }, Qt::QueuedConnection);
                return;
            }
        }
    });
    // However the wait ends, the helper is gone before what it uses.
    struct HelperStop {
        std::atomic<bool>& stop;
        std::thread& helper;
        int& depth;
        ~HelperStop()
        {
            stop = true;
            helper.join();
            --depth;
        }
    } helperStop{stop, helper, depth_};

    QTimer tick;
    if (plan.tickMs > 0 && plan.onTick) {
        QObject::connect(&tick, &QTimer::timeout, &relay, [&plan] { plan.onTick(); });
        tick.start(plan.tickMs);
    }

    // Until the box shows, input stays queued: a click must not start a
    // second command under a wait the user cannot see.
    const qint64 untilBox = plan.showAfterMs - clock.elapsed();
    if (untilBox > 0) {
        QEventLoop quiet;
        current.loop = &quiet;
        QTimer::singleShot(static_cast<int>(untilBox), &quiet, &QEventLoop::quit);
        if (!done.load())
            quiet.exec(QEventLoop::ExcludeUserInputEvents);
        current.loop = nullptr;
    }

    bool cancelled = false;
    WaitHost* host = hostGuard_ ? host_ : nullptr;
    if (!done.load() && host) {
        QEventLoop hosted;
        std::function<void()> giveUp;
        if (plan.cancel) {
            giveUp = [&] {
                if (done.load() || cancelled)
                    return;
                cancelled = true;
                plan.cancel();
                hosted.quit();
            };
        }
        if (host->BeginWait(CoreText(plan.what), giveUp)) {
            ++hostedWaits_;
            current.loop = &hosted;
            if (!done.load())
                hosted.exec();
            current.loop = nullptr;
            // The host may have gone with its window meanwhile.
            if (hostGuard_)
                host->EndWait();
            return cancelled ? WaitOutcome::Cancelled : WaitOutcome::Done;
        }
    }
    if (!done.load()) {
        QEventLoop shown;
        QPointer<TWaitForm> box = new TWaitForm(CoreText(plan.what), bool(plan.cancel), QApplication::activeWindow());
        QObject::connect(box.data(), &QDialog::rejected, &relay, [&] {
            // Escape on a box without Cancel gives up nothing.
            if (done.load() || cancelled || !plan.cancel)
                return;
            cancelled = true;
            if (plan.cancel)
                plan.cancel();
            shown.quit();
        });
        box->show();
        ++boxesShown_;
        current.loop = &shown;
        if (!done.load())
            shown.exec();
        current.loop = nullptr;
        delete box.data();
    }

    return cancelled ? WaitOutcome::Cancelled : WaitOutcome::Done;
}

} // namespace pellar
