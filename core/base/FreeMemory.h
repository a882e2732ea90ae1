// Handing memory the allocator holds but nobody uses back to the system,
// after work that allocated much and let most of it go again.
#pragma once

namespace pellar {

// Returns the free pages of every heap to the system. Takes a few
// milliseconds on a large heap and holds each heap's lock meanwhile: call it
// once after a burst, never per item.
void ReturnFreeMemory();

} // namespace pellar
