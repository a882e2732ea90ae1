#include "core/protocol/BlockingWait.h"

namespace pellar {

WaitOutcome PlainBlockingWait::Wait(const WaitSpec& spec)
{
    if (spec.tickMs > 0 && spec.onTick) {
        while (!spec.waitFor(spec.tickMs))
            spec.onTick();
    } else {
        spec.waitFor(-1);
    }
    return WaitOutcome::Done;
}

} // namespace pellar
