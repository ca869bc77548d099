// What a real client sends from a jar we wrote: curl reads the jar and talks to a one-request
// HTTP server on the loopback address, which records the Cookie header it receives.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "posix/NetscapeCookieJar.h"
#include "posix/SystemClock.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

// Accepts one connection on 127.0.0.1, reads the request head and answers 200 with no body.
class OneRequestServer {
  public:
    OneRequestServer() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (bind(listener_, generic, length) == 0 && listen(listener_, 1) == 0 &&
            getsockname(listener_, generic, &length) == 0) {
            port_ = ntohs(address.sin_port);
            thread_ = std::thread([this] { Serve(); });
        }
    }
    ~OneRequestServer() {
        Request();
        close(listener_);
    }

    int Port() const { return port_; }
    std::string Request() {
        if (thread_.joinable())
            thread_.join();
        return request_;
    }

  private:
    void Serve() {
        const timeval timeout{10, 0};  // a client that never comes cannot hang the suite
        setsockopt(listener_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buffer[4096];
        for (ssize_t count = 1; count > 0 && request_.find("\r\n\r\n") == std::string::npos;) {
            count = recv(connection, buffer, sizeof buffer, 0);
            request_.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        }
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        close(connection);
    }

    int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
    std::thread thread_;
    std::string request_;
};

TEST(CurlClientTest, CurlSendsTheBoardCookieWeWrote) {
    if (std::system("command -v curl >/dev/null") != 0)
        GTEST_SKIP() << "curl is not installed";
    testing::TempDir dir;
    SystemClock clock;  // curl judges expiry by the real time
    const struct {
        std::string postName, value;
    } cases[] = {
        {"Taro", "Taro,,,,20,0,1,0,30"},
        {"太郎", "\x91\xBE\x98\x59,,,,20,0,1,0,30"},  // Windows-31J bytes on the wire
        // As a Linux input method types them, sent as a Japanese Windows system sends them.
        {"\u301C\u2212\u2016\u2014\u00A2\u00A3\u00AC",
         "\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA,,,,20,0,1,0,30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.postName);
        OneRequestServer server;
        ASSERT_NE(server.Port(), 0);
        const std::string url =
            "http://127.0.0.1:" + std::to_string(server.Port()) + "/cgi-bin/bbs.cgi";
        const std::string jarPath = dir.File("cookies-" + std::to_string(server.Port()) + ".txt");
        NetscapeCookieJar jar(jarPath, clock);
        CBBSData board(jar, clock);
        board.Mode(kModeFernoBBS);
        board.URL(url);
        board.PostName(c.postName);
        board.ViewCount(20);
        board.NoReadView(1);
        board.DownloadCount(30);
        ASSERT_TRUE(board.SetCookie());

        // -q: no ~/.curlrc; no proxy from the environment; bounded in time.
        const std::string command =
            "curl -q -s --noproxy '*' --max-time 10 -b '" + jarPath + "' '" + url + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        const std::string request = server.Request();
        EXPECT_NE(request.find("\r\nCookie: " + url + "=" + c.value + "\r\n"), std::string::npos)
            << request;
        EXPECT_EQ(request.find("Cookie:"), request.rfind("Cookie:")) << "one Cookie header";
    }
}

}  // namespace
}  // namespace tessel
