#include "gui/shell/QtSessionUi.h"
#include "gui/common/CoreTexts.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/dialogs/ChangePasswordForm.h"
#include "gui/dialogs/ConfMemberForm.h"
#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NewUserForm.h"
#include "gui/dialogs/NoPresentationForm.h"
#include "gui/shell/ConnectingForm.h"
#include "gui/common/GuiServices.h"
#include "gui/shell/MainForm.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace pellar {

namespace {

TMVConfTypes TypesOf(NameKind kind)
{
    switch (kind) {
    case NameKind::Persons:
        return TMVConfType::ctUsers;
    case NameKind::Conferences:
        return TMVConfType::ctConferences;
    case NameKind::Both:
        break;
    }
    return TMVConfType::ctUsers | TMVConfType::ctConferences;
}

TLoginForm::Fields LoadLoginFields(TMiravoConfiguration& config, const QString& profile)
{
    // Profile names are settings keys, ISO-8859-1 whatever the profile sends.
    config.SetProfile(TMiravoConfiguration::ProfilePathFor(ToWire(profile, WireCharset::Latin1)));
    const WireCharset charset = config.Charset();
    TLoginForm::Fields fields;
    fields.host = FromWire(config.ReadString(ConfigKeys::Server, kDefaultServerHost), charset);
    fields.port = FromWire(config.ReadString(ConfigKeys::Port, kDefaultServerPort), charset);
    fields.tls = config.ReadFlag(ConfigKeys::UseTls, false);
    fields.tlsPort = FromWire(config.ReadString(ConfigKeys::TlsPort, kDefaultTlsPort), charset);
    fields.user = FromWire(config.ReadString(ConfigKeys::User, ""), charset);
    if (config.ReadFlag(ConfigKeys::SavePwd, false))
        fields.password = FromWire(config.ReadPassword(), charset);
    return fields;
}

// The progress window stays on top of everything; a question asked while it
// shows would sit behind it. It steps aside for the question and comes back.
class ProgressAside {
public:
    explicit ProgressAside(QWidget* progress) : progress_(progress), wasShown_(progress && progress->isVisible())
    {
        if (wasShown_)
            progress_->hide();
    }
    ~ProgressAside()
    {
        if (wasShown_ && progress_)
            progress_->show();
    }
    ProgressAside(const ProgressAside&) = delete;
    ProgressAside& operator=(const ProgressAside&) = delete;

private:
    QPointer<QWidget> progress_;
    bool wasShown_;
};

} // namespace

QtSessionUi::QtSessionUi(TMiravoConfiguration& config, std::shared_ptr<RegistryBackend> backend, std::string loginName,
                         const GuiServices* services, TMainForm* mainForm, QObject* parent)
    : QObject(parent), config_(config), backend_(std::move(backend)), loginName_(std::move(loginName)),
      services_(services), mainForm_(mainForm)
{
}

QtSessionUi::~QtSessionUi()
{
    delete progress_.data();
}

QWidget* QtSessionUi::DialogParent() const
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainForm_.data();
}

std::optional<LoginChoice> QtSessionUi::askLogin()
{
    // The dialog reads the profiles through a configuration of its own, so
    // browsing them does not move the client's current profile.
    TMiravoConfiguration browse(backend_, loginName_);
    browse.SetSecretStore(config_.Secrets());
    TLoginForm form(DialogParent());
    QStringList names;
    for (const std::string& name : browse.ProfileNames())
        names << FromWire(name, WireCharset::Latin1);
    form.SetProfiles(names);
    form.SetProfileLoader([&browse](const QString& profile) { return LoadLoginFields(browse, profile); });
    // The dialog opens on the profile of the last logon, which keeps the
    // server, port and name that worked there.
    const std::string current = config_.ProfilePath();
    const std::string named = std::string(TMiravoConfiguration::kRootPath) + "\\";
    if (current.size() > named.size() && current.compare(0, named.size(), named) == 0)
        form.SetInitialProfile(FromWire(current.substr(named.size()), WireCharset::Latin1));
    LoginChoice choice;
    for (;;) {
        if (form.exec() != QDialog::Accepted)
            return std::nullopt;
        choice.profilePath = TMiravoConfiguration::ProfilePathFor(ToWire(form.SelectedProfile(), WireCharset::Latin1));
        // What is typed goes out in the chosen profile's character set.
        browse.SetProfile(choice.profilePath);
        if (ConfirmSendable(DialogParent(), form.User() + u'\n' + form.Password(), browse.Charset()))
            break;
    }
    SetActiveWireCharset(browse.Charset());
    choice.server = ToWire(form.Host());
    choice.port = ToWire(form.Port());
    choice.user = ToWire(form.User());
    choice.password = ToWire(form.Password());
    choice.tls = form.Tls();
    choice.createAccount = form.CreateAccountChosen();
    choice.profilePath = TMiravoConfiguration::ProfilePathFor(ToWire(form.SelectedProfile(), WireCharset::Latin1));
    return choice;
}

void QtSessionUi::ShowProgressDetail(const QString& text, int percent)
{
    if (progress_ && progress_->isVisible()) {
        progress_->SetStep(text, percent);
        lastStep_ = text;
    }
}

void QtSessionUi::showProgress(std::string_view text, int percent)
{
    if (!progress_) {
        progress_ = new TConnectingForm(mainForm_.data());
        // The logon's waits show in this box, not in boxes of their own.
        if (waits_)
            waits_->SetHost(progress_.data(), progress_.data());
    }
    lastStep_ = CoreText(text);
    progress_->SetStep(lastStep_, percent);
    if (!progress_->isVisible())
        progress_->show();
    // The step text is drawn before the step's work starts.
    QCoreApplication::processEvents();
}

void QtSessionUi::setProgress(int percent)
{
    if (progress_) {
        progress_->SetPercent(percent);
        progress_->repaint();
    }
}

void QtSessionUi::hideProgress()
{
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
}


bool QtSessionUi::askTrustCertificate(std::string_view server, const TlsPeer& peer)
{
    // Not a Yes/No: the safe answer must be the default and the other one
    // must say what it does.
    QMessageBox box(QMessageBox::Warning, tr("Pellar - Untrusted certificate"),
                    tr("The certificate of %1 could not be verified: %2.\n\n"
                                   "Issued to: %3\n"
                                   "SHA-256 fingerprint:\n%4\n\n"
                                   "Compare the fingerprint with the one the server's owner gives you. If they "
                                   "match, you may trust this certificate for this profile: later logons then "
                                   "accept this certificate only, and refuse any other.")
                        .arg(FromWire(server), FromWire(peer.problem), FromWire(peer.subject),
                             QString::fromLatin1(peer.fingerprint.c_str())),
                    QMessageBox::Cancel, DialogParent());
    box.setObjectName(QStringLiteral("TrustCertificateBox"));
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* trust = box.addButton(tr("&Trust this certificate"), QMessageBox::AcceptRole);
    trust->setObjectName(QStringLiteral("TrustButton"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == trust;
}

bool QtSessionUi::askYesNo(std::string_view question)
{
    ProgressAside aside(progress_);
    return QMessageBox::warning(DialogParent(), QStringLiteral("Pellar"), CoreText(question),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int32_t QtSessionUi::chooseMatch(const std::vector<NameMatchRec>& matches)
{
    std::vector<NameMatch> names;
    names.reserve(matches.size());
    for (const NameMatchRec& m : matches)
        names.push_back(NameMatch{m.name, m.type, m.number});
    ProgressAside aside(progress_);
    return ChooseName(services_, names, DialogParent()).value_or(-1);
}

bool QtSessionUi::askNewAccount(NewAccountFields& fields)
{
    ProgressAside aside(progress_);
    TNewUserForm form(DialogParent());
    form.Prepare(FromWire(fields.user));
    form.PwdEdit()->setText(FromWire(fields.password));
    form.ConfirmPwdEdit()->setText(FromWire(fields.confirm));
    if (form.exec() != QDialog::Accepted)
        return false;
    fields.user = ToWire(form.Name());
    fields.password = ToWire(form.PwdEdit()->text());
    fields.confirm = ToWire(form.ConfirmPwdEdit()->text());
    return true;
}

bool QtSessionUi::askNoPresentation()
{
    ProgressAside aside(progress_);
    TNoPresentationForm form(DialogParent());
    connect(&form, &TNoPresentationForm::DontShowAgainChanged, this,
            [this](bool dontShow) { config_.WriteFlag(ConfigKeys::NoPresentationPrompt, dontShow); });
    return form.exec() == QDialog::Accepted;
}

void QtSessionUi::applyWindowSettings()
{
    // The profile for this logon is current now: its text goes through its set.
    SetActiveWireCharset(config_.Charset());
    if (mainForm_) {
        mainForm_->ApplyWindowSettings(
            [this](const std::string& key, const std::string& def) { return config_.ReadString(key, def); });
    }
    emit WindowSettingsDue();
}

void QtSessionUi::setCaption(std::string_view caption)
{
    // Only the frame: a display name would also be appended to every
    // dialog's "Pellar" title by the window system integration.
    if (mainForm_)
        mainForm_->SetCaption(FromWire(caption));
}

void QtSessionUi::openPresentationEditor(int32_t conf)
{
    emit PresentationEditorRequested(conf);
}

void QtSessionUi::showText(int32_t text)
{
    emit ShowTextRequested(text);
}

void QtSessionUi::refreshConferenceList()
{
    emit RefreshConferenceListRequested();
}

void QtSessionUi::dropConference(int32_t conf)
{
    emit DropConferenceRequested(conf);
}

void QtSessionUi::goToConference(int32_t conf)
{
    emit GoToConferenceRequested(conf);
}

void QtSessionUi::setAdministratorMode(bool on)
{
    if (mainForm_)
        mainForm_->SetAdminMode(on);
    emit AdministratorModeChanged(on);
}

int32_t QtSessionUi::chooseName(std::string_view title, NameKind kind, std::string_view defaultName)
{
    return TGetNameForm::Prompt(services_, DialogParent(), CoreText(title), FromWire(defaultName), TypesOf(kind));
}

std::optional<std::string> QtSessionUi::inputBox(std::string_view title, std::string_view prompt,
                                                 std::string_view defaultText)
{
    const std::optional<QString> text =
        PromptSendableText(DialogParent(), CoreText(title), CoreText(prompt), FromWire(defaultText));
    if (!text)
        return std::nullopt;
    return ToWire(*text);
}

bool QtSessionUi::askCreateConference(CreateConfFields& fields)
{
    TCreateConfForm form(DialogParent());
    form.Reset();
    form.NameEdit()->setText(FromWire(fields.name));
    form.OpenCheckBox()->setChecked(fields.open);
    form.CommentsCheckBox()->setChecked(fields.allowComments);
    form.SecretCheckBox()->setChecked(fields.secret);
    form.AnonymousCheckBox()->setChecked(fields.allowAnonymous);
    if (form.exec() != QDialog::Accepted)
        return false;
    fields.name = ToWire(form.Name());
    fields.open = form.OpenForEveryone();
    fields.allowComments = form.AllowComments();
    fields.secret = form.Secret();
    fields.allowAnonymous = form.AllowAnonymous();
    return true;
}

bool QtSessionUi::askChangePassword(ChangePasswordFields& fields)
{
    TChangePasswordForm form(services_, DialogParent());
    form.Prepare(FromWire(fields.user));
    // Shown again after a mismatch or a refusal: with what was typed.
    form.OldPwdEdit()->setText(FromWire(fields.oldPassword));
    form.PwdEdit()->setText(FromWire(fields.password));
    form.ConfirmPwdEdit()->setText(FromWire(fields.confirm));
    if (form.exec() != QDialog::Accepted)
        return false;
    fields.user = ToWire(form.UserEdit()->text());
    fields.oldPassword = ToWire(form.OldPassword());
    fields.password = ToWire(form.NewPassword());
    fields.confirm = ToWire(form.ConfirmPassword());
    return true;
}

std::optional<SessionUi::ConfMember> QtSessionUi::askConfMember(std::string_view title)
{
    TConfMemberForm form(services_, DialogParent());
    form.Prepare(CoreText(title));
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return ConfMember{form.ConferenceNumber(), form.PersonNumber()};
}

} // namespace pellar
