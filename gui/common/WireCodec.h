// The one place where wire bytes become QString and back. Core keeps text as
// bytes end to end; the character set is the logged-on profile's, ISO-8859-1
// unless the profile says UTF-8.
#pragma once

#include "core/wire/WireCharset.h"

#include <QString>

#include <string>
#include <string_view>

namespace pellar {

// The set FromWire and ToWire use. The client sets it when a profile is
// chosen for logging on; one client per process shows one profile's text.
WireCharset ActiveWireCharset();
void SetActiveWireCharset(WireCharset charset);

// Bytes from the server as text for a widget. In UTF-8 a byte that is not
// part of a well-formed sequence shows as its ISO-8859-1 letter.
QString FromWire(std::string_view bytes);
QString FromWire(std::string_view bytes, WireCharset charset);

// Text from a widget as bytes for the server. Characters the set cannot
// hold become "?"; callers that send ask first (ConfirmSendable).
std::string ToWire(const QString& text);
std::string ToWire(const QString& text, WireCharset charset);

// The distinct characters of text the set cannot hold, in order of first
// appearance; empty when all of it can be sent.
QString UnencodableCharacters(const QString& text, WireCharset charset);
QString UnencodableCharacters(const QString& text);

} // namespace pellar
