// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the browser tap: the least a WebSocket keypad can do. It serves one page whose
// button sends its line on pointerup, and writes every WebSocket message it gets to a TCP
// connection as a line, a thread per connection and nothing else.
// Usage: zp-bench-webpadfloor TCP_PORT   (prints the HTTP port it listens on)
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <cstdio>
#include <string>
#include <thread>

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

const char Page[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<style>html,body{margin:0;height:100%}button{width:100vw;height:100vh;touch-action:none}</style>
</head><body><button id="b" aria-label="a6">a6</button><script>
const ws = new WebSocket('ws://' + location.host + '/ws');
ws.onopen = () => document.documentElement.dataset.link = 'open';
document.getElementById('b').addEventListener('pointerup', () => ws.send('a6'));
</script></body></html>)";

void serve(tcp::socket socket, unsigned short zpPort)
{
    beast::error_code ec;
    beast::flat_buffer buffer;
    http::request<http::string_body> request;
    http::read(socket, buffer, request, ec);
    if (ec)
        return;
    if (!websocket::is_upgrade(request)) {
        http::response<http::string_body> response(http::status::ok, request.version());
        response.set(http::field::content_type, "text/html");
        response.body() = Page;
        response.prepare_payload();
        http::write(socket, response, ec);
        return;
    }
    websocket::stream<tcp::socket> ws(std::move(socket));
    ws.accept(request, ec);
    if (ec)
        return;
    tcp::socket zp(ws.get_executor());
    zp.connect({net::ip::make_address("127.0.0.1"), zpPort}, ec);
    if (ec)
        return;
    for (;;) {
        beast::flat_buffer message;
        ws.read(message, ec);
        if (ec)
            return;
        std::string line = beast::buffers_to_string(message.data()) + "\r\n";
        net::write(zp, net::buffer(line), ec);
        if (ec)
            return;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const auto zpPort = static_cast<unsigned short>(std::stoi(argv[1]));
    net::io_context ioc;
    tcp::acceptor acceptor(ioc, {net::ip::make_address("127.0.0.1"), 0});
    std::printf("%u\n", unsigned(acceptor.local_endpoint().port()));
    std::fflush(stdout);
    for (;;) {
        tcp::socket socket = acceptor.accept();
        std::thread(serve, std::move(socket), zpPort).detach();
    }
}
