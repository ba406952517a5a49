// SPDX-License-Identifier: GPL-3.0-or-later

#include "gunzip.h"
#include "webserver.h"
#include "wsclient.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray Key = "k0k1k2k3k4k5k6k7k8k9kA";

// A picture's text, long enough for compressing to pay.
QByteArray largePicture()
{
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\">";
    for (int i = 0; i < 500; ++i)
        svg += "<path d=\"m" + QByteArray::number(i) + " 4c1 2 3-4 5 6\" fill=\"#102030\"/>";
    return svg + "</svg>";
}

WebServer::Files files()
{
    return {
        {"index.html", {"<!DOCTYPE html><title>page</title>", "text/html; charset=utf-8"}},
        {"pictures/a.svg", {"<svg/>", "image/svg+xml"}},
        {"pictures/large.svg", {largePicture(), "image/svg+xml"}},
    };
}

using Field = boost::beast::http::field;

QByteArray header(const WsClient::Response &response, Field field)
{
    const auto found = response.find(field);
    return found == response.end()
        ? QByteArray()
        : QByteArray(found->value().data(), qsizetype(found->value().size()));
}

std::string origin(quint16 port)
{
    return "http://127.0.0.1:" + std::to_string(port);
}

} // namespace

// The door the whole network can knock on: only the key opens it, only our own files come
// out, and a tablet can neither make the server hold much nor flood the ZP server.
class tst_WebServer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_server = std::make_unique<WebServer>(files(), m_limits);
        m_server->setKey(Key);
        QVERIFY2(m_server->listen(QHostAddress::LocalHost, 0), qPrintable(m_server->errorString()));
    }
    void cleanup() { m_server.reset(); }

    void request_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status");
        const QByteArray k = '/' + Key;
        QTest::newRow("the page") << k + '/' << 200;
        QTest::newRow("the page with a query") << k + "/?from=qr" << 200;
        QTest::newRow("a file of the page") << k + "/pictures/a.svg" << 200;
        QTest::newRow("the key without its slash") << k << 308;
        QTest::newRow("no key") << QByteArray("/") << 403;
        QTest::newRow("no key, a file") << QByteArray("/index.html") << 403;
        QTest::newRow("a wrong key") << QByteArray("/k0k1k2k3k4k5k6k7k8k9kB/") << 403;
        QTest::newRow("the key with more") << k + "x/" << 403;
        QTest::newRow("the key cut short") << k.chopped(1) + '/' << 403;
        QTest::newRow("the key after another segment") << "/page" + k + '/' << 403;
        QTest::newRow("a file that is not embedded") << k + "/etc/passwd" << 404;
        QTest::newRow("a way out of the page") << k + "/../index.html" << 404;
        QTest::newRow("the WebSocket's path as a page") << k + "/ws" << 404;
    }
    void request()
    {
        QFETCH(QByteArray, target);
        QTEST(WsClient::status(m_server->port(), target.toStdString()), "status");
    }

    void methodOtherThanGet()
    {
        const std::string k = '/' + Key.toStdString() + '/';
        QCOMPARE(WsClient::status(m_server->port(), k, boost::beast::http::verb::post), 405);
        QCOMPARE(WsClient::status(m_server->port(), "/", boost::beast::http::verb::post), 403);
    }

    // The body as the browser reads it, whichever coding the server chose.
    void coding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("acceptEncoding"); // empty: no such header
        QTest::addColumn<bool>("gzipped");
        QTest::newRow("a large picture, to a browser")
            << QByteArray("pictures/large.svg") << QByteArray("gzip, deflate, br") << true;
        QTest::newRow("a large picture, to a client without gzip")
            << QByteArray("pictures/large.svg") << QByteArray() << false;
        QTest::newRow("a large picture, gzip refused")
            << QByteArray("pictures/large.svg") << QByteArray("gzip;q=0, deflate") << false;
        QTest::newRow("a few bytes, which do not pay")
            << QByteArray("pictures/a.svg") << QByteArray("gzip") << false;
    }
    void coding()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, acceptEncoding);
        QFETCH(bool, gzipped);
        WsClient::Fields fields;
        if (!acceptEncoding.isEmpty())
            fields.emplace_back(Field::accept_encoding, acceptEncoding.toStdString());
        const auto response
            = WsClient::fetch(m_server->port(), '/' + (Key + '/' + file).toStdString(), fields);
        QVERIFY(response);
        QCOMPARE(response->result_int(), 200u);
        const QByteArray body = QByteArray::fromStdString(response->body());
        const QByteArray expected = files().value(file).body;
        QCOMPARE(header(*response, Field::content_encoding), QByteArray(gzipped ? "gzip" : ""));
        if (gzipped) {
            QVERIFY(body.size() < expected.size() / 2);
            const std::optional<QByteArray> decoded = gunzip(body);
            QVERIFY(decoded);
            QCOMPARE(*decoded, expected);
        } else {
            QCOMPARE(body, expected);
        }
        // A cache between the browser and us must not hand one coding to the other.
        if (file == "pictures/large.svg")
            QCOMPARE(header(*response, Field::vary), QByteArray("Accept-Encoding"));
    }

    // A browser that kept a file asks whether it changed, and gets only "no" when it did not.
    void revalidation()
    {
        const std::string target = '/' + Key.toStdString() + "/pictures/large.svg";
        const WsClient::Fields gzip {{Field::accept_encoding, "gzip"}};
        const auto plain = WsClient::fetch(m_server->port(), target);
        const auto gzipped = WsClient::fetch(m_server->port(), target, gzip);
        QVERIFY(plain && gzipped);
        const std::string plainTag = header(*plain, Field::etag).toStdString();
        const std::string gzippedTag = header(*gzipped, Field::etag).toStdString();
        QVERIFY(!plainTag.empty());
        QVERIFY(plainTag != gzippedTag); // different bytes, different tags

        struct Case
        {
            const char *what;
            WsClient::Fields fields;
            unsigned status;
        };
        const Case cases[] = {
            {"its own tag", {{Field::if_none_match, plainTag}}, 304},
            {"its tag among others", {{Field::if_none_match, "\"x\", W/" + plainTag}}, 304},
            {"the gzipped tag, gzipped", {gzip.front(), {Field::if_none_match, gzippedTag}}, 304},
            {"the gzipped tag, not gzipped", {{Field::if_none_match, gzippedTag}}, 200},
            {"another tag", {{Field::if_none_match, "\"0123\""}}, 200},
        };
        for (const Case &c : cases) {
            const auto response = WsClient::fetch(m_server->port(), target, c.fields);
            QVERIFY2(response, c.what);
            QVERIFY2(response->result_int() == c.status, c.what);
            QVERIFY2(response->result_int() == 200 || response->body().empty(), c.what);
        }
    }

    // Neither the coding nor the tags open anything without the key.
    void refusalsWhateverTheHeaders_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("no key") << QByteArray("/pictures/large.svg");
        QTest::newRow("a wrong key") << QByteArray("/k0k1k2k3k4k5k6k7k8k9kB/pictures/large.svg");
    }
    void refusalsWhateverTheHeaders()
    {
        QFETCH(QByteArray, target);
        const auto response = WsClient::fetch(m_server->port(), target.toStdString(),
            {{Field::accept_encoding, "gzip"}, {Field::if_none_match, "*"}});
        QVERIFY(response);
        QCOMPARE(response->result_int(), 403u);
        QVERIFY(response->body().empty());
        QVERIFY(header(*response, Field::content_encoding).isEmpty());
        QVERIFY(header(*response, Field::etag).isEmpty());
    }

    void upgrade_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("origin"); // "same" for the server's own
        QTest::addColumn<int>("refusal"); // 0: opened
        const QByteArray ws = '/' + Key + "/ws";
        QTest::newRow("a page of ours") << ws << QByteArray("same") << 0;
        QTest::newRow("no key") << QByteArray("/ws") << QByteArray("same") << 403;
        QTest::newRow("a wrong key")
            << QByteArray("/k0k1k2k3k4k5k6k7k8k9kB/ws") << QByteArray("same") << 403;
        QTest::newRow("another site's page") << ws << QByteArray("http://example.invalid") << 403;
        QTest::newRow("a secure origin") << ws << QByteArray("https://127.0.0.1") << 403;
        QTest::newRow("no origin") << ws << QByteArray() << 403;
        QTest::newRow("another path") << '/' + Key + "/socket" << QByteArray("same") << 403;
    }
    void upgrade()
    {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, origin);
        QFETCH(int, refusal);
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        WsClient client;
        const std::string from
            = origin == "same" ? ::origin(m_server->port()) : origin.toStdString();
        const bool open = client.open(m_server->port(), {target.toStdString(), from});
        QCOMPARE(open, refusal == 0);
        if (open) {
            QVERIFY(opened.wait());
        } else {
            QCOMPARE(client.refusedStatus(), refusal);
            QTest::qWait(50);
            QCOMPARE(opened.size(), 0);
        }
    }

    void messagesReachTheOwner()
    {
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        QSignalSpy messages(m_server.get(), &WebServer::tabletMessage);
        WsClient client;
        QVERIFY(client.open(m_server->port(), tabletRequest()));
        QVERIFY(opened.wait());
        const quint64 id = opened.at(0).at(0).toULongLong();
        QVERIFY(client.send(R"({"t":"press","name":"a6"})"));
        QVERIFY(messages.wait());
        QCOMPARE(messages.at(0).at(0).toULongLong(), id);
        QCOMPARE(messages.at(0).at(1).toByteArray(), QByteArray(R"({"t":"press","name":"a6"})"));

        m_server->send(id, R"({"t":"flash","name":"a6"})");
        QTRY_COMPARE(client.received(), QList<QByteArray> {R"({"t":"flash","name":"a6"})"});
    }

    void oversizedMessageClosesItsConnection()
    {
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        QSignalSpy messages(m_server.get(), &WebServer::tabletMessage);
        QSignalSpy closed(m_server.get(), &WebServer::tabletClosed);
        WsClient client;
        QVERIFY(client.open(m_server->port(), tabletRequest()));
        QVERIFY(opened.wait());
        client.send(QByteArray(m_limits.messageBytes + 1, 'x'));
        QVERIFY(closed.wait());
        QTRY_VERIFY(client.isClosed());
        QCOMPARE(messages.size(), 0);

        // Only that connection: another tablet is still served.
        WsClient other;
        QVERIFY(other.open(m_server->port(), tabletRequest()));
        QVERIFY(opened.wait());
        QVERIFY(other.send(QByteArray(m_limits.messageBytes, 'y')));
        QVERIFY(messages.wait());
    }

    // A burst as fast as the wire takes it: the first messages up to the burst pass, the rest
    // are dropped, and the connection stays open.
    void floodIsDropped()
    {
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        QSignalSpy messages(m_server.get(), &WebServer::tabletMessage);
        WsClient client;
        QVERIFY(client.open(m_server->port(), tabletRequest()));
        QVERIFY(opened.wait());
        constexpr int Sent = 500;
        QElapsedTimer onTheWire;
        onTheWire.start();
        for (int i = 0; i < Sent; ++i)
            QVERIFY(client.send(R"({"t":"press","name":"a6"})"));
        QTRY_VERIFY(messages.size() >= m_limits.pressBurst);
        QTest::qWait(100);
        // What refilled while the burst was on the wire may pass too, at the human rate: a
        // slow wire (Wine's, on a busy machine) lets more through, but never more than that.
        const qint64 refilled = onTheWire.elapsed() * m_limits.pressesPerSecond / 1000 + 1;
        QVERIFY2(messages.size() <= m_limits.pressBurst + refilled,
            qPrintable(QStringLiteral("%1 passed in %2 ms")
                           .arg(messages.size())
                           .arg(onTheWire.elapsed())));
        QVERIFY(messages.size() < Sent);
        QVERIFY(!client.isClosed());
    }

    void tabletsAreLimited()
    {
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        std::vector<std::unique_ptr<WsClient>> clients;
        for (int i = 0; i < m_limits.tablets; ++i) {
            clients.push_back(std::make_unique<WsClient>());
            QVERIFY(clients.back()->open(m_server->port(), tabletRequest()));
        }
        QTRY_COMPARE(opened.size(), m_limits.tablets);
        WsClient oneTooMany;
        QVERIFY(!oneTooMany.open(m_server->port(), tabletRequest()));
        QCOMPARE(oneTooMany.refusedStatus(), 503);

        // A place that frees up is taken again.
        QSignalSpy closed(m_server.get(), &WebServer::tabletClosed);
        clients.front()->drop();
        QVERIFY(closed.wait());
        WsClient next;
        QVERIFY(next.open(m_server->port(), tabletRequest()));
    }

    void newKeyClosesTabletsOfTheOldOne()
    {
        QSignalSpy opened(m_server.get(), &WebServer::tabletOpened);
        QSignalSpy closed(m_server.get(), &WebServer::tabletClosed);
        WsClient client;
        QVERIFY(client.open(m_server->port(), tabletRequest()));
        QVERIFY(opened.wait());
        const QByteArray renewed = "n0n1n2n3n4n5n6n7n8n9nA";
        m_server->setKey(renewed);
        QVERIFY(closed.wait());
        QTRY_VERIFY(client.isClosed());
        QCOMPARE(WsClient::status(m_server->port(), '/' + Key.toStdString() + '/'), 403);
        QCOMPARE(WsClient::status(m_server->port(), '/' + renewed.toStdString() + '/'), 200);
    }

private:
    WsClient::Request tabletRequest() const
    {
        return {'/' + Key.toStdString() + "/ws", origin(m_server->port())};
    }

    WebServer::Limits m_limits = [] {
        WebServer::Limits limits;
        limits.tablets = 3;
        limits.messageBytes = 256;
        limits.pressBurst = 20;
        limits.pressesPerSecond = 10;
        return limits;
    }();
    std::unique_ptr<WebServer> m_server;
};

QTEST_GUILESS_MAIN(tst_WebServer)
#include "tst_webserver.moc"
