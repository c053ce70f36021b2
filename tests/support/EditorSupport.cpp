#include "support/EditorSupport.h"

#include "core/Constants.h"
#include "i18n/Language.h"

#include <QPushButton>
#include <QTest>

EditorWorkspace::EditorWorkspace()
{
    Set_Default_Lang(state.Text_Table);
    state.SW_Code = kSwCode;
    useProject(QStringLiteral("Demo"));
}

QRect rectOf(QWidget *w, const char *name)
{
    return named(w, name)->geometry();
}

void click(QWidget *w, const char *name)
{
    QTest::mouseClick(named<QPushButton>(w, name), Qt::LeftButton);
}
