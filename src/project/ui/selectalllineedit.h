#pragma once

#include <QLineEdit>

namespace tervan {

// A text box whose whole text is selected by a click into it, so typing replaces it.
class SelectAllLineEdit final : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QLineEdit::mousePressEvent(event);
        selectAll();
    }
};

} // namespace tervan
