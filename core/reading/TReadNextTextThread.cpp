#include "core/reading/TReadNextTextThread.h"

#include <exception>
#include <memory>

#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/WireTokens.h"
#include "core/reading/NextUnread.h"
#include "core/reading/ReadingServices.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/base/GuiThread.h"

namespace pellar {

namespace {

bool HasUnread(ReadingServices& services, int32_t conf)
{
    const std::shared_ptr<TMiravoMembership> membership = services.Membership(conf);
    return membership && membership->UnreadCount() > 0;
}

} // namespace

bool NextReadingConference(ReadingServices& services, ConferenceListPort& list, TCurrentReadStatus& status)
{
    status.ClearStack();
    const int rows = list.RowCount();
    for (int row = 0; row < rows; ++row) {
        if (HasUnread(services, list.RowConference(row))) {
            list.SelectRow(row);
            return true;
        }
    }
    list.ClearSelection();
    status.SetConference(0);
    return false;
}

int32_t SelectReadingConference(ReadingServices& services, ConferenceListPort& list, TCurrentReadStatus& status,
                                ReadNextHost& host)
{
    if (list.SelectedRow() < 0) {
        if (list.RowCount() == 0) {
            host.ChangeActivity("wait");
            return 0;
        }
        NextReadingConference(services, list, status);
    }
    int32_t conf = 0;
    // A selected row with unread texts ends the loop at the second pass at
    // the latest; the bound only guards against counts that change meanwhile.
    for (int pass = 0; pass <= list.RowCount(); ++pass) {
        const int row = list.SelectedRow();
        if (row < 0)
            return 0;
        conf = list.RowConference(row);
        if (HasUnread(services, conf)) {
            list.ScrollIntoView(row);
            return conf;
        }
        if (!NextReadingConference(services, list, status))
            break;
    }
    return conf;
}

TReadNextTextThread::TReadNextTextThread(ReadingServices& services, GuiThread& gui, ConferenceListPort& list,
                                         ReadNextHost& host, TCurrentReadStatus& status)
    : services_(services), gui_(gui), list_(list), host_(host), status_(status)
{
}

TReadNextTextThread::~TReadNextTextThread()
{
    Join();
}

void TReadNextTextThread::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void TReadNextTextThread::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

std::string TReadNextTextThread::TimeText() const
{
    return timeText_;
}

void TReadNextTextThread::Run()
{
    // Moving to another conference starts its walk from no current text; a
    // step that then shows nothing leaves the text on screen current, so
    // that a comment or reply still goes to what the user sees.
    const int32_t shown = status_.CurrentText();
    Outcome outcome;
    try {
        outcome = Step();
        if (status_.CurrentText() == 0)
            status_.SetCurrentText(shown);
    } catch (const std::exception& e) {
        services_.Log("TReadNextTextThread", e.what());
        outcome.disconnect = true;
    }
    // The step's one hand-over to the GUI thread: what it found, then the
    // end of the work. Everything else (the list, the walk, the marks) it
    // did on this thread.
    if (outcome.text > 0) {
        try {
            host_.PrepareText(outcome.text);
        } catch (const std::exception& e) {
            services_.Log("TReadNextTextThread", e.what());
        }
    }
    ++handOvers_;
    gui_.invokeAndWait([&] {
        if (outcome.text > 0)
            host_.ShowText(outcome.text);
        if (!outcome.info.empty())
            host_.ShowInfo(outcome.info);
        if (outcome.disconnect)
            host_.Disconnect();
        host_.EndWork();
    });
    finished_ = true;
}

TReadNextTextThread::Outcome TReadNextTextThread::Step()
{
    // Each pass through the loop either finds a text, marks one read, or
    // finds a conference dry; a run of dry conferences longer than the list
    // means the counts and the walk disagree, and the step ends.
    int dry = 0;
    const int32_t startConference = status_.Conference();
    for (;;) {
        const int32_t conf = SelectReadingConference(services_, list_, status_, host_);
        const int rows = list_.RowCount();
        conference_ = conf;
        if (!services_.Conference(conf))
            return NothingMore(false);
        const std::shared_ptr<TMiravoMembership> membership = services_.Membership(conf);
        if (!membership)
            return {};

        int32_t text;
        if (conf == status_.Conference()) {
            text = GetNextUnread(services_, status_, membership.get(), nullptr);
            if (text == -1) {
                list_.Refresh();
                NextReadingConference(services_, list_, status_);
                if (++dry > rows + 1)
                    break;
                continue;
            }
        } else {
            status_.SetConference(conf);
            status_.SetCurrentText(0);
            status_.ClearStack();
            text = GetNextUnread(services_, status_, membership.get(), nullptr);
            if (text == -1) {
                const bool found = NextReadingConference(services_, list_, status_);
                if (found && ++dry <= rows + 1)
                    continue;
            }
        }
        if (text <= 0)
            break;
        dry = 0;

        if (services_.FilterAddedTexts() && !IsAddedTextWanted(services_, text)) {
            MarkTextRead(services_, text, false);
            continue;
        }
        status_.SetCurrentText(text);
        PrefetchText(services_, text);
        MarkTextRead(services_, text, true);
        host_.ChangeActivity("read");
        // Within a conference only the counts the mark changed: a whole
        // refresh walks every membership and row, and with a thousand
        // conferences that is what the next press would wait for. A step
        // that moved on refreshes whole, so the row left behind can go.
        if (conf == startConference)
            list_.RefreshChanged();
        else
            list_.Refresh();
        Outcome outcome;
        outcome.text = text;
        return outcome;
    }
    return NothingMore(true);
}

TReadNextTextThread::Outcome TReadNextTextThread::NothingMore(bool withActivityAndRefresh)
{
    if (withActivityAndRefresh)
        host_.ChangeActivity("wait");
    timeText_.clear();
    if (const std::optional<std::string> reply = services_.Request("Get the time", requests::GetTime())) {
        size_t pos = 0;
        timeText_ = FormatDateTime(ReadTime(*reply, pos), services_.Locale());
    }
    if (withActivityAndRefresh)
        list_.Refresh();
    Outcome outcome;
    outcome.info = "The time is now " + timeText_ + " (according to the server)\r";
    return outcome;
}

} // namespace pellar
