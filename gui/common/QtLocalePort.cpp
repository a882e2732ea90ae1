#include "gui/common/QtLocalePort.h"

#include "gui/common/CoreTexts.h"
#include "gui/common/WireCodec.h"

namespace pellar {

QString QtLocalePort::TimeFormatWithoutZone(const QString& format)
{
    // Letters inside single quotes are literal text; "''" is a quote.
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
        } else if (!quoted && c == u't') {
            // The zone field and the blank that separated it from the rest.
            while (i + 1 < format.size() && format[i + 1] == u't')
                ++i;
        } else {
            out += c;
        }
    }
    return out.simplified();
}

QString QtLocalePort::DateFormatForEditing(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (quoted || c != u'y') {
            out += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < format.size() && format[end] == u'y')
            ++end;
        out += QStringLiteral("yyyy");
        i = end;
    }
    return out;
}

QString QtLocalePort::DateTimeText(const QDateTime& when, const QLocale& locale)
{
    return DateTimeText(when.date(), when.time(), locale);
}

QtLocalePort::Formats QtLocalePort::FormatsOf(const QLocale& locale)
{
    return {locale.dateFormat(QLocale::ShortFormat), TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat))};
}

QString QtLocalePort::Joined(QDate date, QTime time, const QLocale& locale, const Formats& formats)
{
    return locale.toString(date, formats.date) + u' ' + locale.toString(time, formats.time);
}

QString QtLocalePort::DateTimeText(QDate date, QTime time, const QLocale& locale)
{
    return Joined(date, time, locale, FormatsOf(locale));
}

std::string QtLocalePort::FormatDateTime(const CalendarTime& t) const
{
    const QDate date(t.year, t.month, t.day);
    const QTime time(t.hour, t.minute, t.second);
    if (!date.isValid() || !time.isValid())
        return PlainLocalePort().FormatDateTime(t);
    // Every article shows a few dates; the system is asked for the formats
    // only when the locale changed.
    const QLocale locale;
    Formats formats;
    {
        std::lock_guard lock(mutex_);
        if (!formats_ || formatsLocale_ != locale) {
            formats_ = FormatsOf(locale);
            formatsLocale_ = locale;
        }
        formats = *formats_;
    }
    return ToWire(Joined(date, time, locale, formats));
}

std::string QtLocalePort::Label(std::string_view english) const
{
    return ToWire(CoreLabel(QString::fromLatin1(english.data(), qsizetype(english.size()))));
}

int QtLocalePort::CompareNames(std::string_view a, std::string_view b) const
{
    const QString x = FromWire(a), y = FromWire(b);
    std::lock_guard lock(mutex_);
    const QLocale locale;
    if (!collator_ || collatorLocale_ != locale) {
        collator_.emplace(locale);
        collator_->setCaseSensitivity(Qt::CaseInsensitive);
        collatorLocale_ = locale;
    }
    return collator_->compare(x, y);
}

} // namespace pellar
