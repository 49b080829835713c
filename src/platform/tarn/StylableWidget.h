#pragma once

#include <QString>
#include <QWidget>

namespace Tarn {

// A widget whose look is picked by its style name (the dynamic property
// "styleName" that the theme's selectors match).
class StylableWidget : public QWidget
{
    Q_OBJECT
public:
    explicit StylableWidget(QWidget* parent = nullptr);
    StylableWidget(const QString& styleName, QWidget* parent);

    QString styleName() const;
    void setStyleName(const QString& name);

    // Any widget: sets the property and has the theme look at it again.
    static void setStyleName(QWidget* widget, const QString& name);
    static QString styleName(const QWidget* widget);
};

} // namespace Tarn
