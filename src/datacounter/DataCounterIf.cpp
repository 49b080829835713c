#include "DataCounterIf.h"

#include "DataAmount.h"

#include <common/Vocabulary.h>

#include <platform/DBusShape.h>
#include <platform/Trace.h>
#include <platform/cellular/SIMIdentity.h>
#include <platform/tarn/Application.h>
#include <platform/tarn/ConfItem.h>
#include <platform/tarn/Dialog.h>
#include <platform/tarn/Locale.h>
#include <platform/tarn/StylableWidget.h>

#include <QCoreApplication>
#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDate>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString TransferPrefix = QStringLiteral("/korva/settings/datacounter/transfer/");
const QString GeneralPrefix = QStringLiteral("/korva/settings/datacounter/general/");
const QString RoamingPermissionKey
    = QStringLiteral("/system/olmo/connectivity/network_type/GPRS/gprs_roaming_permission");
const QString AutoconnectKey = QStringLiteral("/system/olmo/connectivity/IAP/%1/autoconnect");
const QString HomeWarning = QStringLiteral("home_notification");
const QString RoamingWarning = QStringLiteral("roaming_notification");
// The request of a roaming question's dialog.
const QString RoamingQuestion = QStringLiteral("roaming");
const char* const CountersNever = "qtn_cell_counters_never";
constexpr uint DisconnectFlags = 0x8000;
// The connectivity daemon's state of a connection that is down.
constexpr uint NexoStateDisconnected = 0;

// Asks nothing when created: a hung daemon costs one bounded call, not an
// extra introspection at D-Bus's default timeout.
class NexoProxy : public QDBusAbstractInterface
{
public:
    explicit NexoProxy(QObject* parent)
        : QDBusAbstractInterface(QLatin1String(DataCounterIf::NexoService),
            QLatin1String(DataCounterIf::NexoPath), DataCounterIf::NexoInterface,
            QDBusConnection::systemBus(), parent)
    {
        setTimeout(DataCounterIf::NexoTimeoutMs);
    }
};

QVariant confValue(const QString& key, QObject* owner)
{
    // A fresh item per access: the store is the only state.
    auto* item = new Tarn::ConfItem(key, owner);
    const QVariant value = item->value();
    delete item;
    return value;
}

void setConf(const QString& key, const QVariant& value, QObject* owner)
{
    auto* item = new Tarn::ConfItem(key, owner);
    item->set(value);
    delete item;
}

const Tarn::Locale& locale()
{
    static Tarn::Locale system;
    const Tarn::Locale* current = Tarn::Locale::defaultLocale();
    return current ? *current : system;
}

QLabel* queryLabel(const QString& text, const QString& styleName)
{
    auto* label = new QLabel(text);
    Tarn::StylableWidget::setStyleName(label, styleName);
    label->setObjectName(styleName);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// Log lines carry what a peer sent, cut to a readable size.
QString shortened(const QString& text)
{
    return text.size() > 200 ? text.left(200) + QStringLiteral("...") : text;
}

} // namespace

DataCounterIf::DataCounterIf(QObject* parent, FeedbackPlayer playFeedback)
    : QDBusAbstractAdaptor(parent)
    , m_playFeedback(std::move(playFeedback))
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.registerObject(QLatin1String(Path), parent, QDBusConnection::ExportAdaptors)) {
        if (!bus.registerService(QLatin1String(Service)))
            qWarning() << "failed to register systemBus service" << Service << bus.lastError().message();
    } else {
        qWarning() << "failed to register systemBus object" << Path;
    }
    connect(qApp, &QCoreApplication::aboutToQuit, this, &DataCounterIf::closeAtExit);
}

void DataCounterIf::show_roaming_dlg()
{
    KTRACE();
    // Queued: the bus call is answered before the dialog runs.
    QMetaObject::invokeMethod(this, &DataCounterIf::confirmRoaming, Qt::QueuedConnection);
}

void DataCounterIf::show_error_note(const QString& errorMessage)
{
    KTRACE() << shortened(errorMessage);
    if (errorMessage == HomeWarning || errorMessage == RoamingWarning)
        QMetaObject::invokeMethod(
            this, [this, errorMessage] { confirmContinue(errorMessage); }, Qt::QueuedConnection);
    else
        qWarning().noquote() << "Unexpected error received:"
                             << QLatin1Char('"') + shortened(errorMessage) + QLatin1Char('"');
}

QString DataCounterIf::megabytesText(const DataAmount& amount) const
{
    // Always one decimal, "12.0" as well as "12.5", in the locale's digits.
    return locale().formatNumber(amount.megabytes(), 1);
}

void DataCounterIf::confirmRoaming()
{
    KTRACE();
    QString info;
    const DataAmount step = DataAmount::fromConfValue(
        confValue(GeneralPrefix + QStringLiteral("gprs_roaming_notification_period"), this))
                                .clamped();
    if (!step.isZero())
        info = qtTrId("qtn_cell_roaming_dialog_warning_info").arg(megabytesText(step));
    const QString question = qtTrId("qtn_cell_roaming_dialog_question");
    if (!m_dialog)
        ask(RoamingQuestion, question, info);
    else
        updateDialog(question, info);
}

void DataCounterIf::confirmContinue(const QString& type)
{
    KTRACE() << type;
    QString details;
    if (type == HomeWarning || type == RoamingWarning) {
        const bool home = type == HomeWarning;
        const QString kind = home ? QStringLiteral("home") : QStringLiteral("roaming");
        const QVariant reset
            = confValue(GeneralPrefix + QStringLiteral("gprs_%1_last_reset").arg(kind), this);
        const DataAmount tx = DataAmount::fromConfValue(
            confValue(TransferPrefix + QStringLiteral("gprs_%1_tx_bytes").arg(kind), this));
        const DataAmount rx = DataAmount::fromConfValue(
            confValue(TransferPrefix + QStringLiteral("gprs_%1_rx_bytes").arg(kind), this));
        const QString total = megabytesText((tx + rx).clamped());
        const QString date = localDateString(reset.toString());
        if (date.isEmpty())
            details = qtTrId(home ? "qtn_cell_warning_dialog_info_home_n" : "qtn_cell_warning_dialog_info_n")
                          .arg(total);
        else
            details = qtTrId(home ? "qtn_cell_warning_dialog_info_home" : "qtn_cell_warning_dialog_info")
                          .arg(total, date);
    }
    qDebug() << "details.length()" << details.size();
    if (m_playFeedback)
        m_playFeedback(KorvaFeedback::WarningStrong);

    const QString question = qtTrId("qtn_cell_warning_dialog_question");
    if (m_dialog)
        updateDialog(question, details);
    else
        ask(type, question, details);
}

bool DataCounterIf::shuttingDown()
{
    // The dialog was closed by the process ending: nobody answered, so
    // nothing is disconnected and no setting changes.
    auto* app = Tarn::Application::instance();
    if (!app || !app->isShuttingDown())
        return false;
    qWarning("data counter: dialog closed by shutdown; no answer taken");
    return true;
}

void DataCounterIf::ask(const QString& request, const QString& title, const QString& text)
{
    m_request = request;
    showDialog(title, text);
}

void DataCounterIf::showDialog(const QString& title, const QString& text)
{
    qDebug() << "Create dialog";
    KTRACE() << title << text;
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_titleLabel = queryLabel(title, QStringLiteral("CommonQueryTitle"));
    m_textLabel = queryLabel(text, QStringLiteral("CommonQueryText"));
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_textLabel);
    layout->addWidget(queryLabel(QString(), QStringLiteral("CommonSmallSpacer")));

    auto* dialog = new Tarn::Dialog(QString(), Tarn::Dialog::Yes | Tarn::Dialog::No);
    dialog->setObjectName(QStringLiteral("dataCounterDialog"));
    dialog->setCentralWidget(central);
    dialog->setSystemModal(true);
    // No title bar is shown; the window's name still tells the question.
    dialog->setWindowTitle(title);
    m_dialog = dialog;
    connect(dialog, &QDialog::finished, this, &DataCounterIf::answered);

    qDebug() << "waiting for the answer...";
    dialog->appear();
}

void DataCounterIf::answered(int result)
{
    auto* dialog = qobject_cast<Tarn::Dialog*>(sender());
    if (!dialog || dialog != m_dialog)
        return;
    const bool yes = result == Tarn::Dialog::Yes;
    qDebug() << "...confirmed:" << (yes ? "true" : "false");
    m_dialog = nullptr;
    dialog->deleteLater();
    qDebug() << "Delete later";
    const QString request = std::exchange(m_request, QString());
    if (shuttingDown())
        return;
    if (request == RoamingQuestion) {
        Q_EMIT roaming(yes);
        return;
    }
    if (yes)
        return;
    if (request == HomeWarning)
        m_pendingActions |= NoHomeAutoconnect;
    else if (request == RoamingWarning)
        m_pendingActions |= ForbidRoaming;
    getConnectionStatus();
}

void DataCounterIf::closeAtExit()
{
    if (!m_dialog)
        return;
    // Deleted, not closed: no finished(), so no answer is taken.
    qWarning("data counter: dialog closed by shutdown; no answer taken");
    delete m_dialog.data();
}

void DataCounterIf::updateDialog(const QString& title, const QString& text)
{
    if (!m_dialog)
        return;
    qDebug() << "Update existing dialog";
    KTRACE() << title << text;
    if (m_titleLabel && m_titleLabel->text() != title) {
        m_titleLabel->setText(title);
        m_dialog->setWindowTitle(title);
    }
    if (m_textLabel && m_textLabel->text() != text)
        m_textLabel->setText(text);
    m_dialog->placeOnScreen();
}

void DataCounterIf::getConnectionStatus()
{
    KTRACE() << m_pendingActions;
    if (!m_nexo) {
        m_nexo = new NexoProxy(this);
        qDebug() << "nexo valid:" << m_nexo->isValid() << m_nexo->lastError().name();
    }
    int count = -1;
    bool connected = false;
    if (m_nexo->isValid()) {
        connected = QDBusConnection::systemBus().connect(QLatin1String(NexoService), QLatin1String(NexoPath),
            QLatin1String(NexoInterface), QStringLiteral("state_sig"), QStringLiteral("sussuaysu"), this,
            SLOT(handleConnectionStatus(QString, uint, QString, QString, uint, QByteArray, QString, uint)));
    }
    if (connected) {
        const QDBusMessage reply = m_nexo->call(QStringLiteral("state_req"));
        if (reply.type() == QDBusMessage::ErrorMessage)
            qDebug().noquote() << "error reply:" << reply.errorName();
        else if (reply.type() != QDBusMessage::ReplyMessage || reply.signature().isEmpty())
            qDebug() << "reply type:" << reply.type();
        else if (DBusShape::expectShape(reply, QLatin1String("u"), "connectivity daemon state_req"))
            count = int(qMin(reply.arguments().constFirst().toUInt(), uint(INT_MAX)));
    }
    qDebug() << "connected:" << connected << "nums:" << count;
    if (count < 1) {
        // Nothing to wait for: the pending actions stay for the next warning.
        disconnectNexo();
    }
}

void DataCounterIf::disconnectNexo()
{
    KTRACE();
    QDBusConnection::systemBus().disconnect(QLatin1String(NexoService), QLatin1String(NexoPath),
        QLatin1String(NexoInterface), QStringLiteral("state_sig"), QStringLiteral("sussuaysu"), this,
        SLOT(handleConnectionStatus(QString, uint, QString, QString, uint, QByteArray, QString, uint)));
    delete m_nexo;
    m_nexo = nullptr;
}

void DataCounterIf::handleConnectionStatus(const QString& st, uint sa, const QString& si, const QString& nt,
    uint na, const QByteArray& ni, const QString& error, uint status)
{
    KTRACE() << st << sa << si << nt << na << ni.size() << error << status;
    if (status == NexoStateDisconnected) {
        qDebug() << "NEXO_STATE_DISCONNECTED";
        if (m_pendingActions & NoHomeAutoconnect) {
            qDebug() << "disable autoconnect (home)";
            disableAutoConnect();
        }
        if (m_pendingActions & ForbidRoaming) {
            qDebug() << "disable roaming";
            setConf(RoamingPermissionKey, 0, this);
        }
        m_pendingActions = 0;
    }
    if (!m_nexo) {
        qDebug() << "NEXO IF IS NULL!!!";
        return;
    }
    // Every connection reported while listening is asked to go down; the
    // proxy stays until one of them reports that it is. The calls go out in
    // the order of the reports without waiting: a daemon that never answers
    // must not hold the screen for a timeout per connection.
    if (m_pendingDisconnects >= MaxPendingDisconnects) {
        if (m_pendingDisconnects++ == MaxPendingDisconnects)
            qWarning("connectivity daemon: %d disconnections unanswered; further reports not acted on",
                MaxPendingDisconnects);
    } else {
        ++m_pendingDisconnects;
        auto* watcher = new QDBusPendingCallWatcher(
            m_nexo->asyncCall(QStringLiteral("disconnect_req"), DisconnectFlags, st, sa, si, nt, na, ni),
            this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* w) { disconnectAnswered(w); });
    }
    // A connection that reports itself down ends the listening, after its
    // own disconnect like every other report.
    if (status == NexoStateDisconnected)
        disconnectNexo();
}

void DataCounterIf::disconnectAnswered(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    // The count past the limit only marks that the warning was given.
    m_pendingDisconnects = qMin(m_pendingDisconnects, int(MaxPendingDisconnects)) - 1;
    const QDBusMessage reply = watcher->reply();
    switch (reply.type()) {
    case QDBusMessage::ErrorMessage:
        qDebug().noquote() << "error reply:" << reply.errorName();
        break;
    case QDBusMessage::ReplyMessage:
        if (reply.signature().isEmpty())
            qDebug() << "args:" << 0 << "is:"
                     << "kissa";
        else
            qDebug() << "args:" << reply.arguments().size() << "is:" << reply.arguments().constFirst();
        break;
    default:
        qDebug() << "reply type:" << reply.type();
        break;
    }
}

void DataCounterIf::disableAutoConnect()
{
    if (!m_simIdentity)
        m_simIdentity = new Cellular::SIM::SIMIdentity(this);
    if (!m_simIdentity->isValid()) {
        KTRACE() << "no SIM identity";
        return;
    }
    qDebug() << "requesting imsi";
    connect(m_simIdentity, &Cellular::SIM::SIMIdentity::imsiComplete, this, &DataCounterIf::imsiComplete,
        Qt::UniqueConnection);
    m_simIdentity->imsi();
}

void DataCounterIf::imsiComplete(const QString& imsi, Cellular::SIM::SIMError error)
{
    KTRACE() << error;
    // It is still sending this answer.
    if (m_simIdentity)
        m_simIdentity->deleteLater();
    m_simIdentity = nullptr;
    if (error != Cellular::SIM::NoError)
        return;
    // The IMSI becomes part of a key path: anything but an IMSI's digits
    // could name another key.
    // Anchored: "$" alone also matches before a final newline.
    static const QRegularExpression imsiDigits(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{5,15}")));
    if (!imsiDigits.match(imsi).hasMatch()) {
        qWarning("SIM identity is not an IMSI (%lld characters); autoconnect left as it is",
            qlonglong(imsi.size()));
        return;
    }
    const QString key = AutoconnectKey.arg(imsi);
    qDebug() << "disabling" << key;
    setConf(key, false, this);
}

QString DataCounterIf::localDateString(const QString& text)
{
    if (text == QLatin1String(CountersNever))
        return QString();
    // Exactly day.month.year in plain digits, a real day of a year a counter
    // can have been reset in; anything else shows no date, as an unset one.
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return QString();
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts.at(i);
        if (part.isEmpty() || part.size() > (i == 2 ? 4 : 2))
            return QString();
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return QString();
        numbers[i] = part.toInt();
    }
    const QDate date(numbers[2], numbers[1], numbers[0]);
    if (!date.isValid() || date.year() < MinResetYear)
        return QString();
    return locale().formatDateTime(
        QDateTime(date, QTime(0, 0)), Tarn::Locale::DateMedium, Tarn::Locale::TimeNone);
}
