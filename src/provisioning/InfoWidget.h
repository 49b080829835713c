#pragma once

#include <platform/tarn/Label.h>

// The explanatory text of the access-point sheet.
class InfoWidget : public Tarn::Label
{
    Q_OBJECT
public:
    using Tarn::Label::Label;
};
