// What a real client sends from a jar we wrote: curl reads the jar and connects to a socket on the
// loopback address, where the Cookie header of its request is read.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/BoardMode.h"
#include "board/CBBSData.h"
#include "posix/desktop/SystemClock.h"
#include "posix/stores/NetscapeCookieJar.h"
#include "support/TempDir.h"

namespace tessel {
namespace {

TEST(CurlClientTest, CurlSendsTheBoardCookieWeWrote) {
    if (std::system("command -v curl >/dev/null") != 0)
        GTEST_SKIP() << "curl is not installed";
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    ASSERT_TRUE(bind(listener, generic, length) == 0 && listen(listener, 1) == 0 &&
                getsockname(listener, generic, &length) == 0);
    const std::string url =
        "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/cgi-bin/bbs.cgi";

    testing::TempDir dir;
    SystemClock clock;  // curl judges expiry by the real time
    NetscapeCookieJar jar(dir.File("cookies.txt"), clock);
    CBBSData board(jar, clock);
    board.Mode(kModeFernoBBS);
    board.URL(url);
    // The wave dash as a Linux input method types it, sent as a Japanese Windows system sends it.
    board.PostName("Taro太郎\u301C");
    board.ViewCount(20);
    board.NoReadView(1);
    board.DownloadCount(30);
    ASSERT_TRUE(board.SetCookie());

    // -q: no ~/.curlrc; no proxy from the environment; bounded in time. It gets no answer.
    FILE* curl = popen(("curl -q -s --noproxy '*' --max-time 10 -b '" + dir.File("cookies.txt") +
                        "' '" + url + "'")
                           .c_str(),
                       "r");
    ASSERT_NE(curl, nullptr);
    const timeval timeout{10, 0};  // a client that never comes cannot hang the suite
    setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string request;
    char buffer[4096];
    for (ssize_t count = 1; count > 0 && request.find("\r\n\r\n") == std::string::npos;) {
        count = recv(connection, buffer, sizeof buffer, 0);
        request.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    close(connection);
    close(listener);
    pclose(curl);
    const std::string value = "Taro\x91\xBE\x98\x59\x81\x60,,,,20,0,1,0,30";  // Windows-31J
    EXPECT_NE(request.find("\r\nCookie: " + url + "=" + value + "\r\n"), std::string::npos)
        << request;
    EXPECT_EQ(request.find("Cookie:"), request.rfind("Cookie:")) << "one Cookie header";
}

}  // namespace
}  // namespace tessel
