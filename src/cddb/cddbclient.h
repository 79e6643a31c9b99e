// SPDX-License-Identifier: GPL-3.0-or-later
// The CDDB client: asks a server for the disc record of an album over CDDBP (a TCP text
// protocol) or HTTP, lets the front end choose among the matches, falls back to a second
// server once, and leaves the record in its lookup state for the naming step. Everything runs
// on the event loop; nothing blocks.
#pragma once

#include "cddb/discid.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTcpSocket;

namespace varnolite {

struct CddbServer
{
    QString host;
    quint16 port = 8880; // CDDBP only; HTTP always uses port 80
};

struct CddbProxy
{
    bool use = false; // "Benutze Proxy": a SOCKS proxy for HTTP
    QString host;
    quint16 port = 1080;
    QString user;
    QString password;
};

struct CddbSettings
{
    CddbServer first{QStringLiteral("gnudb.gnudb.org"), 8880};
    CddbServer second{QStringLiteral("freedb.dbpoweramp.com"), 888};
    bool useSecondServer = true; // try the second server when the first has no match
    bool http = false;
    quint16 httpPort = 80;
    CddbProxy proxy;
    QString email = QStringLiteral("user@example.com");
    QString logPath; // the debug log "mp3varnolite_cddb.log"; empty: no log
    QString version; // the program's version as the hello sends it ("1.2.3")
    int connectTimeoutMs = 15000;
    int answerTimeoutMs = 30000;
    qint64 maxAnswerBytes = 1 << 20;
};

/// What is looked up: a table of contents (from files or a CD), or a fixed category and id.
struct CddbQuery
{
    std::optional<DiscToc> toc;
    QString category; // fixed id
    QString discId;
};

/// The state of one lookup; the naming step reads it when the lookup has finished.
struct LookupState
{
    QString pendingCommand; // sent once the server has answered the hello
    QString serverLabel;    // "host:port" (CDDBP) or "host" (HTTP)
    bool choicePending = false;
    bool receivingRecord = false;
    bool onSecondServer = false;
    QStringList recordChunks; // the answers that make up the record, in order
    QString chosenCategory;
    QString chosenTitle;
};

/// The front end's answer to a list of matches.
struct MatchChoice
{
    enum Kind
    {
        Chosen,
        Cancelled,
        TrySecondServer
    } kind = Cancelled;
    qsizetype index = 0; // of the chosen line
};
/// Asked with the match lines ("category discid artist / title"); `secondServerOffered` says
/// whether "Try Server #2" makes sense.
using ChoiceHook = std::function<MatchChoice(const QStringList& lines, bool secondServerOffered)>;

/// Reassembles CDDBP answers from the bytes of a connection: a status line, and for the
/// multi-line answers (second digit 1: 210, 211, ...) every line up to the terminating ".".
/// Lines are handed on with CR LF ends, whatever the server used.
class CddbAnswerReader
{
public:
    void append(QByteArrayView bytes) { m_buffer.append(bytes); }
    /// The next whole answer, if one is complete.
    std::optional<QByteArray> next();
    /// The bytes received and not yet handed on.
    qsizetype pending() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    qsizetype m_scanned = 0; // where the search for the end of a multi-line answer goes on
};

class CddbClient : public QObject
{
    Q_OBJECT

public:
    explicit CddbClient(CddbSettings settings, QObject* parent = nullptr);
    ~CddbClient() override;

    void setChoiceHook(ChoiceHook hook) { m_choose = std::move(hook); }
    /// Starts a lookup on the first server ("Benenne Album"); a lookup in progress is abandoned.
    void lookup(const CddbQuery& query);
    /// Ends the lookup in progress without a record.
    void abort();
    bool isRunning() const { return m_running; }

    const LookupState& state() const { return m_state; }
    /// The record as the naming step reads it: the chunks joined by CR LF.
    QString recordText() const;

    /// Applies the rules to one whole answer (a reassembled CDDBP answer, or an HTTP body).
    void handleCddbResponse(const QString& text);

    /// "&hello=user+host+Mp3_Varnolite+<version>&proto=1"; user and host from the e-mail
    /// address split at its first "@" (no "@": the address and "localhost").
    static QString helloSuffix(const QString& email, const QString& version);
    /// "cddb hello user host Mp3_Varnolite <version>"
    static QString helloLine(const QString& email, const QString& version);

Q_SIGNALS:
    void statusChanged(const QString& text);
    /// A message for the user (the exchange ends after it).
    void messageRaised(const QString& text);
    /// The lookup is over; state() holds what the naming step needs.
    void finished();

private:
    void attempt();
    void closeConnection();
    void endExchange();
    void scheduleSecondServer();
    void sendCommand(const QString& line);
    void sendHttp(const QString& path);
    void log(const QString& text) const;
    void fail(const QString& message);
    void setStatus(const QString& text);
    QString timeText() const;
    void armTimer(int ms);
    void onTimeout();

    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    void onHttpFinished(QNetworkReply* reply);

    const CddbServer& server() const;

    CddbSettings m_settings;
    ChoiceHook m_choose;
    CddbQuery m_query;
    LookupState m_state;
    QPointer<QTcpSocket> m_socket;
    QNetworkAccessManager* m_http = nullptr;
    QPointer<QNetworkReply> m_reply;
    CddbAnswerReader m_reader;
    QTimer m_timer;
    bool m_running = false;
    bool m_commandSent = false;    // the query or read went out: answers may now be matches
    bool m_requestPending = false; // HTTP: a further request went out during handling
    bool m_restartPending = false; // a new attempt follows the one being closed
    bool m_failed = false;
};

} // namespace varnolite
