// SPDX-License-Identifier: GPL-3.0-or-later
#include "webserver.h"

#include "gzip.h"

#include <QCryptographicHash>
#include <QMetaObject>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t HeaderLimit = 8 * 1024;

// Equal length and content, in a time that does not tell how much of a guess was right.
bool sameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size() || a.empty())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

// A file as it is served: made once, before the first request.
struct Served
{
    QByteArray body;
    QByteArray gzipped; // empty when compressing does not pay
    QByteArray contentType;
    std::string tag; // the body's ETag, without its quotes
};
using ServedFiles = QHash<QByteArray, Served>;

ServedFiles prepare(const WebServer::Files &files)
{
    ServedFiles served;
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        Served s {file->body, Gzip::compress(file->body), file->contentType, {}};
        // Pictures of a few bytes, and those already compressed, are sent as they are.
        if (s.gzipped.size() > s.body.size() * 9 / 10)
            s.gzipped.clear();
        s.tag = QCryptographicHash::hash(s.body, QCryptographicHash::Sha256)
                    .toHex()
                    .left(32)
                    .toStdString();
        served.insert(file.key(), s);
    }
    return served;
}

// Whether an If-None-Match header names the tag: "*", or the tag among the listed ones,
// weak or strong, since a file is the same whichever way it was compared.
bool namesTag(std::string_view ifNoneMatch, std::string_view quotedTag)
{
    while (!ifNoneMatch.empty()) {
        const std::size_t end = ifNoneMatch.find(',');
        std::string_view candidate = ifNoneMatch.substr(0, end);
        ifNoneMatch
            = end == std::string_view::npos ? std::string_view() : ifNoneMatch.substr(end + 1);
        while (!candidate.empty() && candidate.front() == ' ')
            candidate.remove_prefix(1);
        while (!candidate.empty() && candidate.back() == ' ')
            candidate.remove_suffix(1);
        if (candidate.substr(0, 2) == "W/")
            candidate.remove_prefix(2);
        if (candidate == "*" || candidate == quotedTag)
            return true;
    }
    return false;
}

} // namespace

class Connection;
class Tablet;

// Everything below runs on the server's thread, except construction, listen() and the
// destructor, which run while that thread is not running.
class WebServer::Impl
{
public:
    Impl(WebServer *owner, const Files &files, Limits limits)
        : owner(owner)
        , files(prepare(files))
        , limits(limits)
    { }

    // Every connection is closed on the server's thread and left to finish there, so that no
    // socket outlives the loop that serves it; stopping the loop with work still in it would
    // destroy that work's sockets while the loop's services shut down.
    ~Impl()
    {
        if (!thread.joinable())
            return;
        net::post(ioc, [this] {
            beast::error_code ec;
            acceptor->close(ec);
            // A closer unregisters itself when its connection goes, so work on a copy.
            const auto open = closers;
            for (const auto &[id, close] : open)
                close();
        });
        if (finished.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
            ioc.stop();
        thread.join();
    }

    void accept();
    void closeAll();

    WebServer *owner;
    const ServedFiles files;
    const Limits limits;
    std::string key; // the server's thread only
    int connections = 0;
    std::map<quint64, std::weak_ptr<Tablet>> tablets;
    quint64 nextTablet = 1;
    std::atomic<int> openTablets {0};
    // How to close each open connection, by the number its slot got.
    std::map<quint64, std::function<void()>> closers;
    quint64 nextCloser = 1;
    std::future<void> finished;
    // Declared last, so that the connections its handlers hold go before the state above.
    net::io_context ioc {1};
    std::optional<tcp::acceptor> acceptor;
    std::thread thread;
};

// Counts an open connection from its acceptance to its end, whatever ends it, and knows how
// to close it when the server stops.
class Slot
{
public:
    Slot(WebServer::Impl &impl, std::function<void()> closer)
        : m_impl(&impl)
        , m_id(impl.nextCloser++)
    {
        ++m_impl->connections;
        m_impl->closers.emplace(m_id, std::move(closer));
    }
    Slot(Slot &&other) noexcept
        : m_impl(std::exchange(other.m_impl, nullptr))
        , m_id(other.m_id)
    { }
    Slot(const Slot &) = delete;
    ~Slot()
    {
        if (m_impl) {
            --m_impl->connections;
            m_impl->closers.erase(m_id);
        }
    }

    void setCloser(std::function<void()> closer) { m_impl->closers[m_id] = std::move(closer); }

private:
    WebServer::Impl *m_impl;
    quint64 m_id;
};

class Tablet : public std::enable_shared_from_this<Tablet>
{
public:
    Tablet(WebServer::Impl &impl, beast::tcp_stream &&stream, Slot &&slot)
        : m_impl(impl)
        , m_ws(std::move(stream))
        , m_slot(std::move(slot))
        , m_tokens(impl.limits.pressBurst)
        , m_refilled(Clock::now())
    {
        m_slot.setCloser([this] { beast::get_lowest_layer(m_ws).close(); });
    }

    void start(const http::request<http::empty_body> &request)
    {
        beast::get_lowest_layer(m_ws).expires_never();
        websocket::stream_base::timeout timeout
            = websocket::stream_base::timeout::suggested(beast::role_type::server);
        timeout.idle_timeout = std::chrono::seconds(m_impl.limits.idleSeconds);
        timeout.keep_alive_pings = true;
        m_ws.set_option(timeout);
        m_ws.read_message_max(std::size_t(m_impl.limits.messageBytes));
        m_ws.async_accept(request, [self = shared_from_this()](beast::error_code ec) {
            if (!ec)
                self->opened();
        });
    }

    void send(std::string text)
    {
        if (!m_open)
            return;
        if (int(m_queue.size()) >= m_impl.limits.queuedMessages) {
            // A tablet that takes nothing in would make the server hold every state for it.
            beast::get_lowest_layer(m_ws).socket().close();
            return;
        }
        m_queue.push_back(std::move(text));
        if (m_queue.size() == 1)
            writeNext();
    }

    void close(websocket::close_code code)
    {
        if (!m_open || m_closing)
            return;
        m_closing = true;
        m_ws.async_close(code, [self = shared_from_this()](beast::error_code) {});
    }

private:
    void opened()
    {
        m_id = m_impl.nextTablet++;
        m_impl.tablets[m_id] = weak_from_this();
        m_impl.openTablets = int(m_impl.tablets.size());
        m_open = true;
        const quint64 id = m_id;
        WebServer *owner = m_impl.owner;
        beast::error_code ec;
        const tcp::endpoint endpoint = beast::get_lowest_layer(m_ws).socket().remote_endpoint(ec);
        const QString peer = QString::fromStdString(endpoint.address().to_string());
        QMetaObject::invokeMethod(
            owner, [owner, id, peer] { emit owner->tabletOpened(id, peer); }, Qt::QueuedConnection);
        read();
    }

    void read()
    {
        m_ws.async_read(m_buffer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) {
                self->closed();
                return;
            }
            self->received();
            self->read();
        });
    }

    void received()
    {
        const std::string text = beast::buffers_to_string(m_buffer.data());
        m_buffer.consume(m_buffer.size());
        if (!m_ws.got_text() || !takeToken())
            return;
        const quint64 id = m_id;
        WebServer *owner = m_impl.owner;
        QByteArray bytes(text.data(), qsizetype(text.size()));
        QMetaObject::invokeMethod(
            owner, [owner, id, bytes] { emit owner->tabletMessage(id, bytes); },
            Qt::QueuedConnection);
    }

    bool takeToken()
    {
        const Clock::time_point now = Clock::now();
        const double seconds = std::chrono::duration<double>(now - m_refilled).count();
        m_refilled = now;
        m_tokens = std::min(
            double(m_impl.limits.pressBurst), m_tokens + seconds * m_impl.limits.pressesPerSecond);
        if (m_tokens < 1)
            return false;
        m_tokens -= 1;
        return true;
    }

    void writeNext()
    {
        m_ws.text(true);
        m_ws.async_write(net::buffer(m_queue.front()),
            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                if (ec)
                    return; // the read that is always pending sees the end
                self->m_queue.pop_front();
                if (!self->m_queue.empty())
                    self->writeNext();
            });
    }

    void closed()
    {
        if (!m_open)
            return;
        m_open = false;
        m_impl.tablets.erase(m_id);
        m_impl.openTablets = int(m_impl.tablets.size());
        const quint64 id = m_id;
        WebServer *owner = m_impl.owner;
        QMetaObject::invokeMethod(
            owner, [owner, id] { emit owner->tabletClosed(id); }, Qt::QueuedConnection);
    }

    WebServer::Impl &m_impl;
    websocket::stream<beast::tcp_stream> m_ws;
    Slot m_slot;
    beast::flat_buffer m_buffer;
    std::deque<std::string> m_queue;
    double m_tokens;
    Clock::time_point m_refilled;
    quint64 m_id = 0;
    bool m_open = false;
    bool m_closing = false;
};

// One HTTP connection: requests answered one after the other until the client closes, a
// request breaks a rule, or one turns into a tablet's WebSocket.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    Connection(WebServer::Impl &impl, tcp::socket &&socket)
        : m_impl(impl)
        , m_stream(std::move(socket))
        , m_slot(impl, [this] { m_stream.close(); })
    { }

    void read()
    {
        m_parser.emplace();
        m_parser->header_limit(HeaderLimit);
        m_parser->body_limit(0);
        m_stream.expires_after(std::chrono::seconds(m_impl.limits.requestSeconds));
        http::async_read(m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                if (ec) {
                    self->m_stream.socket().shutdown(tcp::socket::shutdown_both, ec);
                    return;
                }
                self->handle(self->m_parser->release());
            });
    }

private:
    enum class Access { Refused, Granted };

    // The path after the key, or nothing when the key is not the path's first segment.
    std::optional<std::string_view> pathAfterKey(std::string_view target) const
    {
        target = target.substr(0, target.find_first_of("?#"));
        if (target.empty() || target.front() != '/')
            return std::nullopt;
        target.remove_prefix(1);
        const std::size_t end = target.find('/');
        const std::string_view key = target.substr(0, end);
        if (!sameKey(key, m_impl.key))
            return std::nullopt;
        return end == std::string_view::npos ? std::string_view() : target.substr(end + 1);
    }

    void handle(http::request<http::empty_body> request)
    {
        const std::optional<std::string_view> path = pathAfterKey(request.target());
        if (!path) {
            respond(request, http::status::forbidden);
            return;
        }
        const std::string_view bare
            = request.target().substr(0, request.target().find_first_of("?#"));
        if (path->empty() && bare.back() != '/') {
            // The page's files are named relative to it, so its address ends in a slash.
            redirect(request, std::string(bare) + '/');
            return;
        }
        if (websocket::is_upgrade(request)) {
            upgrade(request, *path);
            return;
        }
        if (request.method() != http::verb::get && request.method() != http::verb::head) {
            respond(request, http::status::method_not_allowed);
            return;
        }
        const std::string_view name = path->empty() ? std::string_view("index.html") : *path;
        const auto file = m_impl.files.constFind(QByteArray(name.data(), qsizetype(name.size())));
        if (file == m_impl.files.cend()) {
            respond(request, http::status::not_found);
            return;
        }
        serve(request, *file);
    }

    // A WebSocket from a page of ours: same origin, a free place among the tablets.
    void upgrade(const http::request<http::empty_body> &request, std::string_view path)
    {
        const auto origin = request.find(http::field::origin);
        const auto host = request.find(http::field::host);
        const bool sameOrigin = origin != request.end() && host != request.end()
            && origin->value() == "http://" + std::string(host->value());
        if (path != "ws" || !sameOrigin) {
            respond(request, http::status::forbidden);
            return;
        }
        if (int(m_impl.tablets.size()) >= m_impl.limits.tablets) {
            respond(request, http::status::service_unavailable);
            return;
        }
        std::make_shared<Tablet>(m_impl, std::move(m_stream), std::move(m_slot))->start(request);
    }

    void redirect(const http::request<http::empty_body> &request, const std::string &location)
    {
        auto response = std::make_shared<http::response<http::string_body>>(
            http::status::permanent_redirect, request.version());
        response->set(http::field::location, location);
        response->prepare_payload();
        send(response, request.keep_alive());
    }

    // A refusal or an error: a status and nothing else.
    void respond(const http::request<http::empty_body> &request, http::status status)
    {
        auto response
            = std::make_shared<http::response<http::string_body>>(status, request.version());
        response->set(http::field::server, "zp-webpad");
        response->set(http::field::cache_control, "no-store");
        response->prepare_payload();
        // A refusal ends the connection, so that a stranger's next guess costs a new one.
        send(response, false);
    }

    // One of the page's files, gzipped when the browser takes it. The browser may keep it,
    // but asks each time whether it is still the same, so that a new version of the program
    // is never hidden behind an old copy; the answer to that is a few bytes.
    void serve(const http::request<http::empty_body> &request, const Served &file)
    {
        const auto acceptEncoding = request.find(http::field::accept_encoding);
        const bool gzipped = !file.gzipped.isEmpty() && acceptEncoding != request.end()
            && Gzip::acceptedBy(acceptEncoding->value());
        const std::string tag = '"' + file.tag + (gzipped ? "-gz" : "") + '"';
        const auto ifNoneMatch = request.find(http::field::if_none_match);
        const bool unchanged = ifNoneMatch != request.end() && namesTag(ifNoneMatch->value(), tag);
        const QByteArray &body = gzipped ? file.gzipped : file.body;

        auto response = std::make_shared<http::response<http::span_body<const char>>>(
            unchanged ? http::status::not_modified : http::status::ok, request.version());
        response->set(http::field::server, "zp-webpad");
        response->set(http::field::cache_control, "no-cache");
        response->set(http::field::etag, tag);
        if (!file.gzipped.isEmpty())
            response->set(http::field::vary, "Accept-Encoding");
        if (!unchanged) {
            response->set(http::field::content_type,
                std::string_view(file.contentType.constData(), file.contentType.size()));
            if (gzipped)
                response->set(http::field::content_encoding, "gzip");
            response->set("X-Content-Type-Options", "nosniff");
            response->set("Referrer-Policy", "no-referrer");
            response->set("Content-Security-Policy",
                "default-src 'self'; connect-src 'self' ws:; img-src 'self' data:; "
                "style-src 'self'; frame-ancestors 'none'");
            // The files live as long as the server: the body is sent from where it is kept.
            if (request.method() != http::verb::head)
                response->body() = {body.constData(), std::size_t(body.size())};
            response->content_length(body.size());
        }
        send(response, request.keep_alive());
    }

    template<class Body>
    void send(const std::shared_ptr<http::response<Body>> &response, bool keepAlive)
    {
        response->keep_alive(keepAlive);
        http::async_write(m_stream, *response,
            [self = shared_from_this(), response, keepAlive](beast::error_code ec, std::size_t) {
                if (ec || !keepAlive) {
                    self->m_stream.socket().shutdown(tcp::socket::shutdown_send, ec);
                    return;
                }
                self->read();
            });
    }

    WebServer::Impl &m_impl;
    beast::tcp_stream m_stream;
    Slot m_slot;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::empty_body>> m_parser;
};

void WebServer::Impl::accept()
{
    acceptor->async_accept(ioc, [this](beast::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted)
            return;
        if (!ec) {
            if (connections >= limits.connections) {
                socket.close(ec);
            } else {
                // A tablet's state and flash are small writes in quick succession: none may
                // wait for the acknowledgement of the one before.
                socket.set_option(tcp::no_delay(true), ec);
                std::make_shared<Connection>(*this, std::move(socket))->read();
            }
        }
        accept();
    });
}

void WebServer::Impl::closeAll()
{
    for (auto &[id, weak] : tablets)
        if (const std::shared_ptr<Tablet> tablet = weak.lock())
            tablet->close(websocket::close_code::policy_error);
}

WebServer::WebServer(const Files &files, QObject *parent)
    : WebServer(files, Limits {}, parent)
{ }

WebServer::WebServer(const Files &files, const Limits &limits, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Impl>(this, files, limits))
{ }

WebServer::~WebServer() = default;

bool WebServer::listen(const QHostAddress &address, quint16 port)
{
    beast::error_code ec;
    const net::ip::address ip = net::ip::make_address(address.toString().toStdString(), ec);
    if (ec) {
        m_error = QStringLiteral("not an address: %1").arg(address.toString());
        return false;
    }
    tcp::acceptor acceptor(d->ioc);
    const tcp::endpoint endpoint(ip, port);
    acceptor.open(endpoint.protocol(), ec);
#ifndef _WIN32
    // On Windows this option would let another program take the port from under us; on
    // other systems it only lets a restart bind while old connections linger.
    if (!ec)
        acceptor.set_option(net::socket_base::reuse_address(true), ec);
#endif
    if (!ec)
        acceptor.bind(endpoint, ec);
    if (!ec)
        acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        m_error = QString::fromStdString(ec.message());
        return false;
    }
    m_port = acceptor.local_endpoint().port();
    d->acceptor.emplace(std::move(acceptor));
    d->key = m_key.toStdString();
    d->accept();
    std::promise<void> finished;
    d->finished = finished.get_future();
    d->thread = std::thread([impl = d.get(), finished = std::move(finished)]() mutable {
        impl->ioc.run();
        finished.set_value();
    });
    return true;
}

void WebServer::setKey(const QByteArray &key)
{
    m_key = key;
    if (!d->thread.joinable()) {
        d->key = key.toStdString();
        return;
    }
    net::post(d->ioc, [impl = d.get(), key = key.toStdString()] {
        impl->key = key;
        impl->closeAll();
    });
}

void WebServer::send(quint64 tablet, const QByteArray &text)
{
    net::post(d->ioc, [impl = d.get(), tablet, text = text.toStdString()]() mutable {
        const auto found = impl->tablets.find(tablet);
        if (found != impl->tablets.end())
            if (const std::shared_ptr<Tablet> t = found->second.lock())
                t->send(std::move(text));
    });
}

void WebServer::close(quint64 tablet)
{
    net::post(d->ioc, [impl = d.get(), tablet] {
        const auto found = impl->tablets.find(tablet);
        if (found != impl->tablets.end())
            if (const std::shared_ptr<Tablet> t = found->second.lock())
                t->close(websocket::close_code::normal);
    });
}

int WebServer::openTablets() const
{
    return d->openTablets;
}
