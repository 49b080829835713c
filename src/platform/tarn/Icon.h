#pragma once

#include <QIcon>
#include <QString>

namespace Tarn {

// Icons by their platform name: the platform's icon theme first, when it
// names one, then the toolkit's own drawings for the few names it must
// always be able to show.
class Icon
{
public:
    // `direction` turns the toolkit's own arrows to the way the text runs.
    static QIcon fromName(const QString& name, Qt::LayoutDirection direction = Qt::LeftToRight);
};

} // namespace Tarn
