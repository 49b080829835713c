#include <common/Vocabulary.h>
#include <datacounter/DataAmount.h>
#include <platform/tarn/ConfItem.h>
#include <platform/tarn/Locale.h>

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

// What the user reads: the shipped English catalogues against the
// identifiers the code uses, and byte amounts from settings and from
// megabyte texts; and the configuration store without its service (this
// test runs with no session bus at all).
class TestTexts : public QObject
{
    Q_OBJECT

    static constexpr quint64 Max = std::numeric_limits<quint64>::max();

    const QString Root = qEnvironmentVariable("KORVA_SOURCE_DIR");

    static QStringList matches(const QString& path, const QRegularExpression& pattern)
    {
        QFile file(path);
        QStringList found;
        if (file.open(QIODevice::ReadOnly))
            for (auto it = pattern.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();)
                found << it.next().captured(1);
        return found;
    }

    // Identifier to translation, as the catalogue's source file holds them.
    QMap<QString, QString> messages(const QString& catalogue) const
    {
        static const QRegularExpression message(
            u"<message id=\"([^\"]+)\">\\s*<source>[^<]*</source>\\s*<translation([^>]*)>([^<]*)</translation>"_s);
        QFile file(Root + u"/translations/"_s + catalogue + u".ts"_s);
        QMap<QString, QString> found;
        if (file.open(QIODevice::ReadOnly))
            for (auto it = message.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
                const auto m = it.next();
                // An unfinished translation counts as missing.
                found.insert(
                    m.captured(1), m.captured(2).contains(u"unfinished"_s) ? QString() : m.captured(3));
            }
        return found;
    }

private Q_SLOTS:
    void megabytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("point");
        QTest::addColumn<quint64>("bytes");
        const QChar arabic(0x066B);
        QTest::newRow("comma") << "12,5" << QChar('.') << quint64(12500000);
        QTest::newRow("full stop") << "12.5" << QChar(',') << quint64(12500000);
        QTest::newRow("locale's point") << QString(u"12"_s + arabic + u"5"_s) << arabic << quint64(12500000);
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
        QTest::newRow("text too long") << QVariant(u"99999999999999999999999"_s) << Max;
        QTest::newRow("garbage") << QVariant(u"12abc"_s) << quint64(0);
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
        QCOMPARE(DataAmount(1200000).toText(), u"1.2"_s);
        QCOMPARE(DataAmount(1200000).clamped().bytes(), quint64(1200000));
        QCOMPARE(DataAmount(2147483648000000).toText(), u"2147483648.0"_s);
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
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Configuration: "_s));
        QVERIFY(!item.set(value));
        QVERIFY(item.value().isNull());
    }

    // Every identifier the daemon's sources name must be in the English
    // catalogues, or the user would see "qtn_..." on screen.
    void everyIdentifierIsTranslated()
    {
        static const QRegularExpression used(u"\"(qtn_(?:cell|offl|comm|emer)_[a-z0-9_]+)\""_s);
        const QStringList known
            = messages(u"cellular-adaptation_en"_s).keys() + messages(u"offline_en"_s).keys();
        int seen = 0;
        for (QDirIterator it(Root + u"/src"_s, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            for (const QString& id : matches(path, used)) {
                ++seen;
                QVERIFY2(known.contains(id), qPrintable(path + u": "_s + id));
            }
        }
        QVERIFY(seen > 40);
    }

    // Each language has every English identifier, translated, with the same
    // arguments, and lrelease finds nothing unfinished.
    void catalogueComplete_data()
    {
        QTest::addColumn<QString>("catalogue");
        for (const char* name : { "cellular-adaptation", "offline" })
            for (const char* language : { "de", "ar" })
                QTest::newRow(qPrintable(u"%1_%2"_s.arg(QLatin1String(name), QLatin1String(language))))
                    << u"%1_%2"_s.arg(QLatin1String(name), QLatin1String(language));
    }

    void catalogueComplete()
    {
        QFETCH(QString, catalogue);
        static const QRegularExpression argument(u"%\\d"_s);
        const QMap<QString, QString> english = messages(catalogue.section(u'_', 0, 0) + u"_en"_s);
        const QMap<QString, QString> translated = messages(catalogue);
        QVERIFY(english.size() > 1);
        QCOMPARE(translated.keys(), english.keys());
        auto arguments = [](const QString& text) {
            QStringList found;
            for (auto it = argument.globalMatch(text); it.hasNext();)
                found << it.next().captured();
            found.sort();
            return found;
        };
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            const QString text = translated.value(it.key());
            QVERIFY2(!text.trimmed().isEmpty(), qPrintable(it.key()));
            QVERIFY2(arguments(text) == arguments(it.value()), qPrintable(it.key()));
        }

        QProcess lrelease;
        lrelease.start(qEnvironmentVariable("KORVA_LRELEASE"),
            { u"-idbased"_s, Root + u"/translations/"_s + catalogue + u".ts"_s, u"-qm"_s, u"/dev/null"_s });
        QVERIFY(lrelease.waitForFinished());
        const QString report = QString::fromUtf8(lrelease.readAllStandardOutput());
        QVERIFY2(report.contains(u" 0 unfinished"_s), qPrintable(report));
    }

    // A language without a catalogue of its own falls back to English.
    void untranslatedLanguageFallsBackToEnglish()
    {
        Tarn::Locale finnish(QLocale(QLocale::Finnish));
        finnish.installTrCatalog(u"cellular-adaptation"_s);
        Tarn::Locale::setDefault(&finnish);
        QCOMPARE(qtTrId(KorvaText::PinQueryTitle), u"Enter PIN code"_s);
        Tarn::Locale::setDefault(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
