#include <common/Vocabulary.h>
#include <platform/tarn/Locale.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <functional>

// The shipped English catalogues against the identifiers the code uses.
class TestVocabulary : public QObject
{
    Q_OBJECT

private:
    static QStringList catalogueIds(const QString& name)
    {
        QFile ts(qEnvironmentVariable("KORVA_SOURCE_DIR") + QStringLiteral("/translations/") + name);
        if (!ts.open(QIODevice::ReadOnly))
            return {};
        QStringList ids;
        static const QRegularExpression id(QStringLiteral("<message id=\"([^\"]+)\">"));
        for (auto it = id.globalMatch(QString::fromUtf8(ts.readAll())); it.hasNext();)
            ids << it.next().captured(1);
        return ids;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The build tree keeps the compiled catalogues where the daemon looks.
        QVERIFY(QFile::exists(qEnvironmentVariable("KORVA_BUILD_DIR")
            + QStringLiteral("/translations/cellular-adaptation_en.qm")));
    }

    void everyIdentifierIsTranslated()
    {
        // Every identifier the daemon's sources name must be in a catalogue,
        // or the user would see "qtn_..." on screen.
        const QStringList known = catalogueIds(QStringLiteral("cellular-adaptation_en.ts"))
            + catalogueIds(QStringLiteral("offline_en.ts"));
        QDir src(qEnvironmentVariable("KORVA_SOURCE_DIR") + QStringLiteral("/src"));
        static const QRegularExpression used(
            QStringLiteral("\"(qtn_(?:cell|offl)_[a-z0-9_]+|qtn_comm_[a-z0-9_]+)\""));
        int seen = 0;
        const QStringList toolkitOwn { QStringLiteral("qtn_comm_yes"), QStringLiteral("qtn_comm_no") };
        std::function<void(const QDir&)> scan = [&](const QDir& dir) {
            for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
                if (fi.isDir()) {
                    scan(QDir(fi.filePath()));
                    continue;
                }
                QFile f(fi.filePath());
                QVERIFY(f.open(QIODevice::ReadOnly));
                for (auto it = used.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();) {
                    const QString id = it.next().captured(1);
                    ++seen;
                    if (!toolkitOwn.contains(id))
                        QVERIFY2(known.contains(id), qPrintable(fi.fileName() + QStringLiteral(": ") + id));
                }
            }
        };
        scan(src);
        QVERIFY(seen > 40);
    }

    // Texts come through the default locale's catalogues; a language
    // without a catalogue falls back to English.
    void lookupThroughDefaultLocale()
    {
        Tarn::Locale finnish(QLocale(QLocale::Finnish));
        finnish.installTrCatalog(QStringLiteral("cellular-adaptation"));
        QCOMPARE(qtTrId(KorvaText::PinQueryTitle), KorvaText::PinQueryTitle); // not default yet
        Tarn::Locale::setDefault(&finnish);
        QCOMPARE(qtTrId(KorvaText::PinQueryTitle), QStringLiteral("Enter PIN code"));
        // Offline texts come from their own catalogue only.
        QCOMPARE(qtTrId(KorvaText::OfflineQuestionTitle), KorvaText::OfflineQuestionTitle);
        Tarn::Locale::setDefault(nullptr);
    }
};

QTEST_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
