// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A tablet for the tests: Beast's own WebSocket client, run on a thread of its own, whose
// messages pile up for the test to look at, so that the test's thread stays free to run the
// server's queued calls. Plain HTTP requests are one-shot helpers beside it.
class WsClient
{
public:
    struct Request
    {
        std::string target;
        std::string origin; // empty: no Origin header
        std::string host = "127.0.0.1";
    };

    // Connects and upgrades; the HTTP status of a refused upgrade is in refusedStatus().
    bool open(quint16 port, const Request &request)
    {
        namespace http = boost::beast::http;
        boost::beast::error_code ec;
        m_ws.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), port}, ec);
        if (ec)
            return false;
        m_ws.set_option(boost::beast::websocket::stream_base::decorator(
            [request](boost::beast::websocket::request_type &req) {
                if (!request.origin.empty())
                    req.set(http::field::origin, request.origin);
            }));
        boost::beast::websocket::response_type response;
        m_ws.handshake(response, request.host + ':' + std::to_string(port), request.target, ec);
        if (ec) {
            m_refusedStatus = int(response.result_int());
            return false;
        }
        read();
        m_thread = std::thread([this] { m_ioc.run(); });
        return true;
    }

    ~WsClient()
    {
        if (m_thread.joinable()) {
            drop();
            m_work.reset();
            m_thread.join();
        }
    }

    // False once the server has closed the connection.
    bool send(const QByteArray &text)
    {
        std::promise<bool> sent;
        boost::asio::post(m_ioc, [this, &sent, text = text.toStdString()] {
            boost::beast::error_code ec;
            m_ws.text(true);
            // Written from the client's thread, where the reads run too.
            m_ws.write(boost::asio::buffer(text), ec);
            sent.set_value(!ec);
        });
        return sent.get_future().get();
    }

    QList<QByteArray> received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    bool isClosed() const { return m_closed; }
    int refusedStatus() const { return m_refusedStatus; }

    // Drops the TCP connection without a closing handshake, as a tablet that sleeps does.
    void drop()
    {
        boost::asio::post(m_ioc, [this] {
            boost::beast::error_code ec;
            m_ws.next_layer().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ec);
        });
    }

    using Response = boost::beast::http::response<boost::beast::http::string_body>;
    using Fields = std::vector<std::pair<boost::beast::http::field, std::string>>;

    // A plain request with these header fields, and its response as it came; nothing when
    // the connection or the exchange failed.
    static std::optional<Response> fetch(quint16 port, const std::string &target,
        const Fields &fields = {}, boost::beast::http::verb verb = boost::beast::http::verb::get)
    {
        namespace http = boost::beast::http;
        boost::asio::io_context ioc;
        boost::asio::ip::tcp::socket socket(ioc);
        boost::beast::error_code ec;
        socket.connect({boost::asio::ip::make_address("127.0.0.1"), port}, ec);
        if (ec)
            return std::nullopt;
        http::request<http::empty_body> request(verb, target, 11);
        request.set(http::field::host, "127.0.0.1:" + std::to_string(port));
        for (const auto &[field, value] : fields)
            request.set(field, value);
        http::write(socket, request, ec);
        boost::beast::flat_buffer buffer;
        Response response;
        http::read(socket, buffer, response, ec);
        if (ec)
            return std::nullopt;
        return response;
    }

    // A plain request's status code; 0 when the connection failed.
    static int status(quint16 port, const std::string &target,
        boost::beast::http::verb verb = boost::beast::http::verb::get)
    {
        const std::optional<Response> response = fetch(port, target, {}, verb);
        return response ? int(response->result_int()) : 0;
    }

private:
    void read()
    {
        m_ws.async_read(m_buffer, [this](boost::beast::error_code ec, std::size_t) {
            if (ec) {
                m_closed = true;
                return;
            }
            const std::string text = boost::beast::buffers_to_string(m_buffer.data());
            m_buffer.consume(m_buffer.size());
            {
                std::lock_guard lock(m_mutex);
                m_received.append(QByteArray(text.data(), qsizetype(text.size())));
            }
            read();
        });
    }

    boost::asio::io_context m_ioc;
    // Keeps the client's thread alive after the server closed, so that send() still returns.
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> m_work
        = boost::asio::make_work_guard(m_ioc);
    boost::beast::websocket::stream<boost::asio::ip::tcp::socket> m_ws {m_ioc};
    boost::beast::flat_buffer m_buffer;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_received;
    std::atomic<bool> m_closed {false};
    int m_refusedStatus = 0;
};
