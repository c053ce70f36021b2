#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// What one run of the real kv40812-tool executable gave.
struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

// Runs the tool as a script would, without KV40812_WORKSPACE unless `environment` sets it.
Run tool(const QStringList &arguments, const QMap<QString, QString> &environment = {});
