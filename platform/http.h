// Form posts over HTTP and HTTPS with libcurl: certificate checks always on, time-outs on connecting
// and on a stalled transfer, a cap on the reply's size, and a cancel flag that ends a transfer within
// about a second. One connection object keeps its connection open between posts; it is used by one
// thread at a time.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

struct CHttpOptions {
    long connectTimeoutSeconds = 30;
    // A transfer that moves no byte for this long fails.
    long stallTimeoutSeconds = 60;
    size_t maxReplyBytes = size_t(16) << 20;
};

struct CHttpReply {
    enum Outcome { Done, BadUrl, Failed, Cancelled };
    Outcome outcome = Failed;
    long status = 0;    // the HTTP status when Done
    std::string body;   // the reply's bytes when Done
    std::string error;  // what went wrong otherwise
};

// True when the text is an absolute http or https address with a host.
bool IsHttpUrl(const std::string& url);

class CHttpConnection {
public:
    CHttpConnection();
    ~CHttpConnection();
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    void SetOptions(const CHttpOptions& options) { m_options = options; }

    // POSTs the body as "application/x-www-form-urlencoded" (an empty body is sent as a GET).
    // HTTP redirects are followed, never from https to http.
    CHttpReply Post(const std::string& url, const std::string& body,
                    const std::atomic<bool>* cancel = nullptr);

    // Tests only: one more certificate authority file that every connection trusts besides the
    // system's. Empty: none.
    static void SetTestCertificateAuthority(const std::string& caFile);

private:
    void* m_pCurl = nullptr;
    CHttpOptions m_options;
};
