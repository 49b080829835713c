#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class PinCodeQueryUI;
class PinUiWidget;
class QWidget;

// The one object through which the query engine drives the code page. The
// entry widget comes with the first title, the page with the first appear;
// until then every operation on them does nothing.
class UiWrapper : public QObject
{
    Q_OBJECT
public:
    explicit UiWrapper(QObject* parent = nullptr);
    ~UiWrapper() override;

    void setTitle(const QString& title, bool asError);
    // Builds the entry widget ahead of its first use; shows nothing.
    void prepare();
    void setTitleText(const QString& text);
    void setErrorText(const QString& text);
    void setHintText(const QString& text);
    void removeText();
    void setMaxLen(int max);
    void resetMode();
    void setEmergencyMode(bool isEmergency);
    QString code() const;
    bool isVisible() const;
    void setForced(bool forced);
    bool isForced() const { return forced; }
    void restoreForced();
    void hideStatusBar(bool hide);
    void setWindowOnTop(bool onTop);
    bool isOnTop() const;
    // The page, to parent the emergency dialer; null before the first appear.
    QWidget* pageItem() const;

    PinUiWidget* entryWidget() const { return widget; }
    PinCodeQueryUI* queryPage() const { return page; }

Q_SIGNALS:
    void enterReleased();
    void cancelReleased();
    void emergencyReleased();
    void maxLengthExeeded();
    void backButtonClicked();
    void codeChanged(const QString& code);
    void enterReleased(const QString& code);
    void emergencyReleased(const QString& code);
    void uiClicked();

public Q_SLOTS:
    void appear(bool keepWhenDone);
    void appear(bool keepWhenDone, bool forced);
    void closeUi();
    void maskCode(bool mask);

private Q_SLOTS:
    void showEscape(bool show);
    void onEnterReleased();
    void onEmergencyReleased();

private:
    void ensurePage();
    QPointer<PinUiWidget> widget;
    QPointer<PinCodeQueryUI> page;
    bool forced = false;
};
