#include "gui/common/ArticleRenderer.h"

#include "core/wire/WireTokens.h"
#include "gui/common/WireCodec.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <QTextCursor>
#include <QTextCharFormat>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace pellar {

namespace {

// Below this contrast ratio against the background, text is hard to read
// (the usual bound for large text and controls; body text wants more, but a
// colour the user chose deliberately gets the benefit of the doubt).
constexpr double kMinimumContrast = 3.0;

double Luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool LooksFixedPitch(const QString& family)
{
    const QString f = family.toLower();
    return f.contains(QLatin1String("courier")) || f.contains(QLatin1String("mono")) ||
           f.contains(QLatin1String("fixed")) || f.contains(QLatin1String("consol")) ||
           f.contains(QLatin1String("terminal"));
}

// The face a family name stands for on this system: the family itself when
// it is installed, else the system's fixed or general face.
QFont BaseFont(const QString& family)
{
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) {
        QFont font;
        font.setFamily(family);
        return font;
    }
    return QFontDatabase::systemFont(LooksFixedPitch(family) ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
}

// Asking the font database whether a family exists goes through the system's
// font configuration and cost more than the rest of showing an article, once
// for every run of it: the answers are kept until fonts are installed or
// removed. The few families of the font settings are all it ever holds; a
// bound keeps strings from elsewhere from growing it.
class BaseFonts {
public:
    QFont For(const QString& family)
    {
        // Kept for one application: its platform decides the system faces,
        // and no font may outlive it.
        if (!watching_ && qApp) {
            QObject::connect(qApp, &QGuiApplication::fontDatabaseChanged, qApp, [this] { fonts_.clear(); });
            QObject::connect(qApp, &QObject::destroyed, [this] {
                fonts_.clear();
                watching_ = false;
            });
            watching_ = true;
        }
        if (const auto it = fonts_.constFind(family); it != fonts_.constEnd())
            return *it;
        if (fonts_.size() >= kMaxFamilies)
            fonts_.clear();
        return *fonts_.insert(family, BaseFont(family));
    }

private:
    static constexpr qsizetype kMaxFamilies = 64;
    QHash<QString, QFont> fonts_;
    bool watching_ = false;
};

} // namespace

QFont ArticleRenderer::FontFromString(const std::string& fontString)
{
    static BaseFonts baseFonts;
    const FontDesc desc = ParseFontString(fontString);
    QFont font = baseFonts.For(FromWire(desc.name));
    // Sizes are points; a broken string must not give an unreadable pane.
    font.setPointSize(desc.size >= 4 && desc.size <= 72 ? desc.size : 10);
    font.setBold(desc.bold);
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    font.setStrikeOut(desc.strikeOut);
    return font;
}

QColor ArticleRenderer::ColorOf(const FontDesc& font, const QPalette& palette)
{
    if ((font.color & 0xFF000000u) != 0)
        return palette.color(QPalette::Text);
    return QColor(static_cast<int>(font.color & 0xFF), static_cast<int>((font.color >> 8) & 0xFF),
                  static_cast<int>((font.color >> 16) & 0xFF));
}

QColor ArticleRenderer::ReadableColor(const FontDesc& font, const QPalette& palette)
{
    const QColor own = ColorOf(font, palette);
    if (Contrast(own, palette.color(QPalette::Base)) < kMinimumContrast)
        return palette.color(QPalette::Text);
    return own;
}

QColor ArticleRenderer::ReadableColor(const std::string& fontString, const QPalette& palette)
{
    return ReadableColor(ParseFontString(fontString), palette);
}

void ArticleRenderer::AppendRuns(QTextEdit& pane, const std::vector<StyledRun>& runs)
{
    QTextCursor cursor(pane.document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const StyledRun& run : runs) {
        QTextCharFormat format;
        QFont font = FontFromString(run.font);
        if (run.bold)
            font.setBold(true);
        format.setFont(font);
        format.setForeground(ReadableColor(run.font, pane.palette()));
        QString text = FromWire(run.text);
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        cursor.insertText(text, format);
    }
    cursor.endEditBlock();
}

} // namespace pellar
