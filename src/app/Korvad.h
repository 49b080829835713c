#pragma once

#include <QObject>
#include <QPointer>

class QueryManager;
class KorvaUI;
class Notifier;
class DataCounterIf;
class Provisioning;
class PavoIf;
namespace Tarn {
class MessageBox;
}

// The daemon core: creates every long-lived service, wires their feedback to
// the one notifier, settles the offline question and then creates the query
// manager. Never deleted.
class Korvad : public QObject
{
    Q_OBJECT
public:
    explicit Korvad(QObject* parent = nullptr);

    void startDaemon();
    // Builds what a launch right after the ready token will show.
    void prepareForLaunch();

    int offlineState() const { return m_offlineState; }

Q_SIGNALS:
    void updateUpstart(bool ready, bool done);

private Q_SLOTS:
    void offlineResponse(int response);
    void createPinQuery();
    void prestartReleased();

private:
    void checkOffline();
    void askOffline();

    QueryManager* queryManager = nullptr;
    KorvaUI* korvaUi = nullptr;
    Notifier* notifier = nullptr;
    DataCounterIf* dataCounter = nullptr;
    Provisioning* provisioning = nullptr;
    PavoIf* deviceMode = nullptr;
    // -1 not checked; 0 offline, question pending or answered "stay";
    // 1 the query manager may be (or has been) created.
    int m_offlineState = -1;
    QPointer<Tarn::MessageBox> m_offlineQuestion;
};
