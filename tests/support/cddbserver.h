// SPDX-License-Identifier: GPL-3.0-or-later
// A small CDDB server for tests: CDDBP on one port and the HTTP script "/~cddb/cddb.cgi" on
// another, both on 127.0.0.1, serving the records and query answers a test puts in. Answers can
// be cut into pieces of a few bytes, and the server can misbehave on purpose.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testserver {

class TestCddbServer : public QObject
{
public:
    enum class Behaviour
    {
        Normal,
        Silent,  // accepts connections and never answers
        Garbage, // answers every command with bytes that mean nothing
        Flood,   // answers the first command with 10 MiB without a line end
    };

    /// The greeting sent when a CDDBP client connects.
    QByteArray greeting =
        "201 testhost CDDBP server v1.5.2PL0 ready at Fri Dec 11 12:00:00 2026\r\n";
    /// Answers to "cddb query ..." lines (without CR LF); other queries get "202 No match".
    QHash<QString, QByteArray> queryAnswers;
    /// Records by "category discid".
    QHash<QString, QByteArray> records;
    /// Every answer is written in pieces of this many bytes (0: whole).
    int pieceSize = 0;
    /// The greeting and the answer to the hello go out in one write.
    bool greetingWithHello = false;
    Behaviour behaviour = Behaviour::Normal;

    /// What arrived: CDDBP command lines and HTTP request targets, in order.
    QStringList commands;
    QStringList httpTargets;
    int connections = 0;

    TestCddbServer()
    {
        m_cddbp.listen(QHostAddress::LocalHost);
        m_http.listen(QHostAddress::LocalHost);
        connect(&m_cddbp, &QTcpServer::newConnection, this, [this] { acceptCddbp(); });
        connect(&m_http, &QTcpServer::newConnection, this, [this] { acceptHttp(); });
    }

    quint16 cddbpPort() const { return m_cddbp.serverPort(); }
    quint16 httpPort() const { return m_http.serverPort(); }

    static QByteArray readAnswer(const QString& category, const QString& id,
                                 const QByteArray& record)
    {
        return "210 " + category.toUtf8() + ' ' + id.toUtf8() +
               " CD database entry follows (until terminating `.')\r\n" + record + ".\r\n";
    }

    /// The answer to one command line.
    QByteArray answer(const QString& line)
    {
        if (line.startsWith(u"cddb hello "))
            return "200 Hello and welcome " + line.section(u' ', 2, 3).toUtf8() +
                   " running Mp3_Varnolite.\r\n";
        if (line.startsWith(u"cddb query ")) {
            const auto it = queryAnswers.constFind(line);
            return it != queryAnswers.constEnd() ? *it
                                                 : QByteArray("202 No match for disc ID.\r\n");
        }
        if (line.startsWith(u"cddb read ")) {
            const QString key = line.section(u' ', 2, 3);
            const auto it = records.constFind(key);
            if (it == records.constEnd())
                return "401 " + key.toUtf8() + " No such CD entry in database.\r\n";
            return readAnswer(key.section(u' ', 0, 0), key.section(u' ', 1, 1), *it);
        }
        return "500 Command syntax error: command unknown.\r\n";
    }

private:
    void writeInPieces(QTcpSocket* socket, const QByteArray& bytes)
    {
        if (pieceSize <= 0) {
            socket->write(bytes);
            socket->flush();
            return;
        }
        // Pieces go out one event-loop turn apart, so the client sees many reads.
        QList<QByteArray> pieces;
        for (qsizetype i = 0; i < bytes.size(); i += pieceSize)
            pieces.append(bytes.mid(i, pieceSize));
        m_queue[socket] += pieces;
        if (!m_sending.contains(socket))
            sendNext(socket);
    }

    void sendNext(QTcpSocket* socket)
    {
        QPointer<QTcpSocket> guard(socket);
        QList<QByteArray>& queue = m_queue[socket];
        if (queue.isEmpty()) {
            m_sending.remove(socket);
            return;
        }
        m_sending.insert(socket);
        socket->write(queue.takeFirst());
        socket->flush();
        QTimer::singleShot(1, this, [this, guard] {
            if (guard)
                sendNext(guard);
        });
    }

    void acceptCddbp()
    {
        while (QTcpSocket* socket = m_cddbp.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QObject::destroyed, this, [this, socket] {
                m_queue.remove(socket);
                m_sending.remove(socket);
            });
            if (behaviour == Behaviour::Silent)
                continue;
            if (!greetingWithHello)
                writeInPieces(socket, greeting);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readCddbp(socket); });
        }
    }

    void readCddbp(QTcpSocket* socket)
    {
        while (socket->canReadLine()) {
            const QString line = QString::fromUtf8(socket->readLine()).trimmed();
            commands.append(line);
            if (behaviour == Behaviour::Garbage) {
                writeInPieces(socket, "\x01\x02 nothing \xff\xfe to see\r\n");
                continue;
            }
            if (behaviour == Behaviour::Flood) {
                writeInPieces(socket, QByteArray(10 << 20, 'x'));
                continue;
            }
            QByteArray out = answer(line);
            if (greetingWithHello && line.startsWith(u"cddb hello "))
                out.prepend(greeting);
            writeInPieces(socket, out);
        }
    }

    void acceptHttp()
    {
        while (QTcpSocket* socket = m_http.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QObject::destroyed, this, [this, socket] {
                m_queue.remove(socket);
                m_sending.remove(socket);
                m_requests.remove(socket);
            });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHttp(socket); });
        }
    }

    void readHttp(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray target = request.split(' ').value(1);
        httpTargets.append(QString::fromUtf8(target));
        if (behaviour == Behaviour::Silent)
            return;
        QByteArray body;
        if (behaviour == Behaviour::Garbage) {
            body = "<html>nothing to see</html>";
        } else if (behaviour == Behaviour::Flood) {
            body = QByteArray(10 << 20, 'x');
        } else {
            QByteArray cmd = target.mid(target.indexOf("cmd=") + 4);
            cmd = cmd.left(cmd.indexOf('&'));
            cmd.replace('+', ' ');
            body = answer(QString::fromUtf8(cmd));
        }
        writeInPieces(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                                  QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body);
    }

    QHash<QTcpSocket*, QList<QByteArray>> m_queue;
    QSet<QTcpSocket*> m_sending;
    QHash<QTcpSocket*, QByteArray> m_requests;
    // Last, so their connections (which use the tables above) go first.
    QTcpServer m_cddbp;
    QTcpServer m_http;
};

} // namespace testserver
