#include "gui/config/InheritedHints.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QLineEdit>

namespace pellar {

namespace {

// The context of this file's texts in the translation.
struct InheritedHints {
    Q_DECLARE_TR_FUNCTIONS(InheritedHints)
};

constexpr const char* kHooked = "pellarInheritHooked";

void Relabel(QCheckBox* box, const QString& caption, bool inheritedOn)
{
    box->setText(box->checkState() == Qt::PartiallyChecked ? InheritedCaption(caption, inheritedOn) : caption);
}

} // namespace

QString InheritedCaption(const QString& caption, bool inheritedOn)
{
    return InheritedHints::tr("%1 (as in the main profile: %2)")
        .arg(caption, inheritedOn ? InheritedHints::tr("on") : InheritedHints::tr("off"));
}

void ShowInheritedFlag(QCheckBox* box, const QString& caption, bool named, bool inheritedOn)
{
    box->setProperty("pellarCaption", caption);
    box->setProperty("pellarInheritedOn", named && inheritedOn);
    box->setProperty("pellarNamed", named);
    box->setToolTip(named ? InheritedHints::tr("Grey: follows the main profile (now %1). Click for on or off in this "
                                           "profile only.")
                                .arg(inheritedOn ? InheritedHints::tr("on") : InheritedHints::tr("off"))
                          : QString());
    if (!box->property(kHooked).toBool()) {
        box->setProperty(kHooked, true);
        QObject::connect(box, &QCheckBox::stateChanged, box, [box] {
            if (box->property("pellarNamed").toBool())
                Relabel(box, box->property("pellarCaption").toString(), box->property("pellarInheritedOn").toBool());
        });
    }
    if (named)
        Relabel(box, caption, inheritedOn);
    else
        box->setText(caption);
}

void ShowInheritedText(QLineEdit* edit, bool named, const QString& inherited)
{
    edit->setPlaceholderText(named ? inherited : QString());
    edit->setToolTip(named ? InheritedHints::tr("Empty: as in the main profile (%1)").arg(inherited) : QString());
}

} // namespace pellar
