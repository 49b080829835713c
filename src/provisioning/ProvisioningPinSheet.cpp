#include "ProvisioningPinSheet.h"

#include <common/Vocabulary.h>
#include <platform/Trace.h>
#include <platform/tarn/BasicSheetHeader.h>
#include <platform/tarn/Label.h>
#include <platform/tarn/Locale.h>
#include <platform/tarn/TextEdit.h>

#include <QAction>
#include <QVBoxLayout>

namespace {
constexpr int MaxPinLength = 255;
}

ProvisioningPinSheet::ProvisioningPinSheet()
{
    setStyleName(QStringLiteral("Inverted"));
    setLayout();

    auto* header = new Tarn::BasicSheetHeader;
    header->setStyleName(QStringLiteral("Inverted"));
    auto* ok = new QAction(qtTrId(KorvaText::OkButton), header);
    ok->setEnabled(false);
    auto* cancel = new QAction(qtTrId(KorvaText::CancelButton), header);
    header->setPositiveAction(ok);
    header->setNegativeAction(cancel);
    setHeaderWidget(header);

    connect(ok, &QAction::triggered, this, &ProvisioningPinSheet::accepted);
    connect(cancel, &QAction::triggered, this, &ProvisioningPinSheet::rejected);
    // Return is taken even in an empty field; the caller then gets no PIN.
    connect(m_edit, &QLineEdit::returnPressed, this, &ProvisioningPinSheet::accepted);
    connect(m_edit, &QLineEdit::textChanged, this, &ProvisioningPinSheet::numberChanged);
    connect(this, &Tarn::Sheet::appeared, this, &ProvisioningPinSheet::focusEdit);
}

ProvisioningPinSheet::~ProvisioningPinSheet()
{
    // The field wipes itself when it dies, after this object's own part is
    // gone: its last textChanged() must not reach us.
    if (m_edit)
        m_edit->disconnect(this);
}

void ProvisioningPinSheet::setLayout()
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const QString titleText = qtTrId(KorvaText::ProvisioningPinTitle);
    auto* title = new Tarn::Label(titleText);
    title->setWordWrap(true);
    title->setStyleName(QStringLiteral("CommonHeaderInverted"));
    layout->addWidget(title);
    setWindowTitle(titleText);

    auto* label = new Tarn::Label(qtTrId(KorvaText::ProvisioningPinPrompt));
    label->setWordWrap(true);
    label->setStyleName(QStringLiteral("CommonFieldLabelInverted"));
    layout->addWidget(label);

    m_edit = new Tarn::TextEdit(Tarn::TextEdit::NumberContentType);
    m_edit->setObjectName(QStringLiteral("provisioningPin"));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setEditable(true);
    m_edit->setStyleName(QStringLiteral("CommonSingleInputFieldLabeledInverted"));
    m_edit->setMaxLength(MaxPinLength);
    layout->addWidget(m_edit);
    layout->addStretch(1);

    setCentralWidget(central);
}

QString ProvisioningPinSheet::pinCode() const
{
    return Tarn::Locale::toLatinNumbers(m_edit->text());
}

void ProvisioningPinSheet::focusEdit()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}

void ProvisioningPinSheet::numberChanged()
{
    const QString text = m_edit->text();
    if (auto* header = qobject_cast<Tarn::BasicSheetHeader*>(headerWidget()))
        if (QAction* ok = header->positiveAction())
            ok->setEnabled(!text.isEmpty());
}
