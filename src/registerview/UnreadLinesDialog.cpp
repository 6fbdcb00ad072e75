#include "registerview/UnreadLinesDialog.h"

#include "registerview/RegisterMessages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

void showUnreadLines(QWidget *parent, int count, const QList<UnreadLine> &lines)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("unreadLinesDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(unreadLinesText(count));
    auto *heading = new QLabel(unreadListHeading(count, lines.size()));
    heading->setObjectName(QStringLiteral("unreadLinesHeading"));
    heading->setWordWrap(true);
    auto *list = new QTableWidget(int(lines.size()), 2);
    list->setObjectName(QStringLiteral("unreadLinesList"));
    list->setAccessibleName(unreadLinesText(count));
    list->setHorizontalHeaderLabels({QStringLiteral("Riga"), QStringLiteral("Motivo")});
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setTabKeyNavigation(false);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < lines.size(); ++row) {
        auto *number = new QTableWidgetItem(QString::number(lines[row].line));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list->setItem(row, 0, number);
        list->setItem(row, 1, new QTableWidgetItem(unreadReasonText(lines[row].reason)));
    }
    list->resizeColumnToContents(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->setObjectName(QStringLiteral("unreadLinesButtons"));
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Chiudi"));
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("unreadLinesClose"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(heading);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    dialog->resize(640, 420);
    dialog->open();
    list->setFocus();
}
