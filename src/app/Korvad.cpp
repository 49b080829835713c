#include "Korvad.h"

#include <common/Vocabulary.h>

#include <datacounter/DataCounterIf.h>
#include <notify/KorvaUI.h>
#include <notify/Notifier.h>
#include <notify/PavoIf.h>
#include <provisioning/Provisioning.h>

#include <platform/Trace.h>
#include <platform/tarn/Application.h>
#include <platform/tarn/Locale.h>
#include <platform/tarn/MessageBox.h>
#include <query/QueryManager.h>

Korvad::Korvad(QObject* parent)
    : QObject(parent)
{
    KTRACE() << "starting Korva UI daemon";
    // First, so that every service created after it can be wired to it.
    notifier = new Notifier(this);
    provisioning = new Provisioning(this);
    korvaUi = new KorvaUI(this);
    // Queued: a service may be inside a dialog's handler when it reports.
    connect(korvaUi, &KorvaUI::showNotification, notifier, &Notifier::showNotification, Qt::QueuedConnection);
    connect(korvaUi, &KorvaUI::NGFEvent, notifier, &Notifier::playNGFEvent, Qt::QueuedConnection);
    connect(provisioning, &Provisioning::showNotification, notifier, &Notifier::showNotification,
        Qt::QueuedConnection);
    connect(provisioning, &Provisioning::NGFEvent, notifier, &Notifier::playNGFEvent, Qt::QueuedConnection);
    // The data counter's bus object is a plain one of its own.
    dataCounter = new DataCounterIf(new QObject(this), [notifier = notifier](const QString& event) {
        QMetaObject::invokeMethod(
            notifier, [notifier, event] { notifier->playNGFEvent(event); }, Qt::QueuedConnection);
    });
    if (auto* app = Tarn::Application::instance())
        connect(app, &Tarn::Application::prestartReleased, this, &Korvad::prestartReleased);
}

void Korvad::startDaemon()
{
    KTRACE();
    checkOffline();
}

void Korvad::prepareForLaunch()
{
    if (queryManager)
        queryManager->prepareUi();
}

void Korvad::checkOffline()
{
    KTRACE();
    if (!deviceMode)
        deviceMode = new PavoIf(this);
    if (deviceMode->isOffline()) {
        m_offlineState = 0;
        // The boot need not wait for the user's answer.
        Q_EMIT updateUpstart(true, false);
        auto* app = Tarn::Application::instance();
        if (!app || !app->isPrestarted())
            askOffline();
    } else {
        m_offlineState = 1;
        createPinQuery();
    }
}

void Korvad::askOffline()
{
    KTRACE();
    if (m_offlineQuestion) {
        KTRACE() << "already asking";
        return;
    }
    Tarn::Locale* current = Tarn::Locale::defaultLocale();
    if (!current || !current->installedCatalogs().contains(QLatin1String("offline"))) {
        // A new default locale replaces the catalogues of the old one: carry
        // them over so the daemon's own texts keep resolving.
        auto* locale = current ? new Tarn::Locale(current->qlocale()) : new Tarn::Locale;
        if (current)
            for (const QString& catalog : current->installedCatalogs())
                locale->installTrCatalog(catalog);
        locale->installTrCatalog(QStringLiteral("offline"));
        Tarn::Locale::setDefault(locale);
        // The old default stays with its owner; this one lives as long as the process.
    }

    auto* box = new Tarn::MessageBox(qtTrId(KorvaText::OfflineQuestionTitle),
        qtTrId(KorvaText::OfflineQuestion), Tarn::Dialog::Yes | Tarn::Dialog::No);
    box->setObjectName(QStringLiteral("offlineQuestion"));
    box->setSystemModal(true);
    connect(box, &QDialog::finished, this, &Korvad::offlineResponse, Qt::QueuedConnection);
    m_offlineQuestion = box;
    box->appear(Tarn::Dialog::DestroyWhenDone);
}

void Korvad::prestartReleased()
{
    if (m_offlineState == 0)
        askOffline();
}

void Korvad::offlineResponse(int response)
{
    KTRACE() << response;
    const int oldState = m_offlineState;
    if (response == Tarn::Dialog::Yes) {
        m_offlineState = 1;
        if (deviceMode)
            deviceMode->setOnline();
    } else {
        KTRACE() << "STAY IN OFFLINE";
        Q_EMIT updateUpstart(false, true);
    }
    delete deviceMode;
    deviceMode = nullptr;
    KTRACE() << "offline:" << oldState << m_offlineState;
    createPinQuery();
}

void Korvad::createPinQuery()
{
    KTRACE() << (m_offlineState == 0 ? "true" : "false");
    if (queryManager)
        return;
    const bool offline = m_offlineState == 0;
    KTRACE() << "query manager requested, offline:" << offline;
    queryManager = new QueryManager(this, offline);
    connect(queryManager, &QueryManager::updateUpstart, this, &Korvad::updateUpstart);
    connect(queryManager, &QueryManager::showNotification, notifier, &Notifier::showNotification);
    connect(queryManager, &QueryManager::NGFEvent, notifier, &Notifier::playNGFEvent);
    connect(queryManager, &QueryManager::stopNGFEvent, notifier, &Notifier::stopNGFEvent);
    m_offlineState = 1;
}
