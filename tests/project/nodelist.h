#pragma once

#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/project.h"
#include "project/ui/nodeentrydialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// A grid of rows x cols nodes 10 m apart, every elevation 0.
inline tervan::Project grid(qint16 rows, qint16 cols)
{
    tervan::Project p = tervan::startupProject();
    tervan::applyControlData(p, {10, rows, cols, 1});
    return p;
}

// The node list over its own project, driven by mouse and keys.
struct NodeList
{
    tervan::Project project;
    tervan::NodeEntryDialog dialog;
    explicit NodeList(tervan::Project p) : project(std::move(p)), dialog(project) {}

    // Shown and active, as the main window opens it.
    void open()
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }
    static QWidget* focus() { return QApplication::focusWidget(); }
    // Each key goes to whatever has the focus at that moment.
    void type(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClicks(focus(), QString(c));
            else // as a Thai keyboard layout delivers it
                QTest::sendKeyEvent(QTest::Click, focus(), Qt::Key_unknown, QString(c), {});
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(focus(), k, m); }
    int currentNode() const { return dialog.grid()->currentIndex().row() + 1; }
    QLineEdit* box() { return dialog.findChild<QLineEdit*>(QStringLiteral("txtNodes")); }
    QString status() { return dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(); }
    QString cell(int node, int column) { return dialog.model()->cellText(node - 1, column); }
    void clickCell(int node, int column)
    {
        QTableView* view = dialog.grid();
        const QModelIndex index = dialog.model()->index(node - 1, column);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    void exit() { dialog.findChild<QPushButton*>(QStringLiteral("cmdExit"))->click(); }
};
