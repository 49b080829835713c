#pragma once

#include <platform/tarn/Sheet.h>

#include <QStringList>

// Lets the user pick one data and one MMS access point from the names a
// settings message brought. An empty name means "none".
class ProvisioningAPSheet : public Tarn::Sheet
{
    Q_OBJECT
public:
    ProvisioningAPSheet(const QStringList& gprsApNames, const QStringList& mmsApNames);

    QString selectedGprsAp() const { return m_gprsAp; }
    QString selectedMmsAp() const { return m_mmsAp; }

Q_SIGNALS:
    // 0 saved, 1 cancelled.
    void finished(int result);

private Q_SLOTS:
    void accepted();
    void rejected();
    void gprsSelected(const QString& name);
    void mmsSelected(const QString& name);

private:
    void setLayout(const QStringList& gprsApNames, const QStringList& mmsApNames);

    QString m_gprsAp;
    QString m_mmsAp;
};
