#include "gui/reading/ReadingCommands.h"

#include "gui/reading/FindDialog.h"

#include "core/link/MVTransaction.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/reading/ConferenceCommands.h"
#include "core/reading/NextUnread.h"
#include "core/reading/TypedCommands.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/SubjectTreeItemModel.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QTreeView>
#include <QMdiSubWindow>

namespace pellar {

TReadingCommands::TReadingCommands(TReadArticleForm& form) : QObject(&form), form_(form), reader_(form.Reader()) {}

void TReadingCommands::Post(const std::string& message)
{
    reader_.PostUserMessage(message);
}

template <typename Fn>
void TReadingCommands::Work(Fn&& fn)
{
    if (!reader_.BeginWork())
        return;
    fn();
    reader_.EndWork();
}

void TReadingCommands::RunUserCommand(int command)
{
    SessionCommands* session = reader_.Session();
    switch (static_cast<UserCommand>(command)) {
    case UserCommand::ReadComTo: ReadPrevious(); break;
    case UserCommand::WriteCom: WriteComment(false); break;
    case UserCommand::WritePCom: PrivateReply(); break;
    case UserCommand::WriteFoot: WriteComment(true); break;
    case UserCommand::WriteText: WriteNewText(); break;
    case UserCommand::WriteLetter: WriteLetter(); break;
    case UserCommand::JoinConf: JoinConference(); break;
    case UserCommand::ReadText: ReadGlobalTextNr(); break;
    case UserCommand::FindRoot: FindRootText(); break;
    case UserCommand::LeaveConf: LeaveConference(); break;
    case UserCommand::SetUnread: ReadOnlyLastTexts(); break;
    case UserCommand::ChangeConfName:
        if (session)
            session->RenameConference();
        break;
    case UserCommand::SkipComments: SkipOverComments(); break;
    case UserCommand::ReadNext: reader_.ReadNext(); break;
    case UserCommand::ShowActive: emit form_.ShowActiveUsersRequested(); break;
    case UserCommand::CreaPers: emit form_.MainCommandRequested(MainCommand::CreateUser); break;
    case UserCommand::ChngPwd: emit form_.MainCommandRequested(MainCommand::ChangePassword); break;
    case UserCommand::CreaConf: emit form_.MainCommandRequested(MainCommand::CreateConference); break;
    case UserCommand::DelConf: emit form_.MainCommandRequested(MainCommand::DeleteConfOrPerson); break;
    case UserCommand::ViewCs: emit form_.MainCommandRequested(MainCommand::ViewConfStatistics); break;
    case UserCommand::ViewPs: emit form_.MainCommandRequested(MainCommand::ViewUserStatistics); break;
    case UserCommand::AddMember: emit form_.MainCommandRequested(MainCommand::AddMember); break;
    case UserCommand::DelMember: emit form_.MainCommandRequested(MainCommand::RemoveMember); break;
    case UserCommand::ViewPres: ChooseAndViewPresentation(); break;
    case UserCommand::ReadTopConf: ReadTopConference(); break;
    case UserCommand::GotoConf:
        if (session)
            session->GoToConference();
        break;
    }
}

// --- Texts and history -------------------------------------------------------

void TReadingCommands::ReadPrevious()
{
    if (!reader_.ReadCommented())
        Post("!No current article available");
}

void TReadingCommands::ViewPrevText()
{
    reader_.ShowPrevious();
}

void TReadingCommands::ViewNextText()
{
    reader_.ShowNext();
}

void TReadingCommands::ShowHistoryEntry(int entry)
{
    reader_.ShowHistoryEntry(entry);
}

void TReadingCommands::FindRootText()
{
    Work([this] {
        if (!reader_.ReadRoot())
            Post("!No current article available");
    });
}

void TReadingCommands::ReadGlobalTextNr()
{
    Work([this] {
        const auto answer = form_.Prompts().InputBox(ToWire(tr("Read text")), ToWire(tr("Global text nr:")));
        if (!answer)
            return;
        if (const auto number = ParseWholeNumber(*answer))
            reader_.ShowText(*number, true);
        else
            Post("!Not a valid number");
    });
}

void TReadingCommands::SkipOverComments()
{
    Work([this] {
        if (!reader_.SkipComments([this] { form_.RefreshConferenceListLater(); }))
            Post("!No current article available");
    });
}

// --- Writing -------------------------------------------------------------------

void TReadingCommands::WriteNewText()
{
    const std::string preset = reader_.ReadingConferenceName();
    const int32_t conf = form_.Prompts().Choose(ToWire(tr("Write new text")), NameKind::Conferences, preset);
    if (conf == -1)
        return;
    reader_.ChangeActivityKey("write");
    emit form_.WriteRequested({TextCompositionMode::NewText, conf});
}

void TReadingCommands::WriteLetter()
{
    const int32_t person = form_.Prompts().Choose(ToWire(tr("Write letter")), NameKind::Persons, std::string());
    if (person == -1)
        return;
    reader_.ChangeActivityKey("write");
    emit form_.WriteRequested({TextCompositionMode::Letter, person});
}

void TReadingCommands::WriteComment(bool footnote)
{
    if (!CurrentTextForReply())
        return;
    if (const std::string refusal = footnote ? reader_.FootnoteRefusal() : std::string(); !refusal.empty()) {
        Post(refusal);
        return;
    }
    emit form_.WriteRequested({footnote ? TextCompositionMode::Footnote : TextCompositionMode::Comment,
                               reader_.ReadStatus().CurrentText()});
}

void TReadingCommands::PrivateReply()
{
    if (CurrentTextForReply())
        emit form_.WriteRequested({TextCompositionMode::PersonalReply, reader_.ReadStatus().CurrentText()});
}

bool TReadingCommands::CurrentTextForReply()
{
    if (!reader_.HasCurrentArticle()) {
        Post("!No current article available");
        return false;
    }
    reader_.ChangeActivityKey("writecomment");
    return true;
}

// --- Window --------------------------------------------------------------------

void TReadingCommands::ClipboardCopy()
{
    QWidget* focused = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QTextEdit*>(focused)) {
        edit->copy();
    } else if (auto* list = qobject_cast<QTreeView*>(focused)) {
        if (const QModelIndex row = list->currentIndex(); row.isValid()) {
            const QString first = row.siblingAtColumn(0).data().toString();
            const QString text = list->model()->columnCount(row.parent()) > 1
                                     ? first + QLatin1Char(' ') + row.siblingAtColumn(1).data().toString()
                                     : first;
            QApplication::clipboard()->setText(text);
        }
    }
}

void TReadingCommands::SetReformat(bool on)
{
    form_.ArticleView()->SetReformat(on);
    reader_.ChooseReformat(on);
    if (reader_.ReadStatus().CurrentText())
        reader_.DisplayCurrentText();
}

void TReadingCommands::SetPinned(bool on)
{
    // Pinned: a free window of its own; unpinned: back into the frame.
    if (on) {
        auto* frame = qobject_cast<QMdiSubWindow*>(form_.parentWidget());
        if (!frame)
            return;
        pinnedFrom_ = frame;
        frame->setWidget(nullptr);
        form_.setParent(nullptr, Qt::Window);
        frame->hide();
        form_.show();
    } else if (auto* frame = qobject_cast<QMdiSubWindow*>(pinnedFrom_)) {
        frame->setWidget(&form_);
        frame->show();
        form_.show();
        pinnedFrom_ = nullptr;
    }
}

void TReadingCommands::Find()
{
    form_.FindDialog()->Open();
}

// --- Conference list -----------------------------------------------------------

void TReadingCommands::JoinConference()
{
    Work([this] {
        if (SessionCommands* session = reader_.Session())
            session->JoinConferenceCommand();
        form_.RefreshConferenceListLater();
    });
}

void TReadingCommands::LeaveConference()
{
    Work([this] {
        if (SessionCommands* session = reader_.Session())
            session->LeaveConference(reader_.ReadStatus().Conference());
        form_.RefreshConferenceListLater();
    });
}

void TReadingCommands::ReadOnlyLastTexts()
{
    Work([this] {
        const int32_t conf = form_.ConfListView()->SelectedConference();
        reader_.SetUnreadInConference(form_.Prompts(), conf ? conf : -1);
        form_.RefreshConferenceListLater();
    });
}

void TReadingCommands::SetPriority()
{
    const int32_t conf = form_.ConfListView()->SelectedConference();
    if (conf == 0)
        return;
    const auto answer = form_.Prompts().InputBox(ToWire(tr("Change conference priority")), ToWire(tr("New priority?")));
    if (!answer)
        return;
    const auto priority = ParseWholeNumber(*answer);
    if (!priority) {
        Post("!Not a valid number");
        return;
    }
    // Only a priority the server took is shown; a refusal has posted its reason.
    reader_.ChangePriority(conf, *priority, [this, conf, value = *priority] {
        form_.ConfListView()->SetPriority(conf, value);
        form_.ConfListView()->Sort();
    });
}

void TReadingCommands::SendMessage()
{
    if (const auto row = form_.ConfListView()->Row(form_.ConfListView()->SelectedConference()))
        emit form_.SendMessageRequested(FromWire(row->name));
}

void TReadingCommands::ViewRowPresentation()
{
    if (const int32_t conf = form_.ConfListView()->SelectedConference())
        ViewPresentation(conf);
}

void TReadingCommands::Unsubscribe()
{
    const int32_t conf = form_.ConfListView()->SelectedConference();
    if (conf == 0)
        return;
    if (SessionCommands* session = reader_.Session())
        session->LeaveConference(conf);
    form_.RefreshConferenceListLater();
}

void TReadingCommands::ShowAllConferences(bool on)
{
    form_.ConfListView()->SetShowEntireMembership(on);
    form_.RefreshConferenceListLater();
}

void TReadingCommands::ConfRowDoubleClicked()
{
    reader_.ReadNext();
    form_.RefreshConferenceListLater();
    form_.ArticleView()->setFocus();
}

// --- Subject tree ----------------------------------------------------------------

void TReadingCommands::ReadTreeText()
{
    if (const int32_t text = form_.SubjectTreeView()->CurrentText())
        reader_.ShowText(text, true);
    form_.ArticleView()->setFocus();
}

void TReadingCommands::SkipTree()
{
    const QModelIndex node = form_.SubjectTreeView()->currentIndex();
    if (!node.isValid())
        return;
    std::vector<int32_t> roots;
    if (const int32_t text = SubjectTreeItemModel::TextAt(node)) {
        roots.push_back(text);
    } else {
        const QAbstractItemModel* model = node.model();
        for (int i = 0; i < model->rowCount(node); ++i)
            if (const int32_t child = SubjectTreeItemModel::TextAt(model->index(i, 0, node)))
                roots.push_back(child);
    }
    reader_.SkipTrees(std::move(roots), [this] { form_.RefreshConferenceListLater(); });
    form_.ArticleView()->setFocus();
}

// --- Presentations and the rest ----------------------------------------------------

void TReadingCommands::ViewPresentation(int32_t confOrPerson)
{
    reader_.ViewPresentation(form_.Prompts(), confOrPerson);
}

void TReadingCommands::ChooseAndViewPresentation()
{
    const int32_t chosen = form_.Prompts().Choose(ToWire(tr("View presentation")), NameKind::Both, std::string());
    if (chosen != -1)
        ViewPresentation(chosen);
}

void TReadingCommands::ReadTopConference()
{
    if (form_.ConfListView()->RowCount() > 0)
        form_.ConfListView()->SelectRow(0);
    reader_.ReadNext();
}
} // namespace pellar
