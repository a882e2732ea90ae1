#include "gui/common/WireCodec.h"

#include <QList>

#include <atomic>

namespace pellar {

namespace {

std::atomic<WireCharset> g_activeCharset{WireCharset::Latin1};

std::u32string ToUcs4(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

} // namespace

WireCharset ActiveWireCharset()
{
    return g_activeCharset.load(std::memory_order_relaxed);
}

void SetActiveWireCharset(WireCharset charset)
{
    g_activeCharset.store(charset, std::memory_order_relaxed);
}

QString FromWire(std::string_view bytes)
{
    return FromWire(bytes, ActiveWireCharset());
}

QString FromWire(std::string_view bytes, WireCharset charset)
{
    if (charset == WireCharset::Latin1)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::u32string text = DecodeWire(bytes, charset);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToWire(const QString& text)
{
    return ToWire(text, ActiveWireCharset());
}

std::string ToWire(const QString& text, WireCharset charset)
{
    if (charset == WireCharset::Latin1) {
        const QByteArray latin1 = text.toLatin1();
        return std::string(latin1.constData(), static_cast<size_t>(latin1.size()));
    }
    return EncodeWire(ToUcs4(text), charset);
}

QString UnencodableCharacters(const QString& text, WireCharset charset)
{
    std::u32string missing;
    EncodeWire(ToUcs4(text), charset, &missing);
    return QString::fromUcs4(missing.data(), static_cast<qsizetype>(missing.size()));
}

QString UnencodableCharacters(const QString& text)
{
    return UnencodableCharacters(text, ActiveWireCharset());
}

} // namespace pellar
