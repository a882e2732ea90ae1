#include "gui/common/WrappedLabels.h"

#include <QEvent>
#include <QLabel>
#include <QObject>

namespace pellar {

namespace {

void Fit(QLabel* label)
{
    if (!label->wordWrap() || label->width() <= 0)
        return;
    const int needed = label->heightForWidth(label->width());
    if (needed > 0 && label->minimumHeight() != needed)
        label->setMinimumHeight(needed);
}

class WrappedLabelKeeper : public QObject {
public:
    explicit WrappedLabelKeeper(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            if (auto* label = qobject_cast<QLabel*>(watched))
                Fit(label);
        return false;
    }
};

} // namespace

void KeepWrappedLabelsWhole(QWidget* root)
{
    auto* keeper = new WrappedLabelKeeper(root);
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->wordWrap())
            label->installEventFilter(keeper);
}

void FitWrappedLabels(QWidget* root)
{
    for (QLabel* label : root->findChildren<QLabel*>())
        Fit(label);
}

} // namespace pellar
