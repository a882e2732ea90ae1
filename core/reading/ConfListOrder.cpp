#include "core/reading/ConfListOrder.h"

namespace pellar {

void ConfListOrder::HeaderClicked(int column)
{
    if (column == column_) {
        descending_ = !descending_;
    } else {
        column_ = column;
        descending_ = false;
    }
}

} // namespace pellar
