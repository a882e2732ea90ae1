#include "gui/shell/HelpWindow.h"

#include "gui/common/ToolBarOverflow.h"

#include <QAction>
#include <QDesktopServices>
#include <QKeySequence>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include <utility>

// Outside any namespace, as the resource initialiser must be. Calling it
// also keeps the linker from dropping the page out of the static library.
static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace pellar {

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    InitHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Pellar help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setAccessibleName(tr("Pellar help"));
    // Links within the page stay here; web addresses go to a browser.
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    browser_->setTextInteractionFlags(browser_->textInteractionFlags() | Qt::TextSelectableByKeyboard);
    setCentralWidget(browser_);

    QToolBar* bar = addToolBar(tr("Navigation"));
    bar->setObjectName(QStringLiteral("HelpToolBar"));
    NameToolBarOverflow(bar);
    bar->setMovable(false);
    QStyle* s = style();
    QAction* back = bar->addAction(s->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), browser_,
                                   &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    QAction* forward = bar->addAction(s->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"),
                                      browser_, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    bar->addAction(s->standardIcon(QStyle::SP_DirHomeIcon), tr("&Contents"), browser_,
                   &QTextBrowser::home);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    browser_->setSource(QUrl(QString::fromLatin1(kIndex)));
    resize(720, 640);
}

void THelpWindow::ShowTopic(const QString& topic)
{
    QUrl url(QString::fromLatin1(kIndex));
    if (!topic.isEmpty())
        url.setFragment(topic);
    browser_->setSource(url);
    if (topic.isEmpty())
        browser_->scrollToAnchor(QString());
    show();
    raise();
    activateWindow();
}

QString THelpWindow::TopicFor(const QWidget* window)
{
    static const std::pair<const char*, const char*> kTopics[] = {
        {"ReadArticleForm", "reading"},    {"WriteTextForm", "writing"},    {"MessagesForm", "messages"},
        {"ActiveUsersForm", "who"},        {"FindTextForm", "search"},      {"ViewMarksForm", "search"},
        {"ConfigForm", "settings"},        {"ConfigListForm", "settings"},
        {"TextRcptEditForm", "writing"},   {"ConferenceAttributesForm", "settings"},
    };
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        for (const auto& [object, topic] : kTopics)
            if (name == QLatin1String(object))
                return QString::fromLatin1(topic);
    }
    return QString();
}

} // namespace pellar
