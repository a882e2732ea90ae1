// The writing window's model: the link list, the six pending lists an opener
// fills, the start routine, the comment checks and the submission. The Qt
// window shows it and forwards the user's actions; everything that decides
// lives here and talks to the user through WritingUi.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/wire/WireCharset.h"
#include "core/writing/DraftStore.h"
#include "core/writing/LinkList.h"
#include "core/writing/SubmissionFormat.h"

namespace pellar {

class CancellableGuiThread;
class TAddRcptThread;
class WritingServices;

// The window, as the model sees it. Called on the GUI thread only.
class WritingUi {
public:
    virtual ~WritingUi() = default;
    // A warning or confirmation with Yes and No.
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void RowsChanged() = 0;
    virtual void SubjectChanged(const std::string& subject) = 0;
    virtual void BodyChanged(const std::string& body) = 0;
    virtual void FocusBody() = 0;
    // Submit, Add recipient, Add CC recipient and Add as comment.
    virtual void SetActionsEnabled(bool enabled) = 0;
    // The note-on-door dialog for a conference's message of the day.
    virtual void ShowNoteOnDoor(int32_t text) = 0;
    // The recipients worker's checks said no: the window should come back
    // to ConfirmTrash() from its own event loop.
    virtual void PostTrashQuestion() = 0;
    // Closes the window once control is back in its event loop (the model
    // may still be running when this is called); the window cancels the
    // worker's hand-over and waits for it before it frees the model.
    virtual void Close() = 0;
};

enum class SubmitOutcome { Declined, Failed, Submitted };

struct SubmitResult {
    SubmitOutcome outcome = SubmitOutcome::Declined;
    int32_t text = 0;  // the new text's number when submitted
};

class TextComposition {
public:
    // The body a new presentation starts with, in the user's language
    // ("sv..." Swedish, anything else English) and the profile's
    // character set: seven "Label: " lines joined by CR LF.
    static std::string PresentationTemplate(std::string_view language, WireCharset charset);
    // The language and character set of the template this composition uses
    // (English in ISO-8859-1 until set).
    void SetPresentationLanguage(std::string_view language, WireCharset charset)
    {
        presentationTemplate_ = PresentationTemplate(language, charset);
    }

    // gui: the recipients worker's hand-over, cancelled by StopWorker.
    TextComposition(WritingServices& services, WritingUi& ui, std::unique_ptr<CancellableGuiThread> gui);
    // Stops and waits for the recipients worker.
    ~TextComposition();
    TextComposition(const TextComposition&) = delete;
    TextComposition& operator=(const TextComposition&) = delete;

    // --- Openers: fill the pending lists and fields; false: nothing opens.
    void PrefillNewText(int32_t conf);
    void PrefillLetter(int32_t person);
    bool PrefillComment(int32_t text);
    bool PrefillFootnote(int32_t text);
    bool PrefillPersonalReply(int32_t text);
    void PrefillPresentation(int32_t confOrPerson, bool isPerson);
    void PrefillMotd(int32_t conf);
    // A kept draft: its links go to the pending lists (recipients through
    // the worker's checks, as typed ones), its subject, body and checks back
    // into the fields.
    void PrefillDraft(const Draft& draft);
    // What a draft of this window holds now (id and profile left empty).
    Draft ToDraft() const;

    // After the window is shown: rows from the pending lists, the subject,
    // and the recipients worker when there are recipients to add.
    void Start();

    // --- The window's actions.
    SubmitResult Submit();
    // "Really trash this text?"; closes on Yes.
    bool ConfirmTrash();
    // Add recipient / Add CC recipient with the number the name prompt chose.
    bool AddRecipient(int32_t number, bool carbonCopy);
    // Add as comment to...: the input box's answer.
    bool AddCommentTo(const std::string& answer);
    // Delete in the link list: "Really delete this entry?".
    bool DeleteRow(size_t index);
    // True: go on submitting (every warning was answered Yes).
    bool CommentChecks();

    // --- State.
    const LinkList& Links() const { return links_; }
    const std::string& Subject() const { return subject_; }
    const std::string& Body() const { return body_; }
    void SetSubject(std::string subject) { subject_ = std::move(subject); }
    void SetBody(std::string body) { body_ = std::move(body); }
    AuxChecks& Checks() { return checks_; }
    bool IsComment() const { return isComment_; }
    bool WorkerRunning() const { return workerRunning_.load(); }
    // Waits until the worker has added every recipient.
    void WaitForWorker();
    // Releases a worker that waits for the GUI thread, dropping what it would
    // still add, and waits for it to end. From the GUI thread; also done by
    // the destructor.
    void StopWorker();

    // Pending lists, as openers leave them before Start().
    struct Pending {
        std::vector<int32_t> recipients, carbonCopies, commentTo, footnoteTo, presentationFor, motdFor;
    };
    const Pending& PendingLists() const { return pending_; }
    std::vector<int32_t> PendingRecipients() const;
    const std::string& InitialSubject() const { return initialSubject_; }
    bool FocusBodyFlag() const { return focusBody_; }

private:
    std::string presentationTemplate_ = PresentationTemplate("en", WireCharset::Latin1);
    friend class TAddRcptThread;

    // For the worker, on the GUI thread.
    void AddRow(LinkKind kind, int32_t number);
    void PrefillFromPresentation(int32_t conf);
    bool PrefillReply(int32_t text, bool footnote, bool personal);
    bool AnyRealConference();
    void FollowUps(int32_t text);

    WritingServices& services_;
    WritingUi& ui_;
    std::unique_ptr<CancellableGuiThread> gui_;

    LinkList links_;
    Pending pending_;
    mutable std::mutex pendingMutex_;  // pending_.recipients, shared with the worker
    std::vector<int32_t> restoredPresentations_;
    std::string initialSubject_;
    std::string subject_;
    std::string body_;
    AuxChecks checks_;
    bool focusBody_ = false;
    std::atomic<bool> isComment_{false};
    std::atomic<bool> workerRunning_{false};
    std::unique_ptr<TAddRcptThread> worker_;
};

} // namespace pellar
