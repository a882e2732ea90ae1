#include "core/events/TAsyncMsgThread.h"

#include <chrono>
#include <exception>
#include <vector>

#include "core/events/AlertRules.h"
#include "core/events/EventPorts.h"
#include "core/events/TLogOnOffThread.h"
#include "core/wire/RecordParsers.h"
#include "core/wire/WireTokens.h"
#include "core/reading/NextUnread.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"

namespace pellar {

namespace {

constexpr int kIdleWaitMs = 200;
constexpr int kOfflineWaitMs = 250;

// A notification shows one line: up to the first line break.
std::string FirstLine(const std::string& text)
{
    const size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

std::vector<std::string> DroppedMessagesNotices(const std::string& senderName, const DroppedMessages& dropped)
{
    std::vector<std::string> lines;
    const auto line = [&](uint64_t count, const char* to) {
        if (count == 0)
            return;
        lines.push_back("*** " + std::to_string(count) + (count == 1 ? " message" : " messages") + " from " +
                        senderName + to + (count == 1 ? " was" : " were") +
                        " dropped: they came faster than they could be shown.");
    };
    line(dropped.broadcast, " to everyone");
    line(dropped.personal, "");
    return lines;
}

TAsyncMsgThread::TAsyncMsgThread(Client& client, GuiThread& gui, EventPorts& ports, ReadingServices& reading)
    : client_(client), gui_(gui), ports_(ports), reading_(reading)
{
}

TAsyncMsgThread::~TAsyncMsgThread()
{
    Stop();
}

void TAsyncMsgThread::SetEnabled(bool on)
{
    std::lock_guard lock(wakeMutex_);
    enabled_ = on;
    wake_.notify_all();
}

void TAsyncMsgThread::Start()
{
    if (thread_.joinable())
        return;
    terminate_ = false;
    thread_ = std::thread([this] { Loop(); });
}

void TAsyncMsgThread::Stop()
{
    {
        std::lock_guard lock(wakeMutex_);
        enabled_ = false;
        terminate_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
    JoinNoticeThreads();
}

void TAsyncMsgThread::Loop()
{
    std::vector<std::string> lines;
    while (!terminate_) {
        ReapNoticeThreads(false);
        if (!enabled_) {
            if (client_.DisconnectingEvent().IsSet())
                client_.AsyncMessages().Clear();
            std::unique_lock lock(wakeMutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kOfflineWaitMs),
                           [this] { return enabled_.load() || terminate_.load(); });
            continue;
        }
        if (!client_.ConnectedEvent().IsSet()) {
            client_.ConnectedEvent().WaitFor(kOfflineWaitMs);
            continue;
        }
        if (client_.DisconnectingEvent().IsSet()) {
            // What arrived while the user disconnects is no longer wanted.
            client_.AsyncMessages().Clear();
            enabled_ = false;
            continue;
        }
        if (!client_.AsyncMessages().WaitNotEmpty(kIdleWaitMs) || !PaceHandOver())
            continue;
        // What came during the frame is one batch; a flood beyond the list's
        // bound was folded there already.
        lines.clear();
        for (size_t bytes = 0; lines.size() < kBatchLines && bytes < kBatchBytes;) {
            if (client_.AsyncMessages().PopBatch(lines, 1) == 0)
                break;
            bytes += lines.back().size();
        }
        DispatchBatch(lines, client_.AsyncMessages().TakeOverflow());
    }
}

bool TAsyncMsgThread::PaceHandOver()
{
    const auto due = lastHandOver_ + kFrame;
    std::unique_lock lock(wakeMutex_);
    wake_.wait_until(lock, due, [this] { return terminate_.load() || !enabled_.load(); });
    return !terminate_ && enabled_;
}

void TAsyncMsgThread::DispatchLine(const std::string& line)
{
    Handle(line);
    FlushEffects();
}

void TAsyncMsgThread::DispatchBatch(const std::vector<std::string>& lines, const AsyncOverflow& overflow)
{
    for (const std::string& line : lines)
        Handle(line);
    HandleOverflow(overflow);
    FlushEffects();
}

void TAsyncMsgThread::FlushEffects()
{
    PendingEffects effects = std::exchange(pending_, PendingEffects{});
    if (!effects.prefetch.empty()) {
        // The user hears and sees a new text at once; fetching it ahead takes
        // round trips, so the alert does not wait for them.
        if (effects.alerted) {
            PendingEffects alert;
            alert.steps = std::move(effects.steps);
            alert.presence = std::move(effects.presence);
            effects.steps.clear();
            effects.presence.clear();
            HandOver(alert);
        }
        for (const int32_t text : effects.prefetch) {
            try {
                PrefetchText(reading_, text);
            } catch (const std::exception&) {
                // A fetch ahead that fails (the link went) leaves the text to
                // be fetched when it is read; the window effects still go.
            }
        }
        for (const auto& [text, author] : effects.notices)
            effects.steps.push_back([this, notice = TextNotice(text, author)] { ports_.Notify(notice); });
    }
    HandOver(effects);
}

void TAsyncMsgThread::HandOver(PendingEffects& effects)
{
    if (effects.steps.empty() && effects.presence.empty() && !effects.refresh)
        return;
    gui_.invokeAndWait([&] {
        for (const auto& step : effects.steps)
            step();
        for (const auto& [session, step] : effects.presence)
            step();
        if (effects.refresh)
            ports_.RefreshConferenceList();
    });
    lastHandOver_ = std::chrono::steady_clock::now();
}

void TAsyncMsgThread::HandleOverflow(const AsyncOverflow& overflow)
{
    if (overflow.Empty())
        return;
    MVCache& cache = client_.Cache();
    std::vector<int32_t> confs(overflow.refreshConferences.begin(), overflow.refreshConferences.end());
    if (overflow.refreshAll) {
        confs.clear();
        cache.ListMemberConferences(confs);
    }
    // The texts themselves were not kept: the conferences say there is
    // something new, and reading them fetches it.
    for (const int32_t conf : confs) {
        if (auto membership = cache.GetMembership(conf)) {
            membership->SetMayHaveUnread(true);
            membership->SetChanged(true);
        }
    }
    if (overflow.newTexts > 0)
        pending_.refresh = true;
    std::vector<std::string> notices;
    for (const auto& [sender, dropped] : overflow.messages) {
        const std::string name = client_.Cache().GetName(sender);
        for (std::string& line : DroppedMessagesNotices(name, dropped))
            notices.push_back(std::move(line));
    }
    for (std::string& line : DroppedMessagesNotices("other senders", overflow.otherSenders))
        notices.push_back(std::move(line));
    for (std::string& line : notices)
        pending_.steps.push_back([this, line = std::move(line)] { ports_.MessagesDropped(line); });
}

void TAsyncMsgThread::Handle(const std::string& line)
{
    ++messageCount_;
    size_t pos = 0;
    const AsyncNumber number = ReadAsyncNumber(line, pos);
    try {
        switch (number) {
        case AsyncNumber::NewTextOld:
        case AsyncNumber::NewText: {
            const int32_t text = ReadInt(line, pos);
            NewText(text, line, pos, number == AsyncNumber::NewText);
            break;
        }
        case AsyncNumber::NewName: {
            NewNameMessage m = ParseNewName(line, pos);
            if (m.number > 0)
                client_.Cache().SetName(m.number, std::move(m.newName));
            break;
        }
        case AsyncNumber::IAmOn: {
            const PresenceReport r = ParsePresence(line, pos);
            {
                std::lock_guard lock(presenceMutex_);
                lastPresence_ = r;
            }
            Presence(r);
            break;
        }
        case AsyncNumber::SyncDatabase:
            Status("Database is synchronizing.");
            break;
        case AsyncNumber::Login:
        case AsyncNumber::Logout: {
            const SessionMessage m = ParseSessionMessage(line, pos);
            LogOnOff(m.person, m.session, number == AsyncNumber::Login);
            break;
        }
        case AsyncNumber::RejectedConnection:
            Status("Miravo is full. Please log out if you are finished reading.");
            break;
        case AsyncNumber::SendMessage: {
            TextMessage m = ParseTextMessage(line, pos);
            Message(m.recipient, m.sender, std::move(m.text));
            break;
        }
        default:
            break;  // not ours to handle
        }
    } catch (const std::exception&) {
        // A malformed line is dropped; the next one is handled as usual.
    }
}

void TAsyncMsgThread::NewText(int32_t text, const std::string& line, size_t& pos, bool withAux)
{
    if (text <= 0)
        return;
    auto status = std::make_shared<TextStatType>();
    ParseTextStat(line, pos, *status);
    if (withAux)
        ParseAuxItemList(line, pos, *status);
    MVCache& cache = client_.Cache();
    cache.PutTextStat(text, status);

    // Links into cached parents appear at once; uncached parents learn of
    // the child when they are fetched.
    const auto items = status->MiscInfos();
    bool linked = false;
    for (const auto& item : items) {
        if (const auto* foot = dynamic_cast<const TMiscInfoFootTo*>(item.get())) {
            if (cache.IsTextStatCached(foot->textNo)) {
                if (auto parent = cache.GetTextStat(foot->textNo)) {
                    auto link = std::make_shared<TMiscInfoFootIn>();
                    link->textNo = text;
                    parent->AddMiscInfo(link);
                    linked = true;
                }
            }
        } else if (const auto* comm = dynamic_cast<const TMiscInfoCommTo*>(item.get())) {
            if (cache.IsTextStatCached(comm->textNo)) {
                if (auto parent = cache.GetTextStat(comm->textNo)) {
                    auto link = std::make_shared<TMiscInfoCommIn>();
                    link->textNo = text;
                    parent->AddMiscInfo(link);
                    linked = true;
                }
            }
        }
    }

    if (linked)
        cache.NoteChangedInPlace();

    std::vector<int32_t> priorities;
    for (const auto& item : items) {
        const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get());
        if (!normal)
            continue;
        auto membership = cache.GetMembership(normal->confNo);
        if (!membership)
            continue;
        membership->SetMayHaveUnread(true);
        // No record lock is held here: the conference may have to be
        // fetched, and the flags are atomic.
        if (auto conf = cache.GetConference(normal->confNo)) {
            if (conf->GlobalOf(normal->localNo, true) < 1)
                conf->SetGlobal(normal->localNo, text);
        }
        membership->SetChanged(true);
        priorities.push_back(membership->Priority());
    }

    const int32_t me = client_.CurrentPerson();
    if (status->Author() != me) {
        const AlertDecision alert = DecideTextAlert(AlertSettings::Read(client_.Config()), priorities,
                                                    status->Author(), me);
        // The icon and the beep first; the notice names the text's subject,
        // which only the fetch ahead brings (FlushEffects).
        if (alert.trayState != TrayAlert::None) {
            pending_.steps.push_back([this, state = alert.trayState] { ports_.ShowTray(state); });
            pending_.notices.emplace_back(text, status->Author());
        }
        if (alert.beep)
            pending_.steps.push_back([this] { ports_.Beep(); });
        pending_.alerted = pending_.alerted || alert.trayState != TrayAlert::None || alert.beep;
        pending_.prefetch.push_back(text);
    } else {
        MarkTextRead(reading_, text, true);
    }
    // One refresh for every new text of the batch.
    pending_.refresh = true;
}

AlertNotice TAsyncMsgThread::TextNotice(int32_t text, int32_t author)
{
    AlertNotice notice;
    notice.kind = AlertNotice::Kind::Text;
    notice.sender = author;
    notice.text = text;
    notice.senderName = client_.Cache().GetName(author);
    // Only what the fetch ahead brought: the notice never waits for a body.
    if (client_.Cache().IsTextCached(text))
        if (auto body = client_.Cache().GetText(text))
            notice.firstLine = FirstLine(body->Subject());
    return notice;
}

void TAsyncMsgThread::Message(int32_t recipient, int32_t sender, std::string text)
{
    IncomingMessage m;
    m.recipient = recipient;
    m.sender = sender;
    m.text = LfToCrLf(text);
    // A trailing CR LF that the message did not have is not wanted.
    if (text.empty() || text.back() != '\n') {
        if (m.text.size() >= 2 && m.text.compare(m.text.size() - 2, 2, "\r\n") == 0)
            m.text.resize(m.text.size() - 2);
    }
    m.recipientName = recipient == 0 ? "Everyone" : client_.Cache().GetName(recipient);
    m.senderName = client_.Cache().GetName(sender);
    // The alert settings in force when the message came decide its alert,
    // not what they are by the time the window has shown it.
    const AlertDecision alert =
        DecideMessageAlert(AlertSettings::Read(client_.Config()), recipient, client_.CurrentPerson());
    std::function<void()> tray;
    if (alert.trayState != TrayAlert::None) {
        AlertNotice notice;
        notice.kind = recipient != 0 && recipient == client_.CurrentPerson() ? AlertNotice::Kind::PersonalMessage
                                                                             : AlertNotice::Kind::GroupMessage;
        notice.sender = sender;
        notice.recipient = recipient;
        notice.senderName = m.senderName;
        notice.recipientName = m.recipientName;
        notice.firstLine = FirstLine(m.text);
        tray = [this, state = alert.trayState, notice] {
            ports_.ShowTray(state);
            ports_.Notify(notice);
        };
    }
    pending_.steps.push_back([this, m = std::move(m)] { ports_.DeliverMessage(m); });
    if (alert.beep)
        pending_.steps.push_back([this] { ports_.Beep(); });
    if (tray)
        pending_.steps.push_back(std::move(tray));
    if (alert.bringToFront)
        pending_.steps.push_back([this] { ports_.BringToFront(); });
}

void TAsyncMsgThread::Presence(const PresenceReport& r)
{
    const std::string personName = client_.Cache().GetName(r.person);
    const std::string confName = client_.Cache().GetName(r.workingConf);
    pending_.presence[r.session] = [this, personName, confName, r] {
        ports_.UpdatePresence(personName, confName, r.session, r.doing, r.userName);
    };
}

void TAsyncMsgThread::LogOnOff(int32_t person, int32_t session, bool loggedIn)
{
    // Each notice thread waits for a look-up and the GUI thread; a flood of
    // them waits here instead, and the list folds what comes meanwhile.
    for (;;) {
        ReapNoticeThreads(false);
        {
            std::lock_guard lock(noticeMutex_);
            if (notices_.size() < kMaxNoticeThreads)
                break;
        }
        std::unique_lock lock(wakeMutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(5), [this] { return terminate_.load(); }))
            return;
    }
    auto notice = std::make_unique<TLogOnOffThread>(client_, gui_, ports_, person, session, loggedIn);
    TLogOnOffThread* started = notice.get();
    {
        std::lock_guard lock(noticeMutex_);
        notices_.push_back(std::move(notice));
    }
    started->Start();
}

void TAsyncMsgThread::ReapNoticeThreads(bool all)
{
    std::list<std::unique_ptr<TLogOnOffThread>> done;
    {
        std::lock_guard lock(noticeMutex_);
        for (auto it = notices_.begin(); it != notices_.end();) {
            if (all || (*it)->Finished()) {
                done.push_back(std::move(*it));
                it = notices_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Joined here, outside the lock.
}

void TAsyncMsgThread::JoinNoticeThreads()
{
    ReapNoticeThreads(true);
}

PresenceReport TAsyncMsgThread::LastPresence() const
{
    std::lock_guard lock(presenceMutex_);
    return lastPresence_;
}

void TAsyncMsgThread::Status(const std::string& text)
{
    pending_.steps.push_back([this, text] { ports_.SetStatusText(text); });
}

} // namespace pellar
