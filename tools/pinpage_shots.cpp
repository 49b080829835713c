// Shows the PIN query page in each of its states on the X display and saves
// a screenshot of each: korva-pinpage-shots OUTPUT_DIR
// A developer's fixture for looking at the page; not installed.

#include <common/Vocabulary.h>
#include <platform/emergency/CallHandler.h>
#include <platform/tarn/Locale.h>
#include <ui/KorvadWin.h>
#include <ui/PinCodeQueryUI.h>
#include <ui/PinUiWidget.h>
#include <ui/UiWrapper.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

bool shoot(UiWrapper& ui, const QString& dir, const QString& name)
{
    KorvadWin* w = ui.queryPage()->currentWindow();
    if (!w || !QTest::qWaitForWindowExposed(w))
        return false;
    // Let queued relays and repaints settle before the picture.
    for (int i = 0; i < 5; ++i)
        QTest::qWait(50);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(path))
        return false;
    std::printf("   screenshot: %s\n", qPrintable(path));
    return true;
}

void type(UiWrapper& ui, const QString& digits)
{
    ui.removeText();
    for (const QChar c : digits)
        QTest::keyClick(ui.queryPage()->currentWindow(), c.toLatin1());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QFile qss(QCoreApplication::applicationDirPath() + QStringLiteral("/theme/korva.qss"));
    if (!qss.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no theme at %s\n", qPrintable(qss.fileName()));
        return 1;
    }
    app.setStyleSheet(QString::fromUtf8(qss.readAll()));
    Tarn::Locale locale;
    locale.installTrCatalog(QStringLiteral("cellular-adaptation"));
    Tarn::Locale::setDefault(&locale);

    bool ok = true;
    UiWrapper ui;
    ui.setTitle(qtTrId(KorvaText::PinQueryTitle), false);
    ui.setMaxLen(8);
    ui.maskCode(true);
    ui.appear(true, false);
    type(ui, QStringLiteral("1234"));
    ok &= shoot(ui, out, QStringLiteral("pinpage-pin"));

    ui.resetMode();
    ui.setHintText(qtTrId(KorvaText::PinOneAttemptLeft));
    type(ui, QStringLiteral("12"));
    ok &= shoot(ui, out, QStringLiteral("pinpage-hint"));

    ui.resetMode();
    ui.setTitle(qtTrId(KorvaText::WrongPuk), true);
    ui.setHintText(qtTrId(KorvaText::PukSimLocked));
    type(ui, QString());
    ok &= shoot(ui, out, QStringLiteral("pinpage-puk-error"));

    ui.resetMode();
    ui.setTitle(qtTrId(KorvaText::PinQueryTitle), false);
    ui.setHintText(QString());
    type(ui, QStringLiteral("112"));
    ui.setEmergencyMode(true);
    ok &= shoot(ui, out, QStringLiteral("pinpage-emergency"));

    ui.setEmergencyMode(false);
    ui.removeText();
    ui.setForced(true);
    ui.appear(true);
    type(ui, QStringLiteral("12345"));
    ok &= shoot(ui, out, QStringLiteral("pinpage-forced"));

    ui.hideStatusBar(false);
    Emergency::CallHandler calls;
    QWidget* dialer = calls.startDialerUi(ui.pageItem());
    for (const QChar c : QStringLiteral("911"))
        QTest::keyClick(dialer, c.toLatin1());
    ok &= shoot(ui, out, QStringLiteral("pinpage-dialer"));

    Tarn::Locale::setDefault(nullptr);
    return ok ? 0 : 1;
}
