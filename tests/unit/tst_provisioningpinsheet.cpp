#include <platform/tarn/TextEdit.h>
#include <provisioning/ProvisioningPinSheet.h>

#include <QSignalSpy>
#include <QTest>

// What the screen cannot show: the settings PIN does not outlive its sheet.
class TestProvisioningPinSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldIsWipedWithTheSheet()
    {
        auto* sheet = new ProvisioningPinSheet;
        auto* field = sheet->findChild<Tarn::TextEdit*>(QStringLiteral("provisioningPin"));
        QVERIFY(field);
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, QStringLiteral("8642"));
        QCOMPARE(sheet->pinCode(), QStringLiteral("8642"));

        QSignalSpy changed(field, &QLineEdit::textChanged);
        delete sheet;
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toString(), QString());
    }
};

QTEST_MAIN(TestProvisioningPinSheet)
#include "tst_provisioningpinsheet.moc"
