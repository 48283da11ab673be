#include <gtest/gtest.h>

#include <cerrno>

#include "net/HttpClient.h"
#include "net/HttpUrl.h"
#include "platform/SocketErrors.h"

using namespace quorvel;
using net::HttpError;
using net::HttpTarget;
using net::ParseUrl;

namespace {

std::string ErrorOf(const std::string& url) {
    HttpTarget target;
    try {
        ParseUrl(url, target);
    } catch (const HttpError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(HttpUrl, TakesHostPortAndPath) {
    HttpTarget t;
    ParseUrl("http://www.example.test/app/QvlVer.txt", t);
    EXPECT_EQ(t.host, "www.example.test");
    EXPECT_EQ(t.port, 80);
    EXPECT_EQ(t.path, "/app/QvlVer.txt");
    EXPECT_EQ(t.url, "http://www.example.test/app/QvlVer.txt");

    ParseUrl("http://host.test:8080/x?y=1", t);
    EXPECT_EQ(t.host, "host.test");
    EXPECT_EQ(t.port, 8080);
    EXPECT_EQ(t.path, "/x?y=1");

    // Without "//" the host is the text before the first "/"; the port still follows ":".
    ParseUrl("plain.test:81/a/b", t);
    EXPECT_EQ(t.host, "plain.test");
    EXPECT_EQ(t.port, 81);
    EXPECT_EQ(t.path, "/a/b");
}

TEST(HttpUrl, SchemeDecidesTheDefaultPort) {
    HttpTarget t;
    ParseUrl("ftp://files.test/pub", t);
    EXPECT_EQ(t.port, 21);
    ParseUrl("GOPHER://g.test/", t);
    EXPECT_EQ(t.port, 70);
    ParseUrl("news://n.test/", t);
    EXPECT_EQ(t.port, 80);
    ParseUrl("ftp://files.test:2121/pub", t);
    EXPECT_EQ(t.port, 2121);
}

TEST(HttpUrl, MissingPathBecomesSlash) {
    HttpTarget t;
    ParseUrl("http://bare.test", t);
    EXPECT_EQ(t.host, "bare.test");
    EXPECT_EQ(t.path, "/");
    EXPECT_EQ(t.url, "http://bare.test/");

    ParseUrl("127.0.0.1:9000", t);
    EXPECT_EQ(t.host, "127.0.0.1");
    EXPECT_EQ(t.port, 9000);
    EXPECT_EQ(t.path, "/");
}

TEST(HttpUrl, PathIsCutAt256Characters) {
    HttpTarget t;
    ParseUrl("http://h.test/" + std::string(400, 'p'), t);
    EXPECT_EQ(t.path.size(), 256u);
    EXPECT_EQ(t.path, "/" + std::string(255, 'p'));
}

TEST(HttpUrl, UrlWithoutHostKeepsThePreviousHostAndPort) {
    HttpTarget t;
    ParseUrl("http://first.test:8081/a", t);
    ParseUrl("/second/path", t);
    EXPECT_EQ(t.host, "first.test");
    EXPECT_EQ(t.port, 8081);
    EXPECT_EQ(t.path, "/second/path");
}

TEST(HttpUrl, Errors) {
    EXPECT_EQ(ErrorOf(""), "Empty URL");
    EXPECT_EQ(ErrorOf("https://secure.test/"), "HTTP Secure Socket is not supported");
    EXPECT_EQ(ErrorOf("HTTPS://secure.test/"), "HTTP Secure Socket is not supported");
    EXPECT_EQ(ErrorOf("http://h.test:abc/"), "Invalid port number");
    EXPECT_EQ(ErrorOf("http://h.test:70000/"), "Invalid port number");
    EXPECT_EQ(ErrorOf("http://h.test:0/"), "Invalid port number");
    EXPECT_EQ(ErrorOf("http://h.test/"), "");
}

TEST(HttpUrl, ControlCharactersCannotAddRequestLines) {
    HttpTarget t;
    ParseUrl("http://h.test/a\r\nX-Evil: 1", t);
    const std::string request = net::BuildGetRequest(t, "c=1\r\nX-Evil: 2");
    EXPECT_EQ(request.find("\r\nX-Evil"), std::string::npos);
    EXPECT_EQ(request.rfind("GET /aX-Evil: 1 HTTP/1.0\r\n", 0), 0u);
}

TEST(HttpUrl, RequestLines) {
    HttpTarget t;
    ParseUrl("http://maker.test/app/QvlVer.txt", t);
    const std::string accept1 =
        "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff";
    const std::string accept2 =
        "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript";
    EXPECT_EQ(net::BuildGetRequest(t, ""),
              "GET /app/QvlVer.txt HTTP/1.0\r\nHost: maker.test\r\n" + accept1 + "\r\n" + accept2 +
                  "\r\nContent-type: application/x-www-form-urlencoded\r\n\r\n");
    EXPECT_EQ(net::BuildGetRequest(t, "id=7"),
              "GET /app/QvlVer.txt HTTP/1.0\r\nHost: maker.test\r\n" + accept1 + "\r\n" + accept2 +
                  "\r\nCookie: id=7\r\nContent-type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST(HttpStatusLine, SecondWordAsNumber) {
    EXPECT_EQ(net::ParseStatusLine("HTTP/1.0 200 OK\r\n"), 200);
    EXPECT_EQ(net::ParseStatusLine("HTTP/1.1 302\n"), 302);
    EXPECT_EQ(net::ParseStatusLine("HTTP/1.0   404   Not Found\r\n"), 404);
    EXPECT_EQ(net::ParseStatusLine("173\r\n"), 0);
    EXPECT_EQ(net::ParseStatusLine("hello world\r\n"), 0);
    EXPECT_EQ(net::ParseStatusLine("HTTP/1.0 2x0 OK\r\n"), 0);
    EXPECT_EQ(net::ParseStatusLine("HTTP/1.0 99999 Big\r\n"), 0);
    EXPECT_EQ(net::ParseStatusLine(""), 0);
}

TEST(SocketErrors, WindowsCodesAndTexts) {
    EXPECT_EQ(socketerr::ErrorText(10061), "10061:Connection refused");
    EXPECT_EQ(socketerr::ErrorText(10054), "10054:Connection reset by peer");
    EXPECT_EQ(socketerr::ErrorText(11003), "11003:Non-Recoverable error: FORMERR, REFUSED, NOTIMP");
    EXPECT_EQ(socketerr::ErrorText(10065), "10065:No route to Host");
    EXPECT_EQ(socketerr::ErrorText(10001), "Unknown Error No. 10001");

#ifndef _WIN32
    // Windows reports socket errors as these codes already; only POSIX errno values are mapped.
    EXPECT_EQ(socketerr::FromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(socketerr::FromErrno(ECONNRESET), 10054);
    EXPECT_EQ(socketerr::FromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(socketerr::FromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(socketerr::FromErrno(EWOULDBLOCK), socketerr::kWouldBlock);
#endif

    int described = 0;
    for (int code = 10000; code < 11100; ++code)
        if (*socketerr::Description(code) != '\0') ++described;
    EXPECT_EQ(described, 50);
}
