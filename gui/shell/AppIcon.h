// The program's icon, drawn rather than shipped: a speech bubble with a "P".
#pragma once

#include <QIcon>

namespace pellar {

QIcon AppIcon();

} // namespace pellar
