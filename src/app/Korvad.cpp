#include "Korvad.h"

#include <notify/Notifier.h>

#include <platform/Trace.h>
#include <platform/tarn/Application.h>

Korvad::Korvad(QObject* parent)
    : QObject(parent)
{
    KTRACE() << "starting Korva UI daemon";
    // First, so that every service created after it can be wired to it.
    notifier = new Notifier(this);
    if (auto* app = Tarn::Application::instance())
        connect(app, &Tarn::Application::prestartReleased, this, &Korvad::prestartReleased);
}

void Korvad::startDaemon()
{
    KTRACE();
    checkOffline();
}

void Korvad::checkOffline()
{
    KTRACE();
    // Until the device mode client exists the phone counts as online.
    m_offlineState = 1;
    createPinQuery();
}

void Korvad::askOffline()
{
    KTRACE();
}

void Korvad::prestartReleased()
{
    if (m_offlineState == 0)
        askOffline();
}

void Korvad::offlineResponse(int response)
{
    KTRACE() << response;
}

void Korvad::createPinQuery()
{
    KTRACE() << (m_offlineState == 0 ? "true" : "false");
    if (queryManager || m_pinQueryRequested)
        return;
    // The query manager takes over from here once it exists.
    m_pinQueryRequested = true;
    KTRACE() << "query manager requested, offline:" << (m_offlineState == 0);
    m_offlineState = 1;
}
