#include "core/reading/TCurrentReadStatus.h"

#include "core/reading/ReadingServices.h"

namespace pellar {

std::shared_ptr<TMiravoText> TCurrentReadStatus::GetCurrentText(ReadingServices& services) const
{
    const int32_t text = currentText_;
    return text == 0 ? nullptr : services.GetText(text);
}

void TCurrentReadStatus::Push(int32_t text)
{
    if (count_ == kStackSize) {
        stack_[static_cast<size_t>(bottom_)] = text;
        bottom_ = (bottom_ + 1) % kStackSize;
        return;
    }
    stack_[static_cast<size_t>((bottom_ + count_) % kStackSize)] = text;
    ++count_;
}

int32_t TCurrentReadStatus::Pop()
{
    if (count_ == 0)
        return -1;
    --count_;
    return stack_[static_cast<size_t>((bottom_ + count_) % kStackSize)];
}

} // namespace pellar
