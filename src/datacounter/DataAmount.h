#pragma once

#include <QChar>
#include <QString>
#include <QVariant>

// A number of bytes of packet data. One megabyte is 1 000 000 bytes.
// Nothing overflows: sums and conversions saturate at the largest amount,
// and values that are not numbers (NaN, infinities, garbage) read as 0.
class DataAmount
{
public:
    static constexpr quint64 BytesPerMegabyte = 1000000;
    // Largest megabyte figure shown to the user.
    static constexpr double MaxMegabytes = 2147483647.0;

    DataAmount() = default;
    explicit DataAmount(quint64 bytes)
        : m_bytes(bytes)
    {
    }

    // A stored counter: unset or negative gives 0.
    static DataAmount fromConfValue(const QVariant& value);
    // Megabytes as a user or a setting writes them ("12,5", "12.5", "3"), to
    // a tenth of a megabyte. `decimalPoint` is the locale's.
    static DataAmount fromMegabytes(const QString& text, QChar decimalPoint);

    quint64 bytes() const { return m_bytes; }
    bool isZero() const { return m_bytes == 0; }

    // Megabytes with one decimal, "%.1f".
    QString toText() const;
    // The same figure as a number, for the locale's formatting.
    double megabytes() const;
    // No more than MaxMegabytes megabytes.
    DataAmount clamped() const;

    DataAmount operator+(const DataAmount& other) const;
    bool operator==(const DataAmount& other) const { return m_bytes == other.m_bytes; }

private:
    quint64 m_bytes = 0;
};
