#include "core/Constants.h"

#include <QtGlobal>

QString webBase()
{
    QString base = qEnvironmentVariable("KV40812_WEB_BASE");
    if (base.isEmpty())
        base = kWebBase;
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

QString homePageUrl()
{
    return webBase() + QStringLiteral("/HOME/default.asp?frompg=") + kSwCode;
}

QString downloadPageUrl()
{
    return webBase() + QStringLiteral("/Home/download/download.asp#RX40812");
}
