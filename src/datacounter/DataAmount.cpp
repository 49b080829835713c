#include "DataAmount.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

constexpr quint64 Max = std::numeric_limits<quint64>::max();

quint64 saturatingMul(quint64 a, quint64 b)
{
    return (b != 0 && a > Max / b) ? Max : a * b;
}

// A non-negative double as bytes; NaN and infinities give 0, too large saturates.
quint64 fromDouble(double d)
{
    if (!std::isfinite(d) || d <= 0)
        return 0;
    // 2^64 is exact as a double; anything at or above it does not fit.
    if (d >= 18446744073709551616.0)
        return Max;
    return quint64(d);
}

// Digits with an optional sign; negative gives 0, too many digits saturate,
// anything else is garbage and gives 0.
quint64 wholeNumber(const QString& text)
{
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return 0;
    quint64 value = 0;
    bool saturated = false;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        const quint64 digit = quint64(c.unicode() - '0');
        if (value > (Max - digit) / 10)
            saturated = true;
        else
            value = value * 10 + digit;
    }
    if (negative)
        return 0;
    return saturated ? Max : value;
}

} // namespace

DataAmount DataAmount::fromConfValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return DataAmount(value.toLongLong() < 0 ? 0 : quint64(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return DataAmount(value.toULongLong());
    case QMetaType::Double:
        return DataAmount(fromDouble(value.toDouble()));
    case QMetaType::QString:
        return DataAmount(wholeNumber(value.toString().trimmed()));
    default:
        return DataAmount();
    }
}

DataAmount DataAmount::fromMegabytes(const QString& text, QChar decimalPoint)
{
    QString t = text.trimmed();
    const QRegularExpression separator(
        QStringLiteral("[\\.|\\,|%1]").arg(QRegularExpression::escape(QString(decimalPoint))));
    const int at = int(t.indexOf(separator));
    if (at < 0)
        return DataAmount(saturatingMul(wholeNumber(t), BytesPerMegabyte));
    t.replace(at, 1, QLatin1Char('.'));
    bool ok = false;
    const double d = t.toDouble(&ok);
    // A figure too large for a double saturates; anything else not a number is 0.
    if (!ok)
        return DataAmount(std::isinf(d) && d > 0 ? Max : 0);
    const double tenths = d * 10;
    if (std::isnan(tenths) || tenths < 0)
        return DataAmount();
    if (std::isinf(tenths))
        return DataAmount(Max);
    return DataAmount(saturatingMul(fromDouble(std::floor(tenths + 0.5)), BytesPerMegabyte / 10));
}

QString DataAmount::toText() const
{
    return QString::asprintf("%.1f", double(m_bytes / 1000) * 0.001);
}

double DataAmount::megabytes() const
{
    return toText().toDouble();
}

DataAmount DataAmount::clamped() const
{
    if (megabytes() > MaxMegabytes)
        return fromMegabytes(QStringLiteral("2147483647"), QLatin1Char('.'));
    return *this;
}

DataAmount DataAmount::operator+(const DataAmount& other) const
{
    return DataAmount(m_bytes > Max - other.m_bytes ? Max : m_bytes + other.m_bytes);
}
