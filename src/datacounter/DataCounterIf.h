#pragma once

#include <platform/cellular/SIMError.h>

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QPointer>
#include <QString>

class DataAmount;
class QDBusAbstractInterface;
class QDBusPendingCallWatcher;
class QLabel;
namespace Tarn {
class Dialog;
}
namespace Cellular {
namespace SIM {
class SIMIdentity;
}
}

// The user's end of the packet-data counter (system bus, com.vexa.korva_ui
// on /com/vexa/korva_ui). Other programs count and decide; this asks: may
// data roam, and may data go on now that a limit is reached. A "no" to the
// limit disconnects the data connections through the connectivity daemon
// (com.vexa.nexo2) and then switches off data roaming or the home access
// point's autoconnect.
//
// One dialog at a time: a request while it is open (or waiting for the
// screen) only replaces its texts. The answer comes later, from the event
// loop; nothing here waits for the user.
class DataCounterIf : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.vexa.korva_ui")
    Q_CLASSINFO("D-Bus Introspection",
        "  <interface name=\"com.vexa.korva_ui\">\n"
        "    <method name=\"show_roaming_dlg\">\n"
        "      <annotation name=\"org.freedesktop.DBus.Method.NoReply\" value=\"true\"/>\n"
        "    </method>\n"
        "    <method name=\"show_error_note\">\n"
        "      <arg name=\"errorMessage\" type=\"s\" direction=\"in\"/>\n"
        "      <annotation name=\"org.freedesktop.DBus.Method.NoReply\" value=\"true\"/>\n"
        "    </method>\n"
        "    <signal name=\"roaming\">\n"
        "      <arg name=\"continueRoaming\" type=\"b\" direction=\"out\"/>\n"
        "    </signal>\n"
        "  </interface>\n")
public:
    static constexpr const char* Service = "com.vexa.korva_ui";
    static constexpr const char* Path = "/com/vexa/korva_ui";
    static constexpr const char* NexoService = "com.vexa.nexo2";
    static constexpr const char* NexoPath = "/com/vexa/nexo2";
    static constexpr const char* NexoInterface = "com.vexa.nexo2";
    // Longest wait for the connectivity daemon per call; it answers from
    // memory, and a hung one must not freeze the screen for D-Bus's 25 s.
    static constexpr int NexoTimeoutMs = 3000;
    // disconnect_req calls waiting for their answer; reports past this are
    // logged once and dropped, so a flood of them cannot pile up calls.
    static constexpr int MaxPendingDisconnects = 16;
    // Reset dates before this year are no date a counter can carry.
    static constexpr int MinResetYear = 1970;

    // Registers `parent` on the system bus with this adaptor.
    explicit DataCounterIf(QObject* parent);

    // What a declined warning leaves to do once a connection is down.
    enum PendingAction : uint { ForbidRoaming = 1, NoHomeAutoconnect = 2 };

Q_SIGNALS:
    void roaming(bool continueRoaming);
    void doConfirmRoaming();
    void doConfirmContinue(const QString& type);
    void NGFEvent(const QString& event);

public Q_SLOTS:
    Q_NOREPLY void show_roaming_dlg();
    Q_NOREPLY void show_error_note(const QString& errorMessage);

private Q_SLOTS:
    void confirmRoaming();
    void confirmContinue(const QString& type);
    void handleConnectionStatus(const QString& st, uint sa, const QString& si, const QString& nt, uint na,
        const QByteArray& ni, const QString& error, uint status);
    QString localDateString(const QString& text);
    void imsiComplete(const QString& imsi, Cellular::SIM::SIMError error);

private:
    // Opens the dialog for `request` (a warning type, or the roaming
    // question); answered() takes the user's answer.
    void ask(const QString& request, const QString& title, const QString& text);
    void showDialog(const QString& title, const QString& text);
    void answered(int result);
    void closeAtExit();
    static bool shuttingDown();
    void updateDialog(const QString& title, const QString& text);
    void getConnectionStatus();
    void disconnectNexo();
    void disableAutoConnect();
    void disconnectAnswered(QDBusPendingCallWatcher* watcher);
    QString megabytesText(const DataAmount& amount) const;

    QDBusAbstractInterface* m_nexo = nullptr;
    QPointer<Tarn::Dialog> m_dialog;
    // What the open dialog asks for.
    QString m_request;
    QPointer<QLabel> m_titleLabel;
    QPointer<QLabel> m_textLabel;
    Cellular::SIM::SIMIdentity* m_simIdentity = nullptr;
    uint m_pendingActions = 0;
    int m_pendingDisconnects = 0;
};
