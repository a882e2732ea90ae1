// "About": product name, version, and a turning figure that animates only
// while the box is on screen.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace pellar {

class TAboutFigure;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // "Version <major>.<minor> (build n) <date>".
    static QString VersionLine();

    bool AnimationRunning() const;
    TAboutFigure* Figure() const { return figure_; }
    QLabel* VersionLabel() const { return versionLabel_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TAboutFigure* figure_;
    QLabel* versionLabel_;
    QTimer* timer_;
};

} // namespace pellar
