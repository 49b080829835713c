#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

namespace Tarn {

// A short-lived message in a strip across the top of the screen, above
// every window and without taking the focus. Its look comes from the theme
// through its style name. A tap emits clicked(); it goes away by itself
// after DisplayTimeMs.
class Banner : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title WRITE setTitle)
    Q_PROPERTY(QString styleName READ styleName WRITE setStyleName)
public:
    enum DeletionPolicy { KeepWhenDone, DestroyWhenDone };

    static constexpr int DisplayTimeMs = 3000;

    explicit Banner(QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);

    QString styleName() const { return m_styleName; }
    void setStyleName(const QString& styleName);

    // Shows it at the top of the screen (once the prestart is released);
    // DestroyWhenDone deletes it once it has disappeared.
    void appear(DeletionPolicy policy = KeepWhenDone);

public Q_SLOTS:
    void disappear();

Q_SIGNALS:
    void clicked();
    void disappeared();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void comeUp();
    void placeOnScreen();

    QLabel* m_title;
    QTimer* m_timer;
    QString m_styleName;
    DeletionPolicy m_policy = KeepWhenDone;
    bool m_pressed = false;
};

} // namespace Tarn
