#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on the Qt event loop, enough for the live exam and
// bounded everywhere: a request head over 8 KiB, a body over its route's
// limit (told by its Content-Length, refused before a byte of it is read),
// chunked bodies, too many connections and idle connections are all cut off,
// so no client can make it hold more than a few requests' worth of memory.

struct HttpRequest {
    QByteArray method;
    QByteArray path;  // without the query
    QByteArray query; // after "?", undecoded
    QByteArray body;
};

struct HttpReply {
    int status = 200;
    QByteArray contentType = "application/json; charset=utf-8";
    QByteArray body;
};

class HttpListener : public QObject {
    Q_OBJECT
public:
    // The largest body a request may carry, by method and path.
    using BodyLimit = std::function<qint64(const QByteArray& method, const QByteArray& path)>;
    // The handler answers through `respond`, at once or later on the same
    // thread (so that answers arriving together can be stored together).
    using Respond = std::function<void(const HttpReply&)>;
    using Handler = std::function<void(const HttpRequest&, Respond respond)>;
    // The reply to a request refused before it reached the handler (400, 411, 413, 431).
    using Refusal = std::function<HttpReply(int status)>;

    HttpListener(BodyLimit limit, Handler handler, Refusal refusal, QObject* parent = nullptr);
    ~HttpListener() override;

    // Port 0 picks a free port. False, with errorString(), when it cannot listen.
    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const;
    QString errorString() const;

    static constexpr qint64 kHeadLimit = 8 * 1024;
    static constexpr int kConnectionLimit = 512;
    static constexpr int kIdleMs = 60 * 1000;
    static constexpr qint64 kDrainLimit = 1024 * 1024;

    struct Pending;

private:
    void accept();
    void serve(QTcpSocket* socket, const std::shared_ptr<Pending>& pending);
    void send(QTcpSocket* socket, const HttpReply& reply, bool keepAlive);
    static void drain(QTcpSocket* socket, qint64& left);
    static QByteArray replyBytes(const HttpReply& reply, bool keepAlive);

    BodyLimit m_limit;
    Handler m_handler;
    Refusal m_refusal;
    QTcpServer* m_server;
    int m_connections = 0;
};
