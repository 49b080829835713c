#include "UiWrapper.h"

#include "PinCodeQueryUI.h"
#include "PinUiWidget.h"

#include <platform/Trace.h>
#include <platform/emergency/CodeField.h>

#include <QPushButton>
#include <QSignalBlocker>

UiWrapper::UiWrapper(QObject* parent)
    : QObject(parent)
{
}

UiWrapper::~UiWrapper()
{
    delete widget.data();
    delete page.data();
}

void UiWrapper::setTitle(const QString& title, bool asError)
{
    if (!widget) {
        widget = new PinUiWidget(nullptr);
        widget->setObjectName(QStringLiteral("PinUiWidget"));
        connect(widget, &PinUiWidget::textChanged, this, &UiWrapper::codeChanged);
        connect(widget->emergencyButton(), &QPushButton::clicked, this,
            qOverload<>(&UiWrapper::emergencyReleased));
        connect(widget->emergencyButton(), &QPushButton::clicked, this, &UiWrapper::onEmergencyReleased);
        connect(widget, &PinUiWidget::enterReleased, this, qOverload<>(&UiWrapper::enterReleased));
        connect(widget, &PinUiWidget::enterReleased, this, &UiWrapper::onEnterReleased);
        connect(widget, &PinUiWidget::cancelReleased, this, &UiWrapper::cancelReleased);
        connect(widget, &PinUiWidget::maxLengthExeeded, this, &UiWrapper::maxLengthExeeded);
        connect(widget, &PinUiWidget::uiClicked, this, &UiWrapper::uiClicked);
    }
    if (asError)
        widget->setErrorText(title);
    else
        widget->setTitleText(title);
}

void UiWrapper::setTitleText(const QString& text)
{
    if (widget)
        widget->setTitleText(text);
}

void UiWrapper::setErrorText(const QString& text)
{
    if (widget)
        widget->setErrorText(text);
}

void UiWrapper::setHintText(const QString& text)
{
    if (widget)
        widget->setHintText(text);
}

void UiWrapper::removeText()
{
    if (!widget)
        return;
    // The field reports its changes through a queued relay, so blocking only
    // this object would not keep a silent clear silent.
    const QSignalBlocker quiet(signalsBlocked() ? widget->codeField() : nullptr);
    widget->removeText();
}

void UiWrapper::setMaxLen(int max)
{
    if (widget)
        widget->setMaxLen(max);
}

void UiWrapper::resetMode()
{
    if (widget)
        widget->resetMode();
}

void UiWrapper::maskCode(bool mask)
{
    if (widget)
        widget->maskCode(mask);
}

void UiWrapper::setEmergencyMode(bool isEmergency)
{
    if (widget)
        widget->setEmergencyMode(isEmergency, false);
}

QString UiWrapper::code() const
{
    return widget ? widget->text() : QString();
}

bool UiWrapper::isVisible() const
{
    return widget && widget->isVisible() && page && page->isVisible();
}

void UiWrapper::appear(bool keepWhenDone)
{
    appear(keepWhenDone, forced);
}

void UiWrapper::appear(bool keepWhenDone, bool forced)
{
    this->forced = forced;
    if (!widget)
        return;
    if (!page) {
        page = new PinCodeQueryUI(forced, widget);
        page->setCentralWidget(widget);
        page->installWindowEventFilter(widget->codeField());
        connect(page, &PinCodeQueryUI::backButtonClicked, this, &UiWrapper::backButtonClicked);
        connect(page, &PinCodeQueryUI::windowClosed, this, &UiWrapper::backButtonClicked);
    }
    page->appear(
        keepWhenDone ? Tarn::ApplicationPage::KeepWhenDone : Tarn::ApplicationPage::DestroyWhenDismissed);
    page->showWindow();
    page->setWindowOnTop(forced);
    showEscape(!forced);
}

void UiWrapper::setForced(bool forced)
{
    if (forced == this->forced)
        return;
    if (page) {
        page->hideStatusBar(forced);
        showEscape(!forced);
        if (page->isVisible())
            page->setWindowOnTop(forced);
    }
    this->forced = forced;
}

void UiWrapper::showEscape(bool show)
{
    if (!page)
        return;
    page->setComponentsDisplayMode(Tarn::ApplicationPage::EscapeButton,
        show ? Tarn::ApplicationPage::Show : Tarn::ApplicationPage::Hide);
    KTRACE() << "EscapeButton:" << page->componentDisplayMode(Tarn::ApplicationPage::EscapeButton);
}

void UiWrapper::hideStatusBar(bool hide)
{
    if (!page)
        return;
    if (!hide && forced)
        page->disableStatusBar();
    else
        page->hideStatusBar(hide);
}

void UiWrapper::restoreForced()
{
    if (page && forced) {
        page->hideStatusBar(true);
        page->setWindowOnTop(true);
    }
}

void UiWrapper::closeUi()
{
    if (page)
        page->closeUi();
}

void UiWrapper::setWindowOnTop(bool onTop)
{
    if (page)
        page->setWindowOnTop(onTop);
}

bool UiWrapper::isOnTop() const
{
    return page && page->isOnTop();
}

QWidget* UiWrapper::pageItem() const
{
    return page;
}

void UiWrapper::onEnterReleased()
{
    if (widget)
        Q_EMIT enterReleased(widget->text());
}

void UiWrapper::onEmergencyReleased()
{
    if (widget)
        Q_EMIT emergencyReleased(widget->text());
}
