// SPDX-License-Identifier: GPL-3.0-or-later
// The CDDB client against a real server on 127.0.0.1, over CDDBP and HTTP.
#include "cddb/cddbclient.h"

#include "../support/cddbserver.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;
using testserver::TestCddbServer;

namespace {

const QByteArray kRecord = "# xmcd CD database file\r\n"
                           "DISCID=0a0b0c0d\r\n"
                           "DTITLE=Artist / Album\r\n"
                           "DYEAR=1999\r\n"
                           "TTITLE0=One\r\n"
                           "TTITLE1=Two.\r\n"
                           "TTITLE2=Three\r\n"
                           "EXTD=\r\n";

// The first example of the disc id: three files of 100 seconds.
DiscToc threeFiles()
{
    DiscToc toc;
    toc.discId = u"09013303"_s;
    toc.trackCount = 3;
    toc.offsets = {150, 7650, 15300};
    toc.discSeconds = 306;
    return toc;
}

const QString kQuery = u"cddb query 09013303 3 150 7650 15300 306"_s;

struct Run
{
    QStringList messages;
    QList<QStringList> offered;
    LookupState state;
    QString record;
    bool finished = false;
    qint64 ms = 0;
};

struct Setup
{
    bool http = false;
    TestCddbServer* second = nullptr;
    bool useSecond = true;
    QString logPath;
    int timeoutMs = 3000;
    std::function<MatchChoice(const QStringList&, bool)> choose;
};

Run lookup(TestCddbServer& server, const CddbQuery& query, const Setup& setup = {})
{
    CddbSettings s;
    s.first = {u"127.0.0.1"_s, server.cddbpPort()};
    s.http = setup.http;
    s.httpPort = server.httpPort();
    s.second = {u"127.0.0.1"_s, setup.second ? setup.second->cddbpPort() : quint16(1)};
    s.useSecondServer = setup.useSecond;
    s.email = u"user@example.com"_s;
    s.version = u"0.1.0"_s;
    s.logPath = setup.logPath;
    s.connectTimeoutMs = setup.timeoutMs;
    s.answerTimeoutMs = setup.timeoutMs;
    CddbClient client(s);
    Run run;
    client.setChoiceHook([&](const QStringList& lines, bool second) {
        run.offered.append(lines);
        return setup.choose ? setup.choose(lines, second) : MatchChoice{MatchChoice::Chosen, 0};
    });
    QObject::connect(&client, &CddbClient::messageRaised,
                     [&](const QString& m) { run.messages.append(m); });
    QSignalSpy finished(&client, &CddbClient::finished);
    QElapsedTimer timer;
    timer.start();
    client.lookup(query);
    if (finished.isEmpty())
        finished.wait(setup.timeoutMs * 4 + 5000);
    run.ms = timer.elapsed();
    run.finished = finished.size() == 1;
    run.state = client.state();
    run.record = client.recordText();
    return run;
}

CddbQuery fixed(const QString& category, const QString& id)
{
    CddbQuery q;
    q.category = category;
    q.discId = id;
    return q;
}

CddbQuery byToc()
{
    CddbQuery q;
    q.toc = threeFiles();
    return q;
}

} // namespace

class TestCddbClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void queryAndReadOverBothTransports_data();
    void queryAndReadOverBothTransports();
    void inexactMatchesOfferEveryLine_data();
    void inexactMatchesOfferEveryLine();
    void fixedIdReadsWithoutAChoice_data();
    void fixedIdReadsWithoutAChoice();
    void noMatchTriesTheSecondServerOnce_data();
    void noMatchTriesTheSecondServerOnce();
    void errorAnswers_data();
    void errorAnswers();
    void greetingsAreNoMatches_data();
    void greetingsAreNoMatches();
    void choices();
    void misbehavingServersEndTheLookup_data();
    void misbehavingServersEndTheLookup();
    void debugLog();
    void answerReaderReassembles();
};

void TestCddbClient::queryAndReadOverBothTransports_data()
{
    QTest::addColumn<bool>("http");
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("cddbp") << false << 0;
    QTest::newRow("cddbp, pieces of 1 byte") << false << 1;
    QTest::newRow("cddbp, pieces of 7 bytes") << false << 7;
    QTest::newRow("http") << true << 0;
    QTest::newRow("http, pieces of 5 bytes") << true << 5;
}

void TestCddbClient::queryAndReadOverBothTransports()
{
    QFETCH(bool, http);
    QFETCH(int, pieceSize);
    TestCddbServer server;
    server.pieceSize = pieceSize;
    server.queryAnswers[kQuery] = "200 rock 0a0b0c0d Artist / Album\r\n";
    server.records[u"rock 0a0b0c0d"_s] = kRecord;
    const Run run = lookup(server, byToc(), {.http = http});
    QVERIFY(run.finished);
    QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join(u'\n')));
    QCOMPARE(run.offered, QList<QStringList>{{u"rock 0a0b0c0d Artist / Album"_s}});
    QVERIFY(run.state.receivingRecord);
    QCOMPARE(run.state.chosenCategory, u"rock"_s);
    QCOMPARE(run.state.chosenTitle, u"Artist / Album"_s);
    QVERIFY(run.record.contains(u"TTITLE2=Three"_s));
    QVERIFY(run.record.contains(u"TTITLE1=Two."_s));
    if (http) {
        const QString hello = u"&hello=user+example.com+Mp3_Varnolite+0.1.0&proto=1"_s;
        QCOMPARE(
            server.httpTargets,
            (QStringList{u"/~cddb/cddb.cgi?cmd=cddb+query+09013303+3+150+7650+15300+306"_s + hello,
                         u"/~cddb/cddb.cgi?cmd=cddb+read+rock+0a0b0c0d"_s + hello}));
    } else {
        QCOMPARE(server.commands, (QStringList{u"cddb hello user example.com Mp3_Varnolite 0.1.0"_s,
                                               kQuery, u"cddb read rock 0a0b0c0d"_s}));
    }
}

void TestCddbClient::inexactMatchesOfferEveryLine_data()
{
    QTest::addColumn<bool>("http");
    QTest::newRow("cddbp") << false;
    QTest::newRow("http") << true;
}

void TestCddbClient::inexactMatchesOfferEveryLine()
{
    QFETCH(bool, http);
    TestCddbServer server;
    server.pieceSize = 3;
    server.queryAnswers[kQuery] =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "rock 0a0b0c0d Artist / Album\r\n"
        "misc 0a0b0c0e Artist / Album (Live)\r\n"
        "jazz 11111111 Other / Thing\r\n"
        ".\r\n";
    server.records[u"misc 0a0b0c0e"_s] = kRecord;
    const Run run = lookup(server, byToc(), {.http = http, .choose = [](const QStringList&, bool) {
                                                 return MatchChoice{MatchChoice::Chosen, 1};
                                             }});
    QCOMPARE(run.offered.size(), 1);
    QCOMPARE(run.offered.front(), (QStringList{u"rock 0a0b0c0d Artist / Album"_s,
                                               u"misc 0a0b0c0e Artist / Album (Live)"_s,
                                               u"jazz 11111111 Other / Thing"_s}));
    QVERIFY(run.state.receivingRecord);
    QCOMPARE(run.state.chosenCategory, u"misc"_s);
    QCOMPARE(run.state.chosenTitle, u"Artist / Album (Live)"_s);
}

void TestCddbClient::fixedIdReadsWithoutAChoice_data()
{
    QTest::addColumn<bool>("http");
    QTest::newRow("cddbp") << false;
    QTest::newRow("http") << true;
}

void TestCddbClient::fixedIdReadsWithoutAChoice()
{
    QFETCH(bool, http);
    TestCddbServer server;
    server.records[u"rock 0a0b0c0d"_s] = kRecord;
    const Run run = lookup(server, fixed(u"rock"_s, u"0a0b0c0d"_s), {.http = http});
    QVERIFY(run.offered.isEmpty());
    QVERIFY(run.state.receivingRecord);
    QCOMPARE(run.state.chosenCategory, u"rock"_s);
    if (http)
        QVERIFY(server.httpTargets.front().startsWith(
            u"/~cddb/cddb.cgi?cmd=cddb+read+rock+0a0b0c0d&hello="));
    else
        QCOMPARE(server.commands.value(1), u"cddb read rock 0a0b0c0d"_s);
}

void TestCddbClient::noMatchTriesTheSecondServerOnce_data()
{
    QTest::addColumn<bool>("http");
    QTest::addColumn<bool>("useSecond");
    QTest::newRow("cddbp") << false << true;
    QTest::newRow("http") << true << true;
    QTest::newRow("cddbp, second server off") << false << false;
}

void TestCddbClient::noMatchTriesTheSecondServerOnce()
{
    QFETCH(bool, http);
    QFETCH(bool, useSecond);
    // Over HTTP both servers are the same host and port: the requests are counted together.
    TestCddbServer first;
    TestCddbServer second;
    const Run run =
        lookup(first, byToc(), {.http = http, .second = &second, .useSecond = useSecond});
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList{u"No match for disk ID."_s});
    QVERIFY(!run.state.receivingRecord);
    const int queries = int(
        (http ? first.httpTargets : first.commands + second.commands).filter(u"query"_s).size());
    QCOMPARE(queries, useSecond ? 2 : 1);
    QCOMPARE(run.state.onSecondServer, useSecond);
}

void TestCddbClient::errorAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("http");
    const QList<std::pair<QByteArray, QString>> cases = {
        {"500 Command syntax error: bad\r\n", u"Syntax error reported by server!"_s},
        {"530 Server error\r\n", u"Timeout on connecting server!"_s},
        {"401 rock 0a0b0c0d No such CD entry in database.\r\n", u"No such CD entry in database!"_s},
        {"501 Invalid disc ID.\r\n", u"Invalid disc ID"_s},
        {"501 Illegal protocol level.\r\n", u"Illegal Protokol level, please contact author!!"_s},
        {"403 Database entry is corrupt.\r\n",
         u"The server refused: 403 Database entry is corrupt."_s},
        {"211 Found inexact matches, list follows (until terminating `.')\r\n"
         "rock 0a0b0c0d Artist / Best of access limit\r\n.\r\n",
         u"Database access limit reached. Try another server."_s},
        {"211 Found inexact matches, list follows (until terminating `.')\r\n.\r\n",
         u"No match for disk ID."_s},
        {"200 rock\r\n", u"No match for disk ID."_s},
    };
    for (const bool http : {false, true}) {
        for (const auto& [answer, message] : cases)
            QTest::addRow("%s %s", http ? "http" : "cddbp",
                          answer.left(24).simplified().constData())
                << answer << message << http;
    }
}

void TestCddbClient::errorAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, message);
    QFETCH(bool, http);
    TestCddbServer server;
    server.queryAnswers[kQuery] = answer;
    const Run run = lookup(server, byToc(), {.http = http, .useSecond = false});
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList{message});
    QVERIFY(!run.state.receivingRecord);
}

void TestCddbClient::greetingsAreNoMatches_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<bool>("together");
    QTest::newRow("201 banner") << QByteArray("201 testhost CDDBP server v1.5 ready\r\n") << false;
    QTest::newRow("200 banner of a known server")
        << QByteArray("200 gnudb CDDBP server v1.5.2PL0 ready at now\r\n") << false;
    QTest::newRow("200 banner of an unknown server")
        << QByteArray("200 mirror.example CDDBP server ready\r\n") << false;
    QTest::newRow("banner and hello answer in one read")
        << QByteArray("200 mirror.example CDDBP server ready\r\n") << true;
}

void TestCddbClient::greetingsAreNoMatches()
{
    QFETCH(QByteArray, greeting);
    QFETCH(bool, together);
    TestCddbServer server;
    server.greeting = greeting;
    server.greetingWithHello = together;
    server.queryAnswers[kQuery] = "200 rock 0a0b0c0d Artist / Album\r\n";
    server.records[u"rock 0a0b0c0d"_s] = kRecord;
    const Run run = lookup(server, byToc());
    QCOMPARE(run.offered, QList<QStringList>{{u"rock 0a0b0c0d Artist / Album"_s}});
    QVERIFY(run.state.receivingRecord);
}

void TestCddbClient::choices()
{
    TestCddbServer server;
    TestCddbServer second;
    server.queryAnswers[kQuery] = "200 rock 0a0b0c0d Artist / Album\r\n";
    second.queryAnswers[kQuery] = "200 jazz 0a0b0c0d Artist / Album\r\n";
    second.records[u"jazz 0a0b0c0d"_s] = kRecord;

    // Cancelled: no record, no message, the exchange ends.
    Run run = lookup(server, byToc(), {.choose = [](const QStringList&, bool) {
                         return MatchChoice{MatchChoice::Cancelled, 0};
                     }});
    QVERIFY(run.finished);
    QVERIFY(run.messages.isEmpty());
    QVERIFY(!run.state.receivingRecord);

    // "Try Server #2" is offered on the first server only, and reads from the second.
    QList<bool> offeredSecond;
    run = lookup(server, byToc(),
                 {.second = &second, .choose = [&](const QStringList&, bool s) {
                      offeredSecond.append(s);
                      return MatchChoice{s ? MatchChoice::TrySecondServer : MatchChoice::Chosen, 0};
                  }});
    QCOMPARE(offeredSecond, (QList<bool>{true, false}));
    QVERIFY(run.state.receivingRecord);
    QCOMPARE(run.state.chosenCategory, u"jazz"_s);
}

void TestCddbClient::misbehavingServersEndTheLookup_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("http");
    QTest::addColumn<QString>("message");
    for (const bool http : {false, true}) {
        const char* t = http ? "http" : "cddbp";
        QTest::addRow("%s silent", t)
            << int(TestCddbServer::Behaviour::Silent) << http << u"Timeout on connecting server!"_s;
        QTest::addRow("%s garbage", t)
            << int(TestCddbServer::Behaviour::Garbage) << http
            << (http ? u"The server's answer was not understood: <html>nothing to see</html>"_s
                     : u"Timeout on connecting server!"_s);
        QTest::addRow("%s 10 MiB", t) << int(TestCddbServer::Behaviour::Flood) << http
                                      << u"The server's answer is larger than 1048576 bytes."_s;
    }
}

void TestCddbClient::misbehavingServersEndTheLookup()
{
    QFETCH(int, behaviour);
    QFETCH(bool, http);
    QFETCH(QString, message);
    TestCddbServer server;
    server.behaviour = TestCddbServer::Behaviour(behaviour);
    const Run run = lookup(server, byToc(), {.http = http, .useSecond = false, .timeoutMs = 400});
    QVERIFY(run.finished);
    QCOMPARE(run.messages, QStringList{message});
    QVERIFY(!run.state.receivingRecord);
    QVERIFY2(run.ms < 5000, qPrintable(QString::number(run.ms)));
}

void TestCddbClient::debugLog()
{
    QTemporaryDir dir;
    TestCddbServer server;
    server.records[u"rock 0a0b0c0d"_s] = kRecord;
    lookup(server, fixed(u"rock"_s, u"0a0b0c0d"_s));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    const QString path = dir.filePath(u"mp3varnolite_cddb.log"_s);
    server.queryAnswers[kQuery] = "200 rock 0a0b0c0d Artist / Album\r\n";
    lookup(server, byToc(), {.logPath = path});
    QFile log(path);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    QVERIFY2(text.contains(u" Connected to 127.0.0.1:"_s), qPrintable(text));
    QVERIFY(text.contains(u"cddb hello user example.com Mp3_Varnolite 0.1.0\r\n\r\n"_s));
    QVERIFY(text.contains(kQuery + u"\r\n\r\n"_s));
    QVERIFY(text.contains(u"cddb read rock 0a0b0c0d\r\n\r\n"_s));
    QVERIFY(text.contains(u"TTITLE2=Three"_s));
    QVERIFY(text.contains(u" Disconnected from 127.0.0.1:"_s));
}

void TestCddbClient::answerReaderReassembles()
{
    const QByteArray stream = "201 greeting\r\n200 Hello and welcome\n"
                              "210 rock 0a0b0c0d entry follows\r\nTTITLE0=A.\r\n.\r\n";
    for (int piece : {1, 2, 5, 13, int(stream.size())}) {
        CddbAnswerReader reader;
        QList<QByteArray> answers;
        for (qsizetype i = 0; i < stream.size(); i += piece) {
            reader.append(stream.mid(i, piece));
            while (const auto a = reader.next())
                answers.append(*a);
        }
        QCOMPARE(answers,
                 (QList<QByteArray>{"201 greeting\r\n", "200 Hello and welcome\r\n",
                                    "210 rock 0a0b0c0d entry follows\r\nTTITLE0=A.\r\n.\r\n"}));
        QCOMPARE(reader.pending(), 0);
    }
}

QTEST_GUILESS_MAIN(TestCddbClient)
#include "tst_cddbclient.moc"
