#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

class QTcpServer;

// A tiny HTTP server on 127.0.0.1 with its own thread, so that a blocking client on any
// other thread can talk to it. It answers every request with the reply set last and keeps
// the head of each request as it arrived.
class LocalHttpServer {
public:
    struct Reply {
        QByteArray status = "200 OK";
        QByteArray body;
        int delayMs = 0;            // wait this long before answering
        bool contentLength = true;  // else the body ends when the connection closes
        QByteArray extraHeaders;    // complete lines, each ending in \r\n
        int dripMs = 0;             // send the answer one byte at a time, this far apart
        bool reset = false;         // reset the connection instead of answering
    };

    LocalHttpServer();
    ~LocalHttpServer();

    void setReply(const Reply &reply);
    QString base() const; // http://127.0.0.1:<port>
    QList<QByteArray> requests() const;

    // A loopback port on which nothing listens.
    static quint16 closedPort();

private:
    Reply reply() const;
    void record(const QByteArray &head);

    mutable QMutex m_mutex;
    Reply m_reply;
    QList<QByteArray> m_requests;
    QThread m_thread;
    QObject m_context; // lives in m_thread: the server's work runs there
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
};
