// The about box's turning figure: a ring of shaded facets, drawn as filled
// polygons into an off-screen picture and turned one step per tick.
#pragma once

#include <QImage>
#include <QWidget>

namespace pellar {

class TAboutFigure : public QWidget {
    Q_OBJECT

public:
    explicit TAboutFigure(QWidget* parent = nullptr);

    // Turns the figure one step and redraws the off-screen picture.
    void Step();
    int Phase() const { return phase_; }
    const QImage& Picture() const { return picture_; }

    QSize sizeHint() const override { return {150, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Render();

    QImage picture_;
    int phase_ = 0;
};

} // namespace pellar
