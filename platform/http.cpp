#include "platform/http.h"

#include <curl/curl.h>

#include <mutex>

namespace {

std::mutex g_caMutex;
std::string g_testCa;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    std::string* body;
    size_t limit;
    bool tooLarge = false;
    const std::atomic<bool>* cancel;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body->size() + bytes > transfer->limit) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body->append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancel && transfer->cancel->load() ? 1 : 0;
}

struct Url {
    CURLU* handle = curl_url();
    ~Url() { curl_url_cleanup(handle); }
};

// The scheme ("http" or "https") of a well-formed address with a host, else empty.
std::string SchemeOf(const std::string& url) {
    Url parsed;
    if (!parsed.handle || curl_url_set(parsed.handle, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    char* scheme = nullptr;
    char* host = nullptr;
    std::string result;
    if (curl_url_get(parsed.handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed.handle, CURLUPART_HOST, &host, 0) == CURLUE_OK && host && *host) {
        const std::string s = scheme;
        if (s == "http" || s == "https") result = s;
    }
    curl_free(scheme);
    curl_free(host);
    return result;
}

}  // namespace

bool IsHttpUrl(const std::string& url) {
    return !SchemeOf(url).empty();
}

CHttpConnection::CHttpConnection() {
    GlobalInit();
    m_pCurl = curl_easy_init();
}

CHttpConnection::~CHttpConnection() {
    if (m_pCurl) curl_easy_cleanup(static_cast<CURL*>(m_pCurl));
}

void CHttpConnection::SetTestCertificateAuthority(const std::string& caFile) {
    std::lock_guard lock(g_caMutex);
    g_testCa = caFile;
}

CHttpReply CHttpConnection::Post(const std::string& url, const std::string& body,
                                 const std::atomic<bool>* cancel) {
    CHttpReply reply;
    const std::string scheme = SchemeOf(url);
    if (scheme.empty()) {
        reply.outcome = CHttpReply::BadUrl;
        return reply;
    }
    auto* curl = static_cast<CURL*>(m_pCurl);
    if (!curl) {
        reply.error = "The HTTP client could not be started";
        return reply;
    }
    curl_easy_reset(curl);
    Transfer transfer{&reply.body, m_options.maxReplyBytes, false, cancel};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
    // No "Expect: 100-continue" round trip before larger bodies.
    headers = curl_slist_append(headers, "Expect:");

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, scheme == "https" ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    std::string ca;
    {
        std::lock_guard lock(g_caMutex);
        ca = g_testCa;
    }
    if (!ca.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, ca.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_options.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_options.stallTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (!body.empty()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_slist_free_all(headers);

    if (code == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
        reply.outcome = CHttpReply::Done;
        return reply;
    }
    reply.body.clear();
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        reply.outcome = CHttpReply::Cancelled;
        reply.error = "The transfer was cancelled";
    } else if (transfer.tooLarge) {
        reply.error = "The server's reply is too large";
    } else {
        reply.error = curl_easy_strerror(code);
        if (*errorText) reply.error += std::string(": ") + errorText;
    }
    return reply;
}
