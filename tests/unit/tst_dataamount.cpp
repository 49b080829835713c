#include <datacounter/DataAmount.h>
#include <platform/tarn/ConfItem.h>

#include <QTest>

#include <limits>

// Byte amounts from settings and from megabyte texts, and the configuration
// store without its service (this test runs with no session bus at all).
class TestDataAmount : public QObject
{
    Q_OBJECT

    static constexpr quint64 Max = std::numeric_limits<quint64>::max();

private Q_SLOTS:
    void megabytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("point");
        QTest::addColumn<quint64>("bytes");
        const QChar arabic(0x066B);
        QTest::newRow("comma") << "12,5" << QChar('.') << quint64(12500000);
        QTest::newRow("full stop") << "12.5" << QChar(',') << quint64(12500000);
        QTest::newRow("locale's point")
            << QString(QStringLiteral("12") + arabic + QStringLiteral("5")) << arabic << quint64(12500000);
        QTest::newRow("whole") << " 3 " << QChar('.') << quint64(3000000);
        QTest::newRow("minus one") << "-1" << QChar('.') << quint64(0);
        QTest::newRow("rounds to a tenth") << "12.26" << QChar('.') << quint64(12300000);
        QTest::newRow("second separator") << "1.2.3" << QChar('.') << quint64(0);
        QTest::newRow("too many digits") << "99999999999999999999999" << QChar('.') << Max;
        QTest::newRow("beyond a double") << "1.5e400" << QChar('.') << Max;
        QTest::newRow("regex character as point") << "7]5" << QChar(']') << quint64(7500000);
    }

    void megabytes()
    {
        QFETCH(QString, text);
        QFETCH(QChar, point);
        QFETCH(quint64, bytes);
        QCOMPARE(DataAmount::fromMegabytes(text, point).bytes(), bytes);
    }

    void confValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<quint64>("bytes");
        QTest::newRow("unset") << QVariant() << quint64(0);
        QTest::newRow("int64") << QVariant(qlonglong(700000)) << quint64(700000);
        QTest::newRow("negative") << QVariant(qlonglong(-1)) << quint64(0);
        QTest::newRow("uint64 max") << QVariant(Max) << Max;
        QTest::newRow("double beyond 64 bits") << QVariant(1e30) << Max;
        QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << quint64(0);
        QTest::newRow("text too long") << QVariant(QStringLiteral("99999999999999999999999")) << Max;
        QTest::newRow("garbage") << QVariant(QStringLiteral("12abc")) << quint64(0);
    }

    void confValue()
    {
        QFETCH(QVariant, value);
        QFETCH(quint64, bytes);
        QCOMPARE(DataAmount::fromConfValue(value).bytes(), bytes);
    }

    // One decimal in texts, clamped to what the settings can hold, sums saturate.
    void textClampAndSum()
    {
        QCOMPARE(DataAmount(1200000).toText(), QStringLiteral("1.2"));
        QCOMPARE(DataAmount(1200000).clamped().bytes(), quint64(1200000));
        QCOMPARE(DataAmount(2147483648000000).toText(), QStringLiteral("2147483648.0"));
        QCOMPARE(DataAmount(2147483648000000).clamped().bytes(), quint64(2147483647000000));
        QCOMPARE((DataAmount(Max - 1) + DataAmount(5)).bytes(), Max);
        QCOMPARE((DataAmount(700000) + DataAmount(500000)).bytes(), quint64(1200000));
    }

    // No service and no database: nothing to read, every write refused at once.
    void confWithoutService_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("no service") << "/korva/test/key" << QVariant(1);
        QTest::newRow("dir path") << "/korva/test/" << QVariant(1);
        QTest::newRow("no stored type") << "/korva/test/key" << QVariant(QSize(1, 1));
    }

    void confWithoutService()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        Tarn::ConfItem item(key);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Configuration: ")));
        QVERIFY(!item.set(value));
        QVERIFY(item.value().isNull());
    }
};

QTEST_GUILESS_MAIN(TestDataAmount)
#include "tst_dataamount.moc"
