// Waiting for the server on the GUI thread without freezing the window: a
// short quiet wait first (a fast reply costs no event loop), then a nested
// event loop that repaints, and after a moment a box saying what is awaited
// with Cancel. Other threads block plainly.
#pragma once

#include "core/sync/BlockingWait.h"

#include <QPointer>

#include <functional>
#include <memory>

class QObject;
class QString;
class QWidget;

namespace pellar {

// A window already on screen for the operation under way (the connecting
// box of a logon) that shows a wait itself, with its own Cancel, so that one
// operation has one box and no second box appears under or over it.
class WaitHost {
public:
    virtual ~WaitHost() = default;
    // True when the host takes the wait: it shows what is awaited and offers
    // cancel (empty: nothing to give up) until EndWait.
    virtual bool BeginWait(const QString& what, std::function<void()> cancel) = 0;
    virtual void EndWait() = 0;
};

class QtBlockingWait : public BlockingWait {
public:
    // How long the GUI thread waits before it starts painting again. Quiet
    // waits back to back, with no pass of the event loop between them (a
    // logon's dozen requests), share this one budget: otherwise the window
    // would stand still for their sum.
    static constexpr int kQuietMs = 20;
    // How often the helper that watches the wait looks for a cancel.
    static constexpr int kSliceMs = 20;

    WaitOutcome Wait(const WaitPlan& plan) override;

    // Waits running now on the GUI thread (nested ones count each).
    int Depth() const { return depth_; }
    // Waits started and boxes shown, for tests and the benchmark.
    int NestedWaits() const { return nestedWaits_; }
    int BoxesShown() const { return boxesShown_; }
    // Waits a host showed instead of a box of their own.
    int HostedWaits() const { return hostedWaits_; }

    // The host that shows waits while it is on screen; guard is the object
    // whose end takes the host with it (null host: none).
    void SetHost(WaitHost* host, QObject* guard);

private:
    struct QuietSpell;
    // What is left of the quiet budget since the event loop last ran.
    int QuietBudgetMs();

    PlainBlockingWait plain_;
    std::shared_ptr<QuietSpell> quiet_;
    int depth_ = 0;
    int nestedWaits_ = 0;
    int boxesShown_ = 0;
    int hostedWaits_ = 0;
    WaitHost* host_ = nullptr;
    QPointer<QObject> hostGuard_;
};

} // namespace pellar
