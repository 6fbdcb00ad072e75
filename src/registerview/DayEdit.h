#pragma once

#include <QDateEdit>

// A day shown as DD/MM/YYYY that takes it typed as a teacher writes it,
// DD/MM/YYYY or D/M/YYYY with slashes. The plain date box moves on by
// itself once a part is full ("01", or "5" as no day starts with 5), so
// the slash typed next would skip the month; and it keeps a day the month
// shown lacks (29 in a February) as that month's last.
class DayEdit : public QDateEdit
{
public:
    explicit DayEdit(const QDate &date, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString m_typed;        // digits and slashes typed in a row
    bool m_advanced = false; // the last digit filled its part and moved on
};
