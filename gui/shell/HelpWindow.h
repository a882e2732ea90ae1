// The help page inside the program: shown from the application's resources
// in a browser window of our own (no web browser needed), its links
// followed in place, and opened at the part that belongs to a window.
#pragma once

#include <QMainWindow>
#include <QString>

class QTextBrowser;
class QWidget;

namespace pellar {

class THelpWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kIndex = "qrc:/help/index.html";

    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the page at the given part ("" for the top) and brings the
    // window to the front.
    void ShowTopic(const QString& topic);
    // The part of the help that describes a window, by the window's object
    // name; "" when the help has no part of its own for it.
    static QString TopicFor(const QWidget* window);

    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace pellar
