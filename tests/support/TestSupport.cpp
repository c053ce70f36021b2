#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

QStringList FakeMessages::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out << s.text;
    return out;
}

void FakeMessages::record(const QString &kind, const QString &text)
{
    shown.append({kind, text});
    if (onShow)
        onShow(shown.last());
}

TestWorkspace::TestWorkspace()
{
    state.Dir_Exe = dir.path();
    setWorkspace(state, dir.path());
    services.messages = &messages;
    services.pinger = &pinger;
    services.updaterWaitMs = 1000;
    services.openUrl = [this](const QUrl &url) { openedUrls.append(url); };
}

void TestWorkspace::writeFile(const QString &relative, const QByteArray &data) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(full));
    file.write(data);
}

QByteArray TestWorkspace::readFile(const QString &relative) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void onNextModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(KV_FIXTURES) + u'/' + name;
}
