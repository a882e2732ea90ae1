// Which names a look-up or the name chooser takes: persons, conferences or
// both. The values are the chooser's own and never go on the wire.
#pragma once

namespace pellar {

enum class NameKind { Persons = 1, Conferences = 2, Both = 3 };

} // namespace pellar
