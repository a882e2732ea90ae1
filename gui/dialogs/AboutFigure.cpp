#include "gui/dialogs/AboutFigure.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace pellar {

namespace {

struct Vec {
    double x, y, z;
};

Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec Normalised(Vec v)
{
    const double length = std::sqrt(Dot(v, v));
    return length > 0 ? Vec{v.x / length, v.y / length, v.z / length} : v;
}

// A ring whose tube narrows and widens around it, so the turn is easy to follow.
constexpr int kAround = 18;
constexpr int kTube = 8;

Vec RingPoint(int i, int j, double angleX, double angleY)
{
    const double u = 2 * std::numbers::pi * i / kAround;
    const double v = 2 * std::numbers::pi * j / kTube;
    const double tube = 0.30 + 0.12 * std::sin(3 * u);
    Vec p{(1 + tube * std::cos(v)) * std::cos(u), (1 + tube * std::cos(v)) * std::sin(u), tube * std::sin(v)};
    const double cy = std::cos(angleY), sy = std::sin(angleY);
    p = {p.x * cy + p.z * sy, p.y, -p.x * sy + p.z * cy};
    const double cx = std::cos(angleX), sx = std::sin(angleX);
    return {p.x, p.y * cx - p.z * sx, p.y * sx + p.z * cx};
}

struct Facet {
    QPolygonF polygon;
    double depth;
    QColor colour;
};

} // namespace

TAboutFigure::TAboutFigure(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
}

void TAboutFigure::Step()
{
    ++phase_;
    Render();
    update();
}

void TAboutFigure::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Render();
}

void TAboutFigure::Render()
{
    if (picture_.size() != size())
        picture_ = QImage(size(), QImage::Format_RGB32);
    picture_.fill(palette().color(QPalette::Window));

    const double angleX = phase_ * 0.011 + 0.6;
    const double angleY = phase_ * 0.017;
    const double scale = std::min(width(), height()) * 0.36;
    const QPointF centre(width() / 2.0, height() / 2.0);
    const Vec light = Normalised({-0.4, -0.6, 1.0});

    std::vector<Facet> facets;
    facets.reserve(kAround * kTube);
    for (int i = 0; i < kAround; ++i) {
        for (int j = 0; j < kTube; ++j) {
            const std::array<Vec, 4> corners = {RingPoint(i, j, angleX, angleY),
                                                RingPoint(i + 1, j, angleX, angleY),
                                                RingPoint(i + 1, j + 1, angleX, angleY),
                                                RingPoint(i, j + 1, angleX, angleY)};
            const Vec normal = Normalised(Cross(Sub(corners[1], corners[0]), Sub(corners[3], corners[0])));
            if (normal.z <= 0)
                continue; // facing away
            Facet facet;
            facet.depth = 0;
            for (const Vec& c : corners) {
                // A mild perspective: nearer points spread out a little.
                const double w = 1.0 + c.z * 0.15;
                facet.polygon << QPointF(centre.x() + c.x * scale * w, centre.y() + c.y * scale * w);
                facet.depth += c.z;
            }
            const double shade = 0.25 + 0.75 * std::max(0.0, Dot(normal, light));
            const int hue = (i * 360 / kAround + phase_ / 2) % 360;
            facet.colour = QColor::fromHsv(hue, 150, static_cast<int>(255 * shade));
            facets.push_back(facet);
        }
    }
    // Painter's order: the farthest facets first.
    std::sort(facets.begin(), facets.end(), [](const Facet& a, const Facet& b) { return a.depth < b.depth; });

    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Facet& facet : facets) {
        painter.setPen(QPen(facet.colour.darker(130), 0.5));
        painter.setBrush(facet.colour);
        painter.drawPolygon(facet.polygon);
    }
}

void TAboutFigure::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

} // namespace pellar
