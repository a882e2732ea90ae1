// Waiting for the server on the GUI thread without freezing the window: a
// short quiet wait first (a fast reply costs no event loop), then a nested
// event loop that repaints, and after a moment a box saying what is awaited
// with Cancel. Other threads block plainly.
#pragma once

#include "core/protocol/BlockingWait.h"

#include <memory>

class QWidget;

namespace pellar {

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

private:
    struct QuietSpell;
    // What is left of the quiet budget since the event loop last ran.
    int QuietBudgetMs();

    PlainBlockingWait plain_;
    std::shared_ptr<QuietSpell> quiet_;
    int depth_ = 0;
    int nestedWaits_ = 0;
    int boxesShown_ = 0;
};

} // namespace pellar
