// One reader's cursor: the conference being read, the text now shown and the
// parents still to be revisited. The stack is a fixed array inside the object
// so a read-next step allocates nothing for it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace pellar {

class ReadingServices;
class TMiravoText;

class TCurrentReadStatus
{
public:
    static constexpr int kStackSize = 8193;

    void SetCurrentText(int32_t text) { currentText_ = text; }
    int32_t CurrentText() const { return currentText_; }
    // The body of the current text through the text cache; null for none.
    std::shared_ptr<TMiravoText> GetCurrentText(ReadingServices& services) const;

    // A push onto a full stack drops the oldest entry: the parents nearest to
    // the text being read matter most, and an unread text whose parent was
    // dropped is still found later by its local number.
    void Push(int32_t text);
    // -1 when the stack is empty.
    int32_t Pop();
    void ClearStack() { count_ = 0; }
    int Count() const { return count_; }

    int32_t Conference() const { return conference_; }
    void SetConference(int32_t conf) { conference_ = conf; }

private:
    // A ring: bottom_ is the slot of the oldest entry.
    std::array<int32_t, kStackSize> stack_{};
    int bottom_ = 0;
    int count_ = 0;
    // Read by the GUI thread (history, commands) while a worker runs.
    std::atomic<int32_t> conference_{0};
    std::atomic<int32_t> currentText_{0};
};

} // namespace pellar
