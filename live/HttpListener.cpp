#include "live/HttpListener.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

// What one connection has read of its current request.
struct HttpListener::Pending {
    QByteArray buffer;
    bool haveHead = false;
    bool keepAlive = true;
    qint64 bodyLength = 0;
    qint64 draining = 0;   // bytes of a refused body still read and dropped before closing
    bool awaiting = false; // the request is with the handler
    bool closing = false;  // refused: nothing more is read from the connection
    HttpRequest request;
};

namespace {

const char* reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return status >= 500 ? "Internal Server Error" : "Error";
    }
}

// Parses the head (request line and fields); the status to refuse it with, or 0.
int parseHead(const QByteArray& head, HttpListener::Pending& p) {
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() != 3 || !first[2].startsWith("HTTP/1."))
        return 400;
    p.request.method = first[0];
    const QByteArray target = first[1];
    const qsizetype q = target.indexOf('?');
    p.request.path = q < 0 ? target : target.left(q);
    p.request.query = q < 0 ? QByteArray() : target.mid(q + 1);
    p.keepAlive = first[2] != "HTTP/1.0";
    bool haveLength = false;
    p.bodyLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            if (!ok || length < 0 || (haveLength && length != p.bodyLength))
                return 400;
            p.bodyLength = length;
            haveLength = true;
        } else if (name == "transfer-encoding") {
            return 411; // a body must say its length up front, so that it can be bounded
        } else if (name == "connection") {
            const QByteArray token = value.toLower();
            if (token == "close")
                p.keepAlive = false;
            else if (token == "keep-alive")
                p.keepAlive = true;
        }
    }
    return 0;
}

} // namespace

HttpListener::HttpListener(BodyLimit limit, Handler handler, Refusal refusal, QObject* parent)
    : QObject(parent), m_limit(std::move(limit)), m_handler(std::move(handler)),
      m_refusal(std::move(refusal)), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &HttpListener::accept);
}

HttpListener::~HttpListener() = default;

bool HttpListener::listen(const QHostAddress& address, quint16 port) {
    return m_server->listen(address, port);
}

quint16 HttpListener::port() const {
    return m_server->serverPort();
}

QString HttpListener::errorString() const {
    return m_server->errorString();
}

void HttpListener::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_connections >= kConnectionLimit) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        auto pending = std::make_shared<Pending>();
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->start(kIdleMs);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        // Qt would otherwise take in whatever the client sends, however much.
        socket->setReadBufferSize(kHeadLimit + 64 * 1024);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, pending, idle] {
            idle->start(kIdleMs);
            serve(socket, pending);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --m_connections;
            socket->deleteLater();
        });
    }
}

void HttpListener::serve(QTcpSocket* socket, const std::shared_ptr<Pending>& pending) {
    Pending& p = *pending;
    if (p.draining > 0) {
        drain(socket, p.draining);
        return;
    }
    if (p.closing)
        return;
    // Never more than the head limit or the body still owed is taken in; the
    // next request on the connection waits until this one is answered.
    while (!p.awaiting) {
        if (!p.haveHead) {
            p.buffer += socket->read(kHeadLimit + 4 - p.buffer.size());
            const qsizetype end = p.buffer.indexOf("\r\n\r\n");
            if (end < 0) {
                if (p.buffer.size() > kHeadLimit) {
                    p.closing = true;
                    send(socket, m_refusal(431), false);
                    return;
                }
                if (socket->bytesAvailable() == 0)
                    return;
                continue;
            }
            const QByteArray head = p.buffer.left(end);
            p.buffer.remove(0, end + 4);
            p.request = {};
            if (const int refused = parseHead(head, p)) {
                p.closing = true;
                send(socket, m_refusal(refused), false);
                return;
            }
            if (p.bodyLength > m_limit(p.request.method, p.request.path)) {
                // Refused unread. The body is then dropped as it comes (up to a
                // bound), so that the client is not reset before it reads the
                // refusal.
                socket->write(replyBytes(m_refusal(413), false));
                p.closing = true;
                p.buffer.clear();
                p.draining = std::min<qint64>(p.bodyLength, kDrainLimit);
                drain(socket, p.draining);
                return;
            }
            p.haveHead = true;
        }
        if (p.buffer.size() < p.bodyLength)
            p.buffer += socket->read(p.bodyLength - p.buffer.size());
        if (p.buffer.size() < p.bodyLength)
            return;
        p.request.body = p.buffer.left(p.bodyLength);
        p.buffer.remove(0, p.bodyLength);
        p.haveHead = false;
        p.awaiting = true;
        const bool keepAlive = p.keepAlive;
        QPointer<QTcpSocket> alive(socket);
        m_handler(p.request, [this, alive, pending, keepAlive](const HttpReply& reply) {
            if (!alive || !pending->awaiting)
                return;
            pending->awaiting = false;
            send(alive, reply, keepAlive);
            if (keepAlive && alive->state() == QAbstractSocket::ConnectedState &&
                (!pending->buffer.isEmpty() || alive->bytesAvailable() > 0))
                QMetaObject::invokeMethod(
                    this,
                    [this, alive, pending] {
                        if (alive)
                            serve(alive, pending);
                    },
                    Qt::QueuedConnection);
        });
    }
}

void HttpListener::drain(QTcpSocket* socket, qint64& left) {
    while (left > 0 && socket->bytesAvailable() > 0)
        left -= socket->read(std::min<qint64>(left, 16 * 1024)).size();
    if (left <= 0)
        socket->disconnectFromHost();
}

QByteArray HttpListener::replyBytes(const HttpReply& reply, bool keepAlive) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' +
                      reasonPhrase(reply.status) + "\r\nContent-Type: " + reply.contentType +
                      "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                      "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                      "Connection: " +
                      (keepAlive ? "keep-alive" : "close") + "\r\n\r\n";
    return head + reply.body;
}

void HttpListener::send(QTcpSocket* socket, const HttpReply& reply, bool keepAlive) {
    socket->write(replyBytes(reply, keepAlive));
    if (!keepAlive)
        socket->disconnectFromHost();
}
