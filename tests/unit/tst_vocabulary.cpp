#include <common/Vocabulary.h>
#include <platform/tarn/Locale.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The shipped English catalogues against the identifiers the code uses.
class TestVocabulary : public QObject
{
    Q_OBJECT

private:
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

private Q_SLOTS:
    // Every identifier the daemon's sources name must be in a catalogue, or
    // the user would see "qtn_..." on screen. Yes and No are the toolkit's.
    void everyIdentifierIsTranslated()
    {
        static const QRegularExpression message(QStringLiteral("<message id=\"([^\"]+)\">"));
        static const QRegularExpression used(QStringLiteral("\"(qtn_(?:cell|offl|comm)_[a-z0-9_]+)\""));
        const QStringList known
            = matches(Root + QStringLiteral("/translations/cellular-adaptation_en.ts"), message)
            + matches(Root + QStringLiteral("/translations/offline_en.ts"), message)
            + QStringList { QStringLiteral("qtn_comm_yes"), QStringLiteral("qtn_comm_no") };
        int seen = 0;
        for (QDirIterator it(Root + QStringLiteral("/src"), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            for (const QString& id : matches(path, used)) {
                ++seen;
                QVERIFY2(known.contains(id), qPrintable(path + QStringLiteral(": ") + id));
            }
        }
        QVERIFY(seen > 40);
    }

    // A language without a catalogue of its own falls back to English.
    void untranslatedLanguageFallsBackToEnglish()
    {
        Tarn::Locale finnish(QLocale(QLocale::Finnish));
        finnish.installTrCatalog(QStringLiteral("cellular-adaptation"));
        Tarn::Locale::setDefault(&finnish);
        QCOMPARE(qtTrId(KorvaText::PinQueryTitle), QStringLiteral("Enter PIN code"));
        Tarn::Locale::setDefault(nullptr);
    }
};

QTEST_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
