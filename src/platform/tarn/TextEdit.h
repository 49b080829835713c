#pragma once

#include <QLineEdit>

namespace Tarn {

// A single-line text field. The numeric content type takes digits only (of
// any script); with the password echo mode the characters are masked, and
// the text is wiped from memory when the field goes.
class TextEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum ContentType { FreeTextContentType, NumberContentType };

    explicit TextEdit(
        ContentType type = FreeTextContentType, const QString& text = QString(), QWidget* parent = nullptr);
    ~TextEdit() override;

    ContentType contentType() const { return m_contentType; }
    void setContentType(ContentType type);

    bool isEditable() const { return !isReadOnly(); }
    void setEditable(bool editable) { setReadOnly(!editable); }

    QString styleName() const;
    void setStyleName(const QString& name);

    // Empties the field and overwrites the characters it held.
    void wipe();

private:
    ContentType m_contentType = FreeTextContentType;
};

} // namespace Tarn
