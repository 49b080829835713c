#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

class QTranslator;

namespace Tarn {

// A locale with its translation catalogues. The default locale's catalogues
// are the ones qtTrId() consults; installing another default replaces them.
class Locale
{
public:
    enum DateType { DateNone = 0, DateShort = 1, DateMedium = 2, DateLong = 3, DateFull = 4 };
    enum TimeType { TimeNone = 0, TimeShort = 1, TimeMedium = 2, TimeLong = 3, TimeFull = 4 };

    // The system's locale (LC_ALL / LC_MESSAGES / LANG).
    Locale();
    explicit Locale(const QLocale& locale);
    ~Locale();

    Locale(const Locale&) = delete;
    Locale& operator=(const Locale&) = delete;

    // Loads "<catalog>_<language>.qm", falling back to English. Takes effect at
    // once when this is the default locale, with the layout direction the
    // catalogue gives.
    void installTrCatalog(const QString& catalog);
    QStringList installedCatalogs() const { return m_catalogs; }

    static void setDefault(Locale* locale);
    static Locale* defaultLocale();

    QLocale qlocale() const { return m_locale; }
    QString formatDateTime(const QDateTime& dateTime, DateType date, TimeType time) const;
    QString mediumDateTimeFormat() const;
    QString mediumDateFormat() const;
    QString formatNumber(qlonglong number) const;
    QString formatNumber(double number, int precision) const;
    // As few decimals as the number needs, with the locale's grouping.
    QString formatNumber(double number) const;
    QChar decimalPoint() const;
    // Every decimal digit of any script (Arabic-Indic, Devanagari, ...) as
    // the Latin digit of the same value; everything else unchanged.
    static QString toLatinNumbers(const QString& text);

    // Folders searched for catalogues, in order.
    static QStringList translationDirs();

private:
    void activate();
    void deactivate();
    static void followCatalogueDirection();

    QLocale m_locale;
    QStringList m_catalogs;
    QList<QTranslator*> m_translators;
    bool m_active = false;
};

} // namespace Tarn
