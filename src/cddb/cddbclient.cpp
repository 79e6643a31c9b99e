// SPDX-License-Identifier: GPL-3.0-or-later
#include "cddb/cddbclient.h"

#include "core/textcodec.h"

#include <QFile>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTime>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// Greeting banners that start like an exact match ("200 ...") but are none.
const QStringList& knownGreetings()
{
    static const QStringList greetings = {u"200 gnudb"_s, u"200 freedb"_s};
    return greetings;
}

bool isStatus(QByteArrayView line)
{
    return line.size() >= 3 && std::isdigit(uchar(line[0])) && std::isdigit(uchar(line[1])) &&
           std::isdigit(uchar(line[2])) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

QString firstLine(const QString& text)
{
    const qsizetype end = text.indexOf(u'\n');
    QString line = end < 0 ? text : text.left(end);
    if (line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

std::pair<QString, QString> splitEmail(const QString& email)
{
    const qsizetype at = email.indexOf(u'@');
    if (at < 0)
        return {email, u"localhost"_s};
    return {email.left(at), email.mid(at + 1)};
}

} // namespace

// --- CddbAnswerReader -------------------------------------------------------------------------

std::optional<QByteArray> CddbAnswerReader::next()
{
    // The status line.
    const qsizetype firstEnd = m_buffer.indexOf('\n');
    if (firstEnd < 0)
        return std::nullopt;
    const QByteArrayView status = QByteArrayView(m_buffer).first(firstEnd);
    const bool multiLine = isStatus(status) && status[1] == '1';
    qsizetype end = firstEnd + 1;
    if (multiLine) {
        // Every line up to a line holding a single ".".
        qsizetype from = qMax(end, m_scanned);
        for (;;) {
            const qsizetype lineEnd = m_buffer.indexOf('\n', from);
            if (lineEnd < 0) {
                m_scanned = from;
                return std::nullopt;
            }
            QByteArrayView line = QByteArrayView(m_buffer).sliced(from, lineEnd - from);
            if (line.endsWith('\r'))
                line.chop(1);
            from = lineEnd + 1;
            if (line == ".")
                break;
        }
        end = from;
    }
    QByteArray answer = m_buffer.left(end);
    m_buffer.remove(0, end);
    m_scanned = 0;
    // Every line ends in CR LF.
    QByteArray normal;
    normal.reserve(answer.size() + 16);
    for (qsizetype i = 0; i < answer.size(); ++i) {
        if (answer[i] == '\n' && (i == 0 || answer[i - 1] != '\r'))
            normal.append('\r');
        normal.append(answer[i]);
    }
    return normal;
}

// --- CddbClient -------------------------------------------------------------------------------

CddbClient::CddbClient(CddbSettings settings, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CddbClient::onTimeout);
}

CddbClient::~CddbClient()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QString CddbClient::helloSuffix(const QString& email, const QString& version)
{
    const auto [user, host] = splitEmail(email);
    return u"&hello="_s + user + u'+' + host + u"+Mp3_Varnolite+"_s + version + u"&proto=1"_s;
}

QString CddbClient::helloLine(const QString& email, const QString& version)
{
    const auto [user, host] = splitEmail(email);
    return u"cddb hello "_s + user + u' ' + host + u" Mp3_Varnolite "_s + version;
}

QString CddbClient::recordText() const
{
    return m_state.recordChunks.join(u"\r\n"_s);
}

const CddbServer& CddbClient::server() const
{
    return m_state.onSecondServer ? m_settings.second : m_settings.first;
}

void CddbClient::lookup(const CddbQuery& query)
{
    if (m_running) {
        // The lookup in progress is abandoned without naming.
        m_restartPending = true;
        closeConnection();
        m_restartPending = false;
    }
    m_query = query;
    m_state = LookupState{};
    m_running = true;
    attempt();
}

void CddbClient::abort()
{
    if (m_running)
        closeConnection();
}

void CddbClient::attempt()
{
    m_state.choicePending = true;
    m_state.receivingRecord = false;
    m_state.recordChunks.clear();
    m_state.chosenCategory.clear();
    m_state.chosenTitle.clear();
    m_commandSent = false;
    m_requestPending = false;
    m_reader = CddbAnswerReader();
    const CddbServer& s = server();
    const QString hello = helloSuffix(m_settings.email, m_settings.version);

    if (!m_query.toc) {
        // A fixed id: no choice, and the naming takes the category as typed.
        m_state.choicePending = false;
        m_state.chosenCategory = m_query.category;
        const QString target = m_query.category + u' ' + m_query.discId;
        if (!m_settings.http) {
            m_state.serverLabel = s.host + u':' + QString::number(s.port);
            m_state.pendingCommand = u"cddb read "_s + target + u"\r\n"_s;
        } else {
            m_state.serverLabel = s.host;
            QString plus = target;
            plus.replace(u' ', u'+');
            const QString path = u"/~cddb/cddb.cgi?cmd=cddb+read+"_s + plus + hello;
            log(path);
            setStatus(u"Connected to "_s + m_state.serverLabel);
            sendHttp(path);
            return;
        }
    } else {
        const DiscToc& toc = *m_query.toc;
        if (!m_settings.http) {
            m_state.pendingCommand = cddbQueryLine(toc) + u"\r\n"_s;
            m_state.serverLabel = s.host + u':' + QString::number(s.port);
            log(timeText() + u" Connected to "_s + m_state.serverLabel);
        } else {
            m_state.serverLabel = s.host;
            QStringList offsets;
            for (const qint64 o : toc.offsets)
                offsets.append(QString::number(o));
            const QString path = u"/~cddb/cddb.cgi?cmd=cddb+query+"_s + toc.discId + u'+' +
                                 QString::number(toc.trackCount) + u'+' + offsets.join(u'+') +
                                 u'+' + QString::number(toc.discSeconds) + hello;
            setStatus(u"Connected to "_s + m_state.serverLabel);
            log(timeText() + u" Connected to http://"_s + s.host + path);
            setStatus(u"Connecting to "_s + s.host);
            sendHttp(path);
            return;
        }
    }

    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &CddbClient::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &CddbClient::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &CddbClient::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CddbClient::onSocketError);
    connect(m_socket, &QTcpSocket::bytesWritten, this,
            [this] { setStatus(u"Sending data to "_s + m_state.serverLabel); });
    setStatus(u"Connecting to "_s + m_state.serverLabel);
    armTimer(m_settings.connectTimeoutMs);
    m_socket->connectToHost(s.host, s.port);
}

void CddbClient::armTimer(int ms)
{
    m_timer.start(ms);
}

void CddbClient::onTimeout()
{
    if (m_running)
        fail(u"Timeout on connecting server!"_s);
}

void CddbClient::onConnected()
{
    setStatus(u"Connected to "_s + m_state.serverLabel);
    const QString hello = helloLine(m_settings.email, m_settings.version) + u"\r\n"_s;
    m_socket->write(hello.toUtf8());
    log(hello);
    armTimer(m_settings.answerTimeoutMs);
}

void CddbClient::onReadyRead()
{
    QTcpSocket* socket = m_socket;
    if (!socket)
        return;
    armTimer(m_settings.answerTimeoutMs);
    m_reader.append(socket->readAll());
    const QString tooLarge =
        u"The server's answer is larger than %1 bytes."_s.arg(m_settings.maxAnswerBytes);
    while (m_socket == socket && m_running) {
        const std::optional<QByteArray> answer = m_reader.next();
        if (!answer)
            break;
        if (answer->size() > m_settings.maxAnswerBytes)
            return fail(tooLarge);
        const QString text = decodeText(*answer);
        log(text);
        handleCddbResponse(text);
    }
    if (m_socket == socket && m_running && m_reader.pending() > m_settings.maxAnswerBytes)
        fail(tooLarge);
}

void CddbClient::onDisconnected()
{
    closeConnection();
}

void CddbClient::onSocketError()
{
    if (!m_socket || !m_running)
        return;
    fail(m_socket->errorString());
}

void CddbClient::closeConnection()
{
    if (m_socket) {
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (!m_restartPending)
        endExchange();
}

void CddbClient::endExchange()
{
    if (!m_running)
        return;
    m_running = false;
    m_timer.stop();
    setStatus(u"Disconnected."_s);
    Q_EMIT finished();
    log(timeText() + u" Disconnected from "_s + m_state.serverLabel);
}

void CddbClient::fail(const QString& message)
{
    m_state.receivingRecord = false;
    Q_EMIT messageRaised(message);
    closeConnection();
}

void CddbClient::scheduleSecondServer()
{
    m_state.onSecondServer = true;
    setStatus(u"Trying server #2 @ "_s + m_settings.second.host);
    m_restartPending = true;
    closeConnection();
    // The new attempt begins after the handling of the current answer has finished.
    QTimer::singleShot(0, this, [this] {
        m_restartPending = false;
        if (m_running)
            attempt();
    });
}

void CddbClient::sendCommand(const QString& line)
{
    if (m_settings.http)
        return;
    if (m_socket)
        m_socket->write(line.toUtf8());
    log(line);
    m_commandSent = true;
}

void CddbClient::sendHttp(const QString& path)
{
    m_requestPending = true;
    m_commandSent = true;
    if (!m_http) {
        m_http = new QNetworkAccessManager(this);
        connect(m_http, &QNetworkAccessManager::finished, this, &CddbClient::onHttpFinished);
    }
    const CddbProxy& p = m_settings.proxy;
    m_http->setProxy(
        p.use ? QNetworkProxy(QNetworkProxy::Socks5Proxy, p.host, p.port, p.user, p.password)
              : QNetworkProxy(QNetworkProxy::NoProxy));
    const QUrl url(u"http://"_s + server().host + u':' + QString::number(m_settings.httpPort) +
                       path,
                   QUrl::TolerantMode);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_http->get(request);
    armTimer(m_settings.connectTimeoutMs);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::requestSent, this,
            [this] { armTimer(m_settings.answerTimeoutMs); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        armTimer(m_settings.answerTimeoutMs);
        if (reply == m_reply && reply->bytesAvailable() > m_settings.maxAnswerBytes)
            fail(u"The server's answer is larger than %1 bytes."_s.arg(m_settings.maxAnswerBytes));
    });
}

void CddbClient::onHttpFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != m_reply || !m_running)
        return;
    m_reply = nullptr;
    m_timer.stop();
    if (reply->error() != QNetworkReply::NoError) {
        fail(reply->errorString());
        return;
    }
    const QString text = decodeText(reply->readAll());
    log(text);
    m_requestPending = false;
    handleCddbResponse(text);
    // Nothing more was asked and no rule ended the exchange: the answer made no sense.
    if (m_running && !m_requestPending && !m_restartPending)
        fail(u"The server's answer was not understood: "_s + firstLine(text).left(200));
}

void CddbClient::handleCddbResponse(const QString& text)
{
    setStatus(u"Reading data from "_s + m_state.serverLabel);
    if (text.isEmpty())
        return;
    if (text.startsWith(u"500 Command syntax error"))
        return fail(u"Syntax error reported by server!"_s);
    if (text.startsWith(u"530 "))
        return fail(u"Timeout on connecting server!"_s);
    if (text.startsWith(u"401 "))
        return fail(u"No such CD entry in database!"_s);
    if (text.startsWith(u"501 "))
        return fail(text.startsWith(u"501 Invalid disc ID")
                        ? u"Invalid disc ID"_s
                        : u"Illegal Protokol level, please contact author!!"_s);
    if (text.startsWith(u"202 No match")) {
        if (m_settings.useSecondServer && !m_state.onSecondServer)
            return scheduleSecondServer();
        return fail(u"No match for disk ID."_s);
    }
    if (text.contains(u"access limit"))
        return fail(u"Database access limit reached. Try another server."_s);
    // Any other refusal (a failed handshake, a corrupt entry, no connections allowed) ends the
    // exchange with the server's own words instead of waiting for the timeout.
    if (!m_state.receivingRecord && (text.startsWith(u'4') || text.startsWith(u'5')) &&
        isStatus(QStringView(text).first(qMin<qsizetype>(text.size(), 4)).toLatin1()))
        return fail(u"The server refused: "_s + firstLine(text));

    // The record.
    if (text.toLower().contains(u"# xmcd cd database") || m_state.receivingRecord) {
        m_state.receivingRecord = true;
        m_state.recordChunks.append(text);
    }
    // Its end.
    if (m_settings.http || (text.size() >= 3 && text[text.size() - 3] == u'.')) {
        if (m_state.receivingRecord) {
            if (m_settings.http)
                endExchange();
            else
                closeConnection();
            return;
        }
    }
    // The greeting: the command follows the hello.
    if (text.contains(u"Hello and welcome")) {
        sendCommand(m_state.pendingCommand);
        return;
    }
    // Matches.
    bool match = text.contains(u"211 Found inexact matches") || text.contains(u"until terminating");
    if (!match && text.startsWith(u"200 ") && !text.startsWith(u"200 Hello")) {
        match = true;
        for (const QString& greeting : knownGreetings()) {
            if (text.contains(greeting))
                match = false;
        }
    }
    if (!match || !m_state.choicePending || !m_commandSent)
        return;
    m_state.choicePending = false;
    QStringList lines;
    if (text.startsWith(u"200 ")) {
        lines.append(firstLine(text).mid(4));
    } else {
        QStringList all = text.split(u"\r\n"_s);
        if (!all.isEmpty() && all.back().isEmpty())
            all.removeLast();
        for (qsizetype i = 1; i < all.size(); ++i) {
            if (!all[i].startsWith(u'.'))
                lines.append(all[i]);
        }
    }
    if (lines.isEmpty())
        return fail(u"No match for disk ID."_s);
    const MatchChoice choice =
        m_choose ? m_choose(lines, !m_state.onSecondServer) : MatchChoice{MatchChoice::Chosen, 0};
    if (!m_running)
        return;
    if (choice.kind == MatchChoice::TrySecondServer && !m_state.onSecondServer)
        return scheduleSecondServer();
    if (choice.kind != MatchChoice::Chosen) {
        if (m_settings.http) {
            setStatus(u"Disconnected."_s);
            log(timeText() + u" Disconnected from "_s + m_state.serverLabel);
        }
        return closeConnection();
    }
    const QString line = lines.value(qBound<qsizetype>(0, choice.index, lines.size() - 1));
    const qsizetype first = line.indexOf(u' ');
    const qsizetype second = first < 0 ? -1 : line.indexOf(u' ', first + 1);
    if (second < 0)
        return fail(u"No match for disk ID."_s);
    m_state.chosenCategory = line.left(first);
    const QString discId = line.mid(first + 1, second - first - 1);
    m_state.chosenTitle = line.mid(second + 1);
    if (m_settings.http) {
        const QString path = u"/~cddb/cddb.cgi?cmd=cddb+read+"_s + m_state.chosenCategory + u'+' +
                             discId + helloSuffix(m_settings.email, m_settings.version);
        log(path);
        sendHttp(path);
    } else {
        sendCommand(u"cddb read "_s + m_state.chosenCategory + u' ' + discId + u"\r\n"_s);
    }
}

void CddbClient::setStatus(const QString& text)
{
    Q_EMIT statusChanged(text);
}

QString CddbClient::timeText() const
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat);
}

void CddbClient::log(const QString& text) const
{
    if (m_settings.logPath.isEmpty())
        return;
    QFile file(m_settings.logPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((text + u"\r\n"_s).toUtf8());
}

} // namespace varnolite
