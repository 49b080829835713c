#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QDBusConnection;

namespace Tarn {

class ApplicationService;

// The toolkit's application: a widgets application that can be started
// "prestarted" (window-less until the platform releases it) and that owns a
// message handler governed by its own "-output-level" option.
//
// Options it understands: -prestart, -output-level debug|warning|critical|none, -h.
class Application : public QApplication
{
    Q_OBJECT
public:
    enum PrestartMode {
        NoPrestart = 0,
        Normal = 1,
        LazyShutdown = 2,
        NormalMultiWindow = 3,
        LazyShutdownMultiWindow = 4
    };
    Q_ENUM(PrestartMode)

    Application(int& argc, char** argv, const QString& appIdentifier = QString(),
        ApplicationService* service = nullptr);
    ~Application() override;

    static Application* instance();

    void setPrestartMode(PrestartMode mode);
    PrestartMode prestartMode() const { return m_prestartMode; }

    // True from a "-prestart" start until the platform releases the process.
    bool isPrestarted() const { return m_prestarted; }
    // True once the process is on its way out: a dialog that ends then was
    // closed by the shutdown, not answered by the user.
    bool isShuttingDown() const { return m_shuttingDown; }

    // Nothing comes up while prestarted. A question (a system dialog, a
    // sheet: another program asking the user) also waits while a window
    // holds the screen for an answer the user must give first.
    enum WindowKind { Passive, Question };

    // True when `window` may come up now. Otherwise `show` runs once it may,
    // windows in the order they asked; asking again replaces the window's
    // turn, and a window that is gone loses it.
    bool mayShow(QWidget* window, WindowKind kind, std::function<void()> show);
    // True when `window` was waiting.
    bool cancelShow(QWidget* window);
    // While any holder holds it (until it lets go or is destroyed), open
    // questions step aside and new ones wait.
    void holdScreen(QObject* holder, bool hold);
    bool isScreenHeld() const { return !m_holders.isEmpty(); }

    // The bus name and path on which the platform releases the prestart.
    QString serviceName() const;
    // Another process owned serviceName() when this one started: a second
    // instance, which must not run beside the first.
    bool serviceNameTaken() const { return m_serviceNameTaken; }
    static QString releasePath();
    static QString releaseInterface();

    // Applies a theme style sheet found next to the binary ("theme/") or in
    // the installed data folder; false when there is none.
    bool loadStyleSheet(const QString& fileName);
    static QStringList themeDirs();

public Q_SLOTS:
    // Called over the session bus; only the first call while prestarted counts.
    void release();

Q_SIGNALS:
    void prestartReleased();
    void screenHeldChanged(bool held);

protected:
    void setShuttingDown() { m_shuttingDown = true; }
    // Called once when the prestart ends, before prestartReleased() is emitted.
    virtual void releasePrestart();

private:
    bool m_shuttingDown = false;
    void registerOnSessionBus();

    QString m_identifier;
    PrestartMode m_prestartMode = NoPrestart;
    bool m_prestarted = false;
    bool m_serviceNameTaken = false;

    struct Waiting
    {
        QPointer<QWidget> window;
        WindowKind kind;
        std::function<void()> show;
    };
    bool mustWait(WindowKind kind) const { return m_prestarted || (kind == Question && isScreenHeld()); }
    void showWaiting();
    QList<Waiting> m_waiting;
    QList<QObject*> m_holders;
};

} // namespace Tarn
