#pragma once

#include "params/Parameters.h"
#include "support/TestSupport.h"

#include <QRect>
#include <QWidget>

// A workspace with the built-in texts and one configuration folder "Demo", the active one.
struct EditorWorkspace : TestWorkspace {
    EditorWorkspace();
};

// The editor's control of a parameter; a missing one ends the test program.
template <typename T>
T *child(QWidget *w, Param::Id id)
{
    T *c = w->findChild<T *>(parameter(id).control);
    if (!c)
        qFatal("no control for %s", qPrintable(parameter(id).key));
    return c;
}

template <typename T = QWidget>
T *named(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QRect rectOf(QWidget *w, const char *name);

void click(QWidget *w, const char *name);
