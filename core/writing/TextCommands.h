// One-request commands the windows give about a text, a mark or a message
// (a receipt confirmation is the reading controller's):
// each sends its request, waits for the reply or link loss, and returns
// whether the server took it (a refusal has posted its reason).
#pragma once

#include <cstdint>
#include <string_view>

namespace pellar {

class Client;
class WritingServices;

// The mark a text gets when the user gives no type.
inline constexpr int32_t kDefaultMarkType = 100;

// The cached copy is forgotten whatever the answer: the next look-up asks.
bool DeleteText(Client& client, int32_t text);
bool SetMark(Client& client, int32_t text, int32_t markType);
// recipient 0: everyone.
bool SendMessage(Client& client, int32_t recipient, std::string_view message);

bool DeleteMark(WritingServices& services, int32_t text);
bool ChangeMarkType(WritingServices& services, int32_t text, int32_t markType);

} // namespace pellar
