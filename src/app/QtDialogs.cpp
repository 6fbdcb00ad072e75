#include "app/Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

// Dialogs have no parent window: the first ones open before the window is
// shown, and a reload hides the window under them.
QMessageBox *makeBox(const QString &text, const QString &title, Dialogs::Icon icon)
{
    auto *box = new QMessageBox;
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setObjectName(QStringLiteral("messageBox"));
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(title);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    switch (icon) {
    case Dialogs::Icon::None: box->setIcon(QMessageBox::NoIcon); break;
    case Dialogs::Icon::Question: box->setIcon(QMessageBox::Question); break;
    case Dialogs::Icon::Information: box->setIcon(QMessageBox::Information); break;
    case Dialogs::Icon::Warning: box->setIcon(QMessageBox::Warning); break;
    }
    return box;
}

} // namespace

QString QtDialogs::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog dialog;
    dialog.setObjectName(QStringLiteral("inputBox"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString());
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annulla"));
    // The prompt is ours, but never let a label guess at markup.
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void QtDialogs::messageBox(const QString &text, const QString &title, Icon icon)
{
    std::unique_ptr<QMessageBox> box(makeBox(text, title, icon));
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->exec();
}

Dialogs::Answer QtDialogs::askYesNo(const QString &text, const QString &title)
{
    std::unique_ptr<QMessageBox> box(makeBox(text, title, Icon::Question));
    QPushButton *yes = box->addButton(QStringLiteral("Sì"), QMessageBox::YesRole);
    QPushButton *no = box->addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box->setDefaultButton(no);
    box->setEscapeButton(no);
    box->exec();
    return box->clickedButton() == yes ? Answer::Yes : Answer::No;
}

void QtDialogs::closeAll()
{
    // Innermost first, so each nested exec() returns in turn.
    for (int guard = 0; guard < 64; ++guard) {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            break;
        dialog->reject();
    }
}
