// What the tray icon shows after an alert. The values are the icon's own
// state numbers.
#pragma once

namespace pellar {

enum class TrayAlert { None = 0, ImportantText = 1, Message = 2 };

} // namespace pellar
