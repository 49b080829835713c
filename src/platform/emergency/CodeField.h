#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QKeyEvent;

namespace Emergency {

class EditLine;

// A code input field: a title line, a hint line and the code line.
//
// Modes: -1 reset (title back to normal, code masked), 0 code masked,
// 1 title shown as an error (code masked), 2 code shown in clear. The flag
// given with a mode is kept for the caller (modeFlag()) and changes nothing.
//
// Only digits are accepted. With a maximum length set, a character that
// does not fit is refused whole and maxLenReached() is emitted.
// Installed as event filter on a window, it takes the digits, Backspace and
// Enter typed anywhere in that window.
class CodeField : public QWidget
{
    Q_OBJECT
public:
    // `reserveHint` keeps room for a two-line hint, so a hint that comes and
    // goes moves nothing below the field.
    explicit CodeField(QWidget* parent = nullptr, bool reserveHint = false);

    // `lines` is the most lines the text may wrap to (0: no limit); with
    // `visible` false the line is kept but empty; `styleName` overrides the
    // line's style (null: the field's own).
    void setTitleText(
        const QString& text, int lines = 0, bool visible = true, const QString& styleName = QString());
    void setHintText(
        const QString& text, int lines = 0, bool visible = true, const QString& styleName = QString());
    QString titleText() const;
    QString hintText() const;
    bool isTitleError() const { return m_titleError; }

    void setMode(int mode, bool flag);
    int mode() const { return m_mode; }
    bool modeFlag() const { return m_modeFlag; }
    bool isClearText() const;

    // 0 or less: no limit.
    void setMaxLength(int max);
    int maxLength() const { return m_maxLength; }

    QString text() const;
    EditLine* editLine() const { return m_edit; }

    bool eventFilter(QObject* watched, QEvent* event) override;

public Q_SLOTS:
    // Inserts at the cursor, digits of any script as Latin ones; refused whole
    // when it holds a non-digit or would go past the maximum length.
    bool insert(const QString& typed);
    void backspace();
    void clear();

Q_SIGNALS:
    void textChanged(const QString& text);
    void maxLenReached();
    // The user touched the field.
    void tapped();
    // Enter or Return on a physical keyboard.
    void enterPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void applyMode();
    static void setLine(QLabel* label, const QString& text, int lines, bool visible, const QString& styleName,
        const QString& defaultStyle);

    QLabel* m_title;
    QLabel* m_hint;
    EditLine* m_edit;
    int m_mode = 0;
    bool m_modeFlag = false;
    bool m_titleError = false;
    int m_maxLength = 0;
};

} // namespace Emergency
