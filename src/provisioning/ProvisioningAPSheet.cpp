#include "ProvisioningAPSheet.h"

#include "InfoWidget.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/BasicSheetHeader.h>
#include <platform/tarn/ComboBox.h>
#include <platform/tarn/Label.h>

#include <QAction>
#include <QVBoxLayout>

ProvisioningAPSheet::ProvisioningAPSheet(const QStringList& gprsApNames, const QStringList& mmsApNames)
{
    setStyleName(QStringLiteral("Inverted"));
    setLayout(gprsApNames, mmsApNames);

    auto* header = new Tarn::BasicSheetHeader;
    header->setStyleName(QStringLiteral("Inverted"));
    auto* save = new QAction(qtTrId(KorvaText::SaveButton), header);
    auto* cancel = new QAction(qtTrId(KorvaText::CancelButton), header);
    header->setPositiveAction(save);
    header->setNegativeAction(cancel);
    setHeaderWidget(header);
    connect(save, &QAction::triggered, this, &ProvisioningAPSheet::accepted);
    connect(cancel, &QAction::triggered, this, &ProvisioningAPSheet::rejected);
}

void ProvisioningAPSheet::setLayout(const QStringList& gprsApNames, const QStringList& mmsApNames)
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 24);
    layout->setSpacing(16);

    const QString titleText = qtTrId(KorvaText::ProvisioningTitle);
    auto* title = new Tarn::Label(titleText);
    title->setWordWrap(true);
    title->setStyleName(QStringLiteral("CommonHeaderInverted"));
    layout->addWidget(title);
    setWindowTitle(titleText);

    auto* info = new InfoWidget(qtTrId(KorvaText::ProvisioningInfo));
    info->setStyleName(QStringLiteral("CommonBodyTextInverted"));
    info->setAlignment(Qt::AlignLeft);
    info->setWordWrap(true);
    layout->addWidget(info);

    const QString none = qtTrId(KorvaText::NoAccessPoint);
    auto addSelector = [&](const char* titleId, const QStringList& names, const char* objectName) {
        auto* selector = new Tarn::ComboBox;
        selector->setObjectName(QLatin1String(objectName));
        selector->setStyleName(QStringLiteral("CommonComboBoxInverted"));
        selector->setTitle(qtTrId(titleId));
        selector->addItem(none);
        selector->addItems(names);
        selector->setCurrentIndex(0);
        layout->addWidget(selector);
        return selector;
    };
    // Connected after the first item is current, so building reports no choice.
    connect(addSelector(KorvaText::DataAccessPoint, gprsApNames, "gprsSelector"),
        &Tarn::ComboBox::currentIndexChanged, this, &ProvisioningAPSheet::gprsSelected);
    connect(addSelector(KorvaText::MmsAccessPoint, mmsApNames, "mmsSelector"),
        &Tarn::ComboBox::currentIndexChanged, this, &ProvisioningAPSheet::mmsSelected);
    layout->addStretch(1);

    setCentralWidget(central);
}

void ProvisioningAPSheet::accepted()
{
    // The answer is read a turn later: a second tap until then is no answer.
    headerWidget()->setEnabled(false);
    Q_EMIT finished(0);
}

void ProvisioningAPSheet::rejected()
{
    headerWidget()->setEnabled(false);
    Q_EMIT finished(1);
}

// "None" is the first entry, not a text: an access point may be named so.
static QString chosenName(QObject* selector, const QString& name)
{
    auto* box = qobject_cast<Tarn::ComboBox*>(selector);
    return box && box->currentIndex() > 0 ? name : QString();
}

void ProvisioningAPSheet::gprsSelected(const QString& name)
{
    KTRACE() << '"' + name + '"';
    m_gprsAp = chosenName(sender(), name);
}

void ProvisioningAPSheet::mmsSelected(const QString& name)
{
    KTRACE() << '"' + name + '"';
    m_mmsAp = chosenName(sender(), name);
}
