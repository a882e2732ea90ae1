#include "core/sync/BlockingWait.h"

namespace pellar {

WaitOutcome PlainBlockingWait::Wait(const WaitPlan& plan)
{
    if (plan.tickMs > 0 && plan.onTick) {
        while (!plan.waitFor(plan.tickMs))
            plan.onTick();
    } else {
        plan.waitFor(-1);
    }
    return WaitOutcome::Done;
}

} // namespace pellar
