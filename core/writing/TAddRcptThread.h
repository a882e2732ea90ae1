// Adds the recipients an opener supplied to a writing window, one at a time,
// because each may need a conference look-up on the server. A comment to a
// conference that sends comments on goes to its super-conference instead.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace pellar {

class GuiThread;
class TextComposition;
class TMiravoConference;

class TAddRcptThread {
public:
    TAddRcptThread(TextComposition& composition, GuiThread& gui);
    // Asks the thread to stop and waits for it.
    ~TAddRcptThread();
    TAddRcptThread(const TAddRcptThread&) = delete;
    TAddRcptThread& operator=(const TAddRcptThread&) = delete;

    void Start();
    void Stop() { stop_.store(true); }
    void Join();

    // The number to add for a recipient: its super-conference when the text
    // is a comment and the conference's second type flag is "1" and it has
    // a super-conference; else the number itself.
    static int32_t Substitute(int32_t number, TMiravoConference& conf, bool isComment);

private:
    void Run();

    TextComposition& composition_;
    GuiThread& gui_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace pellar
