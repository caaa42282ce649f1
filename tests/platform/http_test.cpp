#include "platform/http.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/web_service.h"

namespace {

class Http : public ::testing::Test {
protected:
    Http() {
        char tmpl[] = "/tmp/cvl-http-XXXXXX";
        folder = mkdtemp(tmpl);
    }
    ~Http() override {
        CHttpConnection::SetTestCertificateAuthority("");
        std::filesystem::remove_all(folder);
    }
    std::string folder;
};

TEST_F(Http, PostsAFormAndReadsTheReply) {
    CTestWebService service(folder);
    CHttpConnection connection;
    const CHttpReply reply = connection.Post(service.Url("/login"), "UserID=ann+b&Pwd=%e9t%e9");
    ASSERT_EQ(reply.outcome, CHttpReply::Done) << reply.error;
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("<Message>Welcome ann b</Message>"), std::string::npos);
    // The same connection serves the next post.
    EXPECT_EQ(connection.Post(service.Url("/down"), "x=1").status, 503);

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].at("method"), "POST");
    EXPECT_EQ(requests[0].at("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].at("Pwd"), "\xc3\xa9t\xc3\xa9");  // sent as Windows-1252 bytes
}

TEST_F(Http, ServerAnswersOtherThanSuccessReachTheCaller) {
    CTestWebService service(folder);
    CHttpConnection connection;
    struct Case {
        const char* path;
        long status;
        const char* body;
    } cases[] = {
        {"/down", 503, "Service down for maintenance"},
        {"/nowhere", 404, "Not found"},
        {"/moved", 200, "<Message>Welcome </Message>"},  // an HTTP redirect is followed
    };
    for (const Case& c : cases) {
        const CHttpReply reply = connection.Post(service.Url(c.path), "a=1");
        ASSERT_EQ(reply.outcome, CHttpReply::Done) << c.path << ": " << reply.error;
        EXPECT_EQ(reply.status, c.status) << c.path;
        EXPECT_NE(reply.body.find(c.body), std::string::npos) << c.path << ": " << reply.body;
    }
    // An empty body is sent as a GET.
    connection.Post(service.Url("/login"), "");
    EXPECT_EQ(service.Requests().back().at("method"), "GET");
}

TEST_F(Http, AddressesThatAreNotHttpAreRefusedBeforeAnyTransfer) {
    CHttpConnection connection;
    for (const char* url :
         {"", "not a url", "www.example.com/x", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://"}) {
        EXPECT_FALSE(IsHttpUrl(url)) << url;
        EXPECT_EQ(connection.Post(url, "a=1").outcome, CHttpReply::BadUrl) << url;
    }
    EXPECT_TRUE(IsHttpUrl("http://127.0.0.1:8080/login?x=1"));
    EXPECT_TRUE(IsHttpUrl("HTTPS://service.example/login"));
}

TEST_F(Http, FailuresOnTheWayAreReportedWithTheirReason) {
    CHttpConnection connection;
    // A port nobody listens on: the connection is refused.
    CHttpReply refused = connection.Post("http://127.0.0.1:1/login", "a=1");
    EXPECT_EQ(refused.outcome, CHttpReply::Failed);
    EXPECT_FALSE(refused.error.empty());

    CTestWebService service(folder);
    CHttpOptions options;
    options.maxReplyBytes = 10;
    connection.SetOptions(options);
    const CHttpReply large = connection.Post(service.Url("/down"), "a=1");
    EXPECT_EQ(large.outcome, CHttpReply::Failed);
    EXPECT_EQ(large.error, "The server's reply is too large");
    EXPECT_TRUE(large.body.empty());

    // A server that stops answering fails after the stall time-out, long before it would answer.
    options = CHttpOptions();
    options.stallTimeoutSeconds = 1;
    connection.SetOptions(options);
    const auto start = std::chrono::steady_clock::now();
    const CHttpReply stalled = connection.Post(service.Url("/slow"), "a=1");
    EXPECT_EQ(stalled.outcome, CHttpReply::Failed);
    EXPECT_NE(stalled.error.find("imeout"), std::string::npos) << stalled.error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(Http, CancelEndsATransferInProgress) {
    CTestWebService service(folder);
    CHttpConnection connection;
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const CHttpReply reply = connection.Post(service.Url("/slow"), "a=1", &cancel);
    canceller.join();
    EXPECT_EQ(reply.outcome, CHttpReply::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(Http, HttpsTrustsOnlyKnownCertificates) {
    CTestWebService service(folder, true);
    CHttpConnection connection;
    // A certificate no authority vouches for is refused.
    const CHttpReply untrusted = connection.Post(service.Url("/login"), "UserID=a");
    EXPECT_EQ(untrusted.outcome, CHttpReply::Failed);
    EXPECT_NE(untrusted.error.find("certificate"), std::string::npos) << untrusted.error;
    EXPECT_TRUE(service.Requests().empty());

    CHttpConnection::SetTestCertificateAuthority(service.CertificateFile());
    const CHttpReply trusted = connection.Post(service.Url("/login"), "UserID=a");
    ASSERT_EQ(trusted.outcome, CHttpReply::Done) << trusted.error;
    EXPECT_NE(trusted.body.find("<Redirect>https://127.0.0.1:"), std::string::npos);
}

}  // namespace
