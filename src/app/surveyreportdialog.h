#pragma once

#include <QDialog>
#include <QStringList>

namespace tervan {

// The quality report of a grid made from survey points, in a scrollable list, with a button
// that asks for it to be printed (through the printer choice the other reports use).
class SurveyReportDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit SurveyReportDialog(const QStringList& lines, QWidget* parent = nullptr);
    static inline const QString Title = QStringLiteral("รายงานคุณภาพกริดจากจุดสำรวจ");

signals:
    void printRequested();
};

} // namespace tervan
