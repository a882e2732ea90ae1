#include "core/writing/TextComposition.h"

#include <charconv>

#include "core/base/CancellableGuiThread.h"
#include "core/wire/ProtocolContext.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/wire/WireTokens.h"
#include "core/writing/TAddRcptThread.h"
#include "core/writing/WritingServices.h"

namespace pellar {

namespace {

constexpr const char* kNoCurrentArticle = "!No current article available";

// The creator of the first aux item with this tag, if any.
std::optional<int32_t> AuxCreator(const TextStatType& stat, int32_t tag)
{
    for (const auto& aux : stat.AuxItems())
        if (aux.tag == tag)
            return aux.creator;
    return std::nullopt;
}

std::string WithoutLineBreaks(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

} // namespace

TextComposition::TextComposition(WritingServices& services, WritingUi& ui, std::unique_ptr<CancellableGuiThread> gui)
    : services_(services), ui_(ui), gui_(std::move(gui))
{
}

TextComposition::~TextComposition()
{
    StopWorker();
}

void TextComposition::StopWorker()
{
    if (!worker_)
        return;
    worker_->Stop();
    gui_->Cancel();
    worker_->Join();
}

void TextComposition::WaitForWorker()
{
    if (worker_)
        worker_->Join();
}

std::vector<int32_t> TextComposition::PendingRecipients() const
{
    std::lock_guard lock(pendingMutex_);
    return pending_.recipients;
}

// --- Openers ---------------------------------------------------------------

void TextComposition::PrefillNewText(int32_t conf)
{
    services_.ChangeActivity("write");
    pending_.recipients.push_back(conf);
}

void TextComposition::PrefillLetter(int32_t person)
{
    services_.ChangeActivity("write");
    pending_.recipients.push_back(services_.CurrentPerson());
    pending_.recipients.push_back(person);
}

bool TextComposition::PrefillReply(int32_t text, bool footnote, bool personal)
{
    auto stat = text != 0 ? services_.GetTextStat(text) : nullptr;
    if (!stat) {
        services_.PostUserMessage(kNoCurrentArticle);
        return false;
    }
    const int32_t author = stat->Author();
    if (footnote && author != services_.CurrentPerson()) {
        services_.PostUserMessage("!Footnotes to texts can only be added by the author of the original message");
        return false;
    }
    services_.ChangeActivity("writecomment");
    if (personal) {
        pending_.recipients.push_back(author);
        pending_.recipients.push_back(services_.CurrentPerson());
    } else {
        stat->ForEachMiscInfo<TMiscInfoRcpt>([&](const TMiscInfoRcpt& r) { pending_.recipients.push_back(r.confNo); });
    }
    (footnote ? pending_.footnoteTo : pending_.commentTo).push_back(text);
    if (auto body = services_.GetText(text))
        initialSubject_ = body->Subject();
    focusBody_ = true;
    return true;
}

bool TextComposition::PrefillComment(int32_t text)
{
    return PrefillReply(text, false, false);
}

bool TextComposition::PrefillFootnote(int32_t text)
{
    return PrefillReply(text, true, false);
}

bool TextComposition::PrefillPersonalReply(int32_t text)
{
    return PrefillReply(text, false, true);
}

void TextComposition::PrefillPresentation(int32_t confOrPerson, bool isPerson)
{
    const WritingServerInfo info = services_.ServerInfo();
    pending_.presentationFor.push_back(confOrPerson);
    pending_.recipients.push_back(isPerson ? info.personPresentationConf : info.confPresentationConf);
    initialSubject_ = services_.GetName(confOrPerson);
}

void TextComposition::PrefillMotd(int32_t conf)
{
    pending_.motdFor.push_back(conf);
    pending_.recipients.push_back(services_.ServerInfo().motdConf);
    initialSubject_ = services_.GetName(conf);
}

void TextComposition::PrefillDraft(const Draft& draft)
{
    services_.ChangeActivity("write");
    for (const LinkRow& row : draft.links) {
        switch (row.kind) {
        case LinkKind::Recipient: pending_.recipients.push_back(row.number); break;
        case LinkKind::CarbonCopy: pending_.carbonCopies.push_back(row.number); break;
        case LinkKind::CommentTo: pending_.commentTo.push_back(row.number); break;
        case LinkKind::FootnoteTo: pending_.footnoteTo.push_back(row.number); break;
        // Not the presentation's own prefill: that would overwrite the body.
        case LinkKind::PresentationFor: restoredPresentations_.push_back(row.number); break;
        case LinkKind::MotdFor: pending_.motdFor.push_back(row.number); break;
        }
    }
    initialSubject_ = draft.subject;
    body_ = draft.body;
    checks_ = draft.checks;
    focusBody_ = !draft.subject.empty();
    ui_.BodyChanged(body_);
}

Draft TextComposition::ToDraft() const
{
    Draft draft;
    draft.links = links_.Rows();
    for (LinkRow& row : draft.links)
        row.name.clear();
    // Recipients the worker has not checked yet are part of the text too.
    for (int32_t n : PendingRecipients())
        draft.links.push_back(LinkRow{LinkKind::Recipient, n, {}});
    draft.checks = checks_;
    draft.subject = subject_;
    draft.body = body_;
    return draft;
}

// --- Start -----------------------------------------------------------------

std::string TextComposition::PresentationTemplate(std::string_view language, WireCharset charset)
{
    static constexpr std::u32string_view kSwedish[] = {U"Namn", U"Adress", U"Email", U"Hemsida",
                                                       U"Telefonnr", U"Fax", U"\u00d6vrigt"};
    static constexpr std::u32string_view kEnglish[] = {U"Name", U"Address", U"Email", U"Web page",
                                                       U"Phone", U"Fax", U"Other"};
    const bool swedish = language.size() >= 2 && (language[0] == 's' || language[0] == 'S') &&
                         (language[1] == 'v' || language[1] == 'V');
    std::u32string text;
    for (std::u32string_view label : swedish ? kSwedish : kEnglish) {
        if (!text.empty())
            text += U"\r\n";
        text.append(label).append(U": ");
    }
    return EncodeWire(text, charset);
}

void TextComposition::PrefillFromPresentation(int32_t conf)
{
    auto record = services_.GetConference(conf);
    const int32_t presentation = record ? record->Presentation() : 0;
    if (presentation != 0) {
        if (auto text = services_.GetText(presentation)) {
            // Edit the existing presentation, its subject included.
            initialSubject_ = text->Subject();
            body_ = text->Body();
        } else {
            initialSubject_ = record->Name();
            body_ = presentationTemplate_;
        }
    } else {
        body_ = presentationTemplate_;
    }
    ui_.BodyChanged(body_);
}

void TextComposition::AddRow(LinkKind kind, int32_t number)
{
    LinkRow row{kind, number, {}};
    if (kind == LinkKind::CommentTo) {
        if (auto stat = services_.GetTextStat(number))
            row.name = services_.GetName(stat->Author());
    } else if (kind != LinkKind::FootnoteTo) {
        row.name = services_.GetName(number);
    }
    if (links_.Add(std::move(row)))
        ui_.RowsChanged();
}

void TextComposition::Start()
{
    for (int32_t n : std::exchange(pending_.carbonCopies, {}))
        AddRow(LinkKind::CarbonCopy, n);
    auto commentTo = std::exchange(pending_.commentTo, {});
    for (int32_t n : commentTo)
        AddRow(LinkKind::CommentTo, n);
    if (!commentTo.empty())
        isComment_.store(true);
    for (int32_t n : std::exchange(pending_.footnoteTo, {}))
        AddRow(LinkKind::FootnoteTo, n);
    for (int32_t n : std::exchange(pending_.presentationFor, {})) {
        AddRow(LinkKind::PresentationFor, n);
        PrefillFromPresentation(n);
    }
    for (int32_t n : std::exchange(pending_.motdFor, {}))
        AddRow(LinkKind::MotdFor, n);
    for (int32_t n : std::exchange(restoredPresentations_, {}))
        AddRow(LinkKind::PresentationFor, n);
    if (!initialSubject_.empty()) {
        subject_ = WithoutLineBreaks(initialSubject_);
        ui_.SubjectChanged(subject_);
        if (focusBody_)
            ui_.FocusBody();
        focusBody_ = false;
    }
    if (!PendingRecipients().empty()) {
        workerRunning_.store(true);
        worker_ = std::make_unique<TAddRcptThread>(*this, *gui_);
        worker_->Start();
    }
}

// --- Actions ---------------------------------------------------------------

bool TextComposition::ConfirmTrash()
{
    if (!ui_.AskYesNo("Really trash this text?"))
        return false;
    ui_.Close();
    return true;
}

bool TextComposition::AddRecipient(int32_t number, bool carbonCopy)
{
    if (number <= 0)
        return false;
    const size_t before = links_.Rows().size();
    AddRow(carbonCopy ? LinkKind::CarbonCopy : LinkKind::Recipient, number);
    return links_.Rows().size() != before;
}

bool TextComposition::AddCommentTo(const std::string& answer)
{
    int32_t text = 0;
    const auto [end, ec] = std::from_chars(answer.data(), answer.data() + answer.size(), text);
    if (answer.empty() || ec != std::errc() || end != answer.data() + answer.size()) {
        services_.PostUserMessage("!Not a valid text number");
        return false;
    }
    const size_t before = links_.Rows().size();
    AddRow(LinkKind::CommentTo, text);
    return links_.Rows().size() != before;
}

bool TextComposition::DeleteRow(size_t index)
{
    if (index >= links_.Rows().size() || !ui_.AskYesNo("Really delete this entry?"))
        return false;
    links_.Remove(index);
    ui_.RowsChanged();
    return true;
}

bool TextComposition::AnyRealConference()
{
    for (int32_t n : links_.Numbers(LinkKind::Recipient)) {
        auto conf = services_.GetConference(n);
        const std::string type = conf ? conf->Snapshot().type : std::string();
        if (type.size() < 4 || type[3] != '1')
            return true;
    }
    return false;
}

bool TextComposition::CommentChecks()
{
    const auto commented = links_.Numbers(LinkKind::CommentTo);
    auto warn = [&](int32_t tag, const char* what) {
        for (int32_t text : commented) {
            auto stat = services_.GetTextStat(text);
            const auto creator = stat ? AuxCreator(*stat, tag) : std::nullopt;
            if (!creator)
                continue;
            const std::string question = "User [" + std::to_string(*creator) + "] " + services_.GetName(*creator) +
                                         what + "\r\nContinue?";
            if (!ui_.AskYesNo(question))
                return false;
        }
        return true;
    };
    if (!warn(4, " does not want comments to the text"))
        return false;
    if (!commented.empty() && AnyRealConference() && !warn(5, " want only personal comments to the text"))
        return false;
    return true;
}

void TextComposition::FollowUps(int32_t text)
{
    for (int32_t conf : links_.Numbers(LinkKind::PresentationFor)) {
        if (!services_.Request("Set presentation", requests::SetPresentation(conf, text)).ok)
            services_.PostUserMessage("!An error occurred while adding text as presentation to conference.");
    }
    for (int32_t conf : links_.Numbers(LinkKind::MotdFor)) {
        if (!services_.Request("Set MOTD", requests::SetNotice(conf, text)).ok)
            services_.PostUserMessage("!An error occurred while adding text as Message Of The Day.");
    }
}

SubmitResult TextComposition::Submit()
{
    services_.ChangeActivity("add");
    ui_.SetActionsEnabled(false);
    // Whatever happens the actions come back on; on success that happens
    // before the window is told to close, which is the last call made.
    struct Reenable {
        WritingUi* ui;
        ~Reenable()
        {
            if (ui)
                ui->SetActionsEnabled(true);
        }
    } reenable{&ui_};

    SubmitResult result;
    if (!CommentChecks())
        return result;
    const auto misc = SubmissionFormat::MiscInfoList(links_);
    if (!misc) {
        services_.PostUserMessage("!Too many recipients and links: at most " +
                                  std::to_string(SubmissionFormat::kMaxMiscPairs) + " can be sent.");
        return result;
    }
    if (!links_.Has(LinkKind::Recipient) &&
        !ui_.AskYesNo("No recipients! Do you really want to submit this message?"))
        return result;

    const std::string text = SubmissionFormat::BuildText(subject_, body_);
    const bool older = services_.ProtocolVersion() < kNewerProtocolVersion;
    const RequestReply reply = services_.Request(
        "Submit text", older ? requests::CreateTextOld(text, *misc)
                             : requests::CreateText(text, *misc, SubmissionFormat::AuxItemList(checks_)));
    result.text = reply.ok ? SubmissionFormat::NewTextNumber(reply.line) : 0;
    if (result.text == 0) {
        services_.PostUserMessage("!An error occurred. The message was not submitted.");
        result.outcome = SubmitOutcome::Failed;
        return result;
    }
    result.outcome = SubmitOutcome::Submitted;
    FollowUps(result.text);
    reenable.ui = nullptr;
    ui_.SetActionsEnabled(true);
    services_.ChangeActivity("wait");
    ui_.Close();
    return result;
}

} // namespace pellar
