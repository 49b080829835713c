#include "Locale.h"

#include "../Trace.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTranslator>

#ifndef KORVA_TRANSLATIONS_DIR
#define KORVA_TRANSLATIONS_DIR "/usr/share/korvad/translations"
#endif

namespace Tarn {

namespace {
Locale* g_default = nullptr;
}

Locale::Locale()
    : Locale(QLocale::system())
{
}

Locale::Locale(const QLocale& locale)
    : m_locale(locale)
{
}

Locale::~Locale()
{
    if (g_default == this) {
        deactivate();
        g_default = nullptr;
    }
    qDeleteAll(m_translators);
}

QStringList Locale::translationDirs()
{
    // Next to the binary first, so a build tree runs without installing.
    QStringList dirs;
    if (QCoreApplication::instance())
        dirs << QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    dirs << QStringLiteral(KORVA_TRANSLATIONS_DIR);
    return dirs;
}

void Locale::installTrCatalog(const QString& catalog)
{
    auto* translator = new QTranslator;
    bool loaded = false;
    for (const QString& dir : translationDirs()) {
        loaded = translator->load(m_locale, catalog, QStringLiteral("_"), dir)
            || translator->load(catalog + QStringLiteral("_en"), dir);
        if (loaded)
            break;
    }
    if (!loaded) {
        qWarning("No translation catalogue \"%s\" for %s: texts show as their identifiers",
            qPrintable(catalog), qPrintable(m_locale.name()));
        delete translator;
        return;
    }
    KTRACE() << catalog << translator->filePath();
    m_catalogs << catalog;
    m_translators << translator;
    if (m_active && QCoreApplication::instance()) {
        QCoreApplication::installTranslator(translator);
        followCatalogueDirection();
    }
}

void Locale::followCatalogueDirection()
{
    // The catalogue says which way its language is written, as Qt's own
    // catalogues do; a language without one stays left-to-right. Qt does not
    // find this id in id-based catalogues by itself.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setLayoutDirection(
            qtTrId("QT_LAYOUT_DIRECTION") == QLatin1String("RTL") ? Qt::RightToLeft : Qt::LeftToRight);
}

void Locale::setDefault(Locale* locale)
{
    if (g_default == locale)
        return;
    if (g_default)
        g_default->deactivate();
    g_default = locale;
    if (g_default)
        g_default->activate();
}

Locale* Locale::defaultLocale()
{
    return g_default;
}

void Locale::activate()
{
    m_active = true;
    QLocale::setDefault(m_locale);
    if (QCoreApplication::instance())
        for (QTranslator* t : m_translators)
            QCoreApplication::installTranslator(t);
    followCatalogueDirection();
}

void Locale::deactivate()
{
    m_active = false;
    if (QCoreApplication::instance())
        for (QTranslator* t : m_translators)
            QCoreApplication::removeTranslator(t);
}

QString Locale::mediumDateTimeFormat() const
{
    // Qt knows short and long forms only; medium is the abbreviated month
    // with a full year, and the time with seconds.
    QString time = m_locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QLatin1String("ss")))
        time.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    return mediumDateFormat() + QLatin1Char(' ') + time;
}

QString Locale::mediumDateFormat() const
{
    // The locale's long date without the weekday and with the abbreviated
    // month: "d MMM yyyy", "d. MMM yyyy", "MMM d, yyyy".
    static const QRegularExpression weekday(QStringLiteral("^dddd[^dMy']*|[^dMy']*dddd"));
    QString format = m_locale.dateFormat(QLocale::LongFormat).remove(weekday);
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    return format.contains(QLatin1String("MMM")) ? format : QStringLiteral("d MMM yyyy");
}

QString Locale::formatDateTime(const QDateTime& dateTime, DateType date, TimeType time) const
{
    if (date == DateMedium && time == TimeMedium)
        return m_locale.toString(dateTime, mediumDateTimeFormat());
    const QLocale::FormatType dateFormat = date >= DateLong ? QLocale::LongFormat : QLocale::ShortFormat;
    const QLocale::FormatType timeFormat = time >= TimeLong ? QLocale::LongFormat : QLocale::ShortFormat;
    QStringList parts;
    if (date == DateMedium)
        parts << m_locale.toString(dateTime.date(), mediumDateFormat());
    else if (date != DateNone)
        parts << m_locale.toString(dateTime.date(), dateFormat);
    if (time != TimeNone)
        parts << m_locale.toString(dateTime.time(), timeFormat);
    return parts.join(QLatin1Char(' '));
}

QString Locale::formatNumber(qlonglong number) const
{
    return m_locale.toString(number);
}

QString Locale::formatNumber(double number, int precision) const
{
    return m_locale.toString(number, 'f', precision);
}

QString Locale::formatNumber(double number) const
{
    return m_locale.toString(number, 'f', QLocale::FloatingPointShortest);
}

QChar Locale::decimalPoint() const
{
    return m_locale.decimalPoint().at(0);
}

} // namespace Tarn

namespace Tarn {

QString Locale::toLatinNumbers(const QString& text)
{
    QString latin;
    latin.reserve(text.size());
    // By code point: some scripts' digits lie outside the 16-bit range.
    for (const char32_t c : text.toUcs4()) {
        const int value = QChar::digitValue(c);
        if (value >= 0 && QChar::category(c) == QChar::Number_DecimalDigit)
            latin.append(QChar(u'0' + value));
        else
            latin.append(QString::fromUcs4(&c, 1));
    }
    return latin;
}

} // namespace Tarn
