#pragma once

#include <QLabel>

namespace Tarn {

// A text label whose look is picked by its style name. Its text is always
// plain: what it shows may come from another program.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(const QString& text = QString(), QWidget* parent = nullptr);

    QString styleName() const;
    void setStyleName(const QString& name);
};

} // namespace Tarn
