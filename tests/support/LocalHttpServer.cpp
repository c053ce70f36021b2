#include "support/LocalHttpServer.h"

#include "support/Sockets.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

LocalHttpServer::LocalHttpServer()
{
    m_context.moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            m_server = new QTcpServer;
            if (!m_server->listen(QHostAddress::LocalHost))
                qFatal("local HTTP server cannot listen");
            m_port = m_server->serverPort();
            QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
                while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                    auto *head = new QByteArray;
                    QObject::connect(socket, &QObject::destroyed, [head] { delete head; });
                    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                        head->append(socket->readAll());
                        if (!head->contains("\r\n\r\n") || socket->property("answered").toBool())
                            return;
                        socket->setProperty("answered", true);
                        record(head->left(head->indexOf("\r\n\r\n") + 4));
                        const Reply r = reply();
                        QTimer::singleShot(r.delayMs, socket, [socket, r] {
                            if (r.reset) {
                                resetOnClose(socket->socketDescriptor());
                                socket->abort();
                                return;
                            }
                            QByteArray out = "HTTP/1.0 " + r.status + "\r\n" + r.extraHeaders;
                            if (r.contentLength)
                                out += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
                            out += "\r\n" + r.body;
                            if (r.dripMs <= 0) {
                                socket->write(out);
                                socket->disconnectFromHost();
                                return;
                            }
                            auto *drip = new QTimer(socket);
                            QObject::connect(drip, &QTimer::timeout, socket, [socket, drip, out, sent = qsizetype(0)]() mutable {
                                if (sent < out.size())
                                    socket->write(out.mid(sent++, 1));
                                else {
                                    drip->stop();
                                    socket->disconnectFromHost();
                                }
                            });
                            drip->start(r.dripMs);
                        });
                    });
                    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                }
            });
        },
        Qt::BlockingQueuedConnection);
}

LocalHttpServer::~LocalHttpServer()
{
    QMetaObject::invokeMethod(&m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void LocalHttpServer::setReply(const Reply &reply)
{
    QMutexLocker lock(&m_mutex);
    m_reply = reply;
}

LocalHttpServer::Reply LocalHttpServer::reply() const
{
    QMutexLocker lock(&m_mutex);
    return m_reply;
}

void LocalHttpServer::record(const QByteArray &head)
{
    QMutexLocker lock(&m_mutex);
    m_requests.append(head);
}

QList<QByteArray> LocalHttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

QString LocalHttpServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

quint16 LocalHttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
