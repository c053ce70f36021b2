#include "widgets/Services.h"

#include "core/Constants.h"
#include "core/TextIndex.h"
#include "core/TextTable.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {
// A blank entry leaves the toolkit's own caption.
void setButtonCaption(QMessageBox &box, QMessageBox::StandardButton button, const TextTable *texts, int index)
{
    const QString caption = texts ? texts->text(index) : QString();
    if (!caption.trimmed().isEmpty())
        box.button(button)->setText(caption);
}

void show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text, const TextTable *texts)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    setButtonCaption(box, QMessageBox::Ok, texts, Txt::MsgBoxOk);
    box.exec();
}
}

void QtMessageService::error(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Critical, kSwCode, text, m_texts);
}

void QtMessageService::warning(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Warning, kSwCode, text, m_texts);
}

bool QtMessageService::question(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, kSwCode, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    setButtonCaption(box, QMessageBox::Yes, m_texts, Txt::MsgBoxYes);
    setButtonCaption(box, QMessageBox::No, m_texts, Txt::MsgBoxNo);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtMessageService::generalError(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Critical, kSwCode, text, m_texts);
}
