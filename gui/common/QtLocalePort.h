// The user's locale for core: dates in the locale's short date and long time
// (without a time-zone name, as every other time in the program is local),
// and names ordered by the locale's collation with letter case ignored.
// Follows QLocale() at each call, so a changed default locale takes effect
// at once. The windows that format times themselves use DateTimeText, so that
// every date on screen reads alike.
#pragma once

#include "core/base/LocalePort.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <mutex>
#include <optional>

namespace pellar {

class QtLocalePort final : public LocalePort {
public:
    // In the wire encoding, like the texts it is shown among.
    std::string FormatDateTime(const CalendarTime& t) const override;
    // a and b in the wire encoding.
    int CompareNames(std::string_view a, std::string_view b) const override;
    // The windows' language for core's fixed labels (see CoreText).
    std::string Label(std::string_view english) const override;

    // The date-time as the user's locale writes it ("c": short date, long time).
    static QString DateTimeText(const QDateTime& when, const QLocale& locale = QLocale());
    // The same for a calendar date and a clock time as they are (no time
    // zone is asked, so an hour a clock change skips stays as written).
    static QString DateTimeText(QDate date, QTime time, const QLocale& locale = QLocale());
    // The locale's long time format without its time-zone fields.
    static QString TimeFormatWithoutZone(const QString& format);
    // The locale's short date format with the year in four digits, for a
    // field the user types a date into (two digits would leave the century
    // to guess).
    static QString DateFormatForEditing(const QLocale& locale = QLocale());

private:
    // The short date and the long time without its zone.
    struct Formats {
        QString date, time;
    };
    static Formats FormatsOf(const QLocale& locale);
    static QString Joined(QDate date, QTime time, const QLocale& locale, const Formats& formats);

    mutable std::mutex mutex_;
    mutable QLocale formatsLocale_{QLocale::c()};
    mutable std::optional<Formats> formats_;
    mutable QLocale collatorLocale_{QLocale::c()};
    mutable std::optional<QCollator> collator_;
};

} // namespace pellar
