// The status bar's busy indicator: while it has a text (e.g. "Working..."),
// coloured stripes drift behind it on every timer tick.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace pellar {

class TBusyPanel : public QWidget {
    Q_OBJECT

public:
    explicit TBusyPanel(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    void SetText(const QString& text);
    // The animation phase: the main window's tick count.
    void SetPhase(qint64 phase);

    // The colour of stripe i at the given phase.
    static QColor StripeColour(int i, qint64 phase);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Render();

    QString text_;
    qint64 phase_ = 0;
    QImage picture_;
};

} // namespace pellar
