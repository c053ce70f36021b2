#include "widgets/Services.h"

#include "core/Constants.h"

#include <QMessageBox>

namespace {
void show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}
}

void QtMessageService::error(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Critical, kSwCode, text);
}

void QtMessageService::warning(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Warning, kSwCode, text);
}

bool QtMessageService::question(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, kSwCode, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtMessageService::generalError(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Critical, kSwCode, text);
}
