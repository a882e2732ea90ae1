#include "gui/common/GuiServices.h"
#include "gui/common/CoreTexts.h"

#include "gui/common/UserMessageIcon.h"
#include "gui/common/WireCodec.h"

#include <QMessageBox>

namespace pellar {

void PostUserMessage(const GuiServices* services, const std::string& message, QWidget* parent)
{
    if (services && services->postUserMessage) {
        services->postUserMessage(message);
        return;
    }
    if (message.empty())
        return;
    // As the session's own boxes show it (UserMessagePresenter).
    QMessageBox box(UserMessageIcon(message), QStringLiteral("Pellar"), CoreUserMessageText(message),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<int32_t> ChooseName(const GuiServices* services, const std::vector<NameMatch>& matches,
                                  QWidget* parent)
{
    if (services && services->chooseName)
        return services->chooseName(matches, parent);
    return std::nullopt;
}

} // namespace pellar
