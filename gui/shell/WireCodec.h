// The one place where wire bytes become QString and back. Core keeps text as
// bytes end to end; the server's character set is ISO-8859-1.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace pellar {

// Bytes from the server (ISO-8859-1) as text for a widget.
QString FromWire(std::string_view bytes);

// Text from a widget as bytes for the server. Characters that ISO-8859-1
// cannot hold become "?", so the result is always one byte per character.
std::string ToWire(const QString& text);

} // namespace pellar
