#include "gui/writing/WriteTextOpener.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/writing/DraftStore.h"
#include "core/writing/WritingSession.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MainWindow.h"
#include "gui/common/WireCodec.h"
#include "gui/writing/WriteTextForm.h"

#include <QCoreApplication>
#include <QPointer>

namespace pellar {

namespace {

// The name prompt's answer before the window exists; -1 when cancelled.
int32_t AskName(const WriteTextContext& context, const QString& title, int32_t defaultConf, TMVConfTypes types)
{
    QString defaultName;
    if (defaultConf > 0 && context.services && context.services->names)
        if (auto name = context.services->names->NameOf(defaultConf))
            defaultName = FromWire(*name);
    return TGetNameForm::Prompt(context.services, context.mainForm, title, defaultName, types);
}

TWriteTextForm* NewForm(const WriteTextContext& context)
{
    auto* form = new TWriteTextForm(context.session, context.services, context.mainForm,
                                    context.activity);
    if (context.drafts)
        form->KeepDrafts(*context.drafts, context.session.Config().ProfilePath(), context.session.Here());
    return form;
}

void ShowAndStart(const WriteTextContext& context, TWriteTextForm* form)
{
    if (context.mainForm)
        context.mainForm->AddChildWindow(form);
    else
        form->show();
    form->Start();
}

} // namespace

TWriteTextForm* OpenWriteText(const WriteTextContext& context, TextCompositionMode mode, int32_t number,
                              bool isPerson)
{
    if (mode == TextCompositionMode::NewText) {
        number = AskName(context, QCoreApplication::translate("WriteTextOpener", "Write new text"), number,
                         TMVConfType::ctConferences);
        if (number <= 0)
            return nullptr;
    } else if (mode == TextCompositionMode::Letter) {
        number = AskName(context, QCoreApplication::translate("WriteTextOpener", "Write letter"), 0,
                         TMVConfType::ctUsers);
        if (number <= 0)
            return nullptr;
    }
    return OpenChosenWriteText(context, mode, number, isPerson);
}

TWriteTextForm* OpenChosenWriteText(const WriteTextContext& context, TextCompositionMode mode, int32_t number,
                                    bool isPerson)
{
    auto* form = NewForm(context);
    TextComposition& model = form->Model();
    bool opened = true;
    switch (mode) {
    case TextCompositionMode::NewText: model.PrefillNewText(number); break;
    case TextCompositionMode::Letter: model.PrefillLetter(number); break;
    case TextCompositionMode::Comment: opened = model.PrefillComment(number); break;
    case TextCompositionMode::Footnote: opened = model.PrefillFootnote(number); break;
    case TextCompositionMode::PersonalReply: opened = model.PrefillPersonalReply(number); break;
    case TextCompositionMode::Presentation: model.PrefillPresentation(number, isPerson); break;
    case TextCompositionMode::Motd: model.PrefillMotd(number); break;
    }
    if (!opened) {
        delete form;
        return nullptr;
    }
    ShowAndStart(context, form);
    return form;
}

TWriteTextForm* OpenDraftWriteText(const WriteTextContext& context, const Draft& draft)
{
    auto* form = NewForm(context);
    form->RestoreDraft(draft);
    ShowAndStart(context, form);
    return form;
}

} // namespace pellar
