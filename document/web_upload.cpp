#include "document/web_upload.h"

#include <cmath>
#include <condition_variable>
#include <mutex>

#include "document/sheep_doc.h"
#include "document/xml_doc_objects.h"
#include "document/xml_exchange.h"
#include "document/xml_reader.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "platform/urlencode.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_REMAINING_HOURS = 184;
constexpr unsigned IDS_REMAINING_MINUTES = 185;
constexpr unsigned IDS_REMAINING_SECONDS = 186;

const char kNotValidUrl[] = "%s is not a valid URL";
const char16_t kParseFailed[] = u"Failed to parse data. Please contact support@velmora.example";
const char16_t kNoConnection[] = u"Failed to connect to web. Please try again later";

std::string Encoded(std::string text) {
    UrlFormEncode(text);
    return text;
}

// Takes the SheepResponse elements of a reply and nothing else.
class CWebReplyOwner : public IXmlImportOwner {
public:
    bool OnResponseElement(CXmlReader& reader, const WString& name,
                           const CXMLAttributes& attributes) override {
        if (!EqualsNoCase(name, u"SheepResponse")) return true;
        bool ok = true;
        auto response = MakeRef<CWebXMLResponse>(&reader, name, attributes, &ok);
        if (!ok) return false;
        reader.PushObject(std::move(response));
        return true;
    }
    bool OnImportElement(CXmlReader& reader, const WString&) override {
        CRefPtr<CXMLObject> object = reader.TakeLastObject();
        if (auto* response = dynamic_cast<CWebXMLResponse*>(object.Get()))
            m_response = CRefPtr<CWebXMLResponse>(response);
        return true;
    }
    CRefPtr<CWebXMLResponse> m_response;
};

}  // namespace

std::string WriteSheepXML(const CSheepDoc& doc, CSheep* sheep) {
    std::string text;
    CXmlFlockWriter writer(doc, [&](std::string_view block) { text.append(block); });
    writer.Begin();
    if (sheep) writer.WriteSheep(*sheep);
    writer.End();
    return text;
}

std::string BuildLoginBody(const WString& user, const WString& password, int service,
                           const std::string& definition) {
    return "UserID=" + Encoded(WToAnsi(user)) + "&Pwd=" + Encoded(WToAnsi(password)) +
           "&Service=" + std::to_string(service) + "&Definition=" + Encoded(definition);
}

std::string BuildSheepPostBody(const std::string& xml) {
    return "SheepXML=" + Encoded(xml);
}

std::string BuildSheepPostUrl(const WString& redirect, const WString& sessionKey) {
    return WToUtf8(redirect) + "?SID=" + WToUtf8(sessionKey);
}

CWebReplyOutcome ReadWebReply(const std::string& url, const CHttpReply& reply) {
    CWebReplyOutcome outcome;
    switch (reply.outcome) {
        case CHttpReply::BadUrl:
            outcome.text = FormatW(kNotValidUrl, url.c_str());
            return outcome;
        case CHttpReply::Cancelled:
            outcome.cancelled = true;
            outcome.text = Utf8ToW(reply.error);
            return outcome;
        case CHttpReply::Failed:
            outcome.text = Utf8ToW(reply.error);
            return outcome;
        case CHttpReply::Done:
            break;
    }
    if (reply.status != 200) {
        outcome.text = reply.body.empty() ? WString(kNoConnection) : Utf8ToW(reply.body);
        return outcome;
    }
    CWebReplyOwner owner;
    CXmlReader reader(2, &owner, nullptr);
    // A reply that holds no SheepResponse says nothing either.
    if (!reader.Parse(reply.body) || !owner.m_response) {
        outcome.text = kParseFailed;
        return outcome;
    }
    outcome.response = owner.m_response;
    outcome.text = outcome.response->m_strMessage;
    outcome.ok = outcome.response->m_nStatus == 0;
    return outcome;
}

WString FormatUploadEstimate(long long elapsedSeconds, int rangeTop, int index) {
    if (index <= 0) return {};
    const long long elapsed = elapsedSeconds % 86400;
    const long long remaining = std::llround(double(elapsed) * double(rangeTop - index) / double(index));
    long long rest = remaining;
    const long long hours = rest > 3600 ? rest / 3600 : 0;
    rest -= hours * 3600;
    const long long minutes = rest > 60 ? rest / 60 : 0;
    const long long seconds = rest - minutes * 60;
    if (hours != 0)
        return FormatW(WToUtf8(LoadCvlString(IDS_REMAINING_HOURS)).c_str(), int(hours), int(minutes),
                       int(seconds));
    if (minutes != 0)
        return FormatW(WToUtf8(LoadCvlString(IDS_REMAINING_MINUTES)).c_str(), int(minutes), int(seconds));
    return FormatW(WToUtf8(LoadCvlString(IDS_REMAINING_SECONDS)).c_str(), int(seconds));
}

// ---- the document's side ------------------------------------------------------------------------

CWebReplyOutcome CSheepDoc::TakeWebReply(const std::string& url, const CHttpReply& reply) {
    CWebReplyOutcome outcome = ReadWebReply(url, reply);
    if (outcome.response) m_lastResponse = outcome.response;
    if (!outcome.ok && !outcome.cancelled) CvlMessageBoxText(outcome.text, MB_OK | MB_ICONERROR);
    return outcome;
}

CWebXMLResponse* CSheepDoc::PostForm(CHttpConnection& connection, const std::string& url,
                                     const std::string& body) {
    CCvlWaitCursor wait;
    const CWebReplyOutcome outcome = TakeWebReply(url, connection.Post(url, body));
    return outcome.ok ? outcome.response.Get() : nullptr;
}

BOOL CSheepDoc::WebSync(CHttpConnection& connection, const WString& user, const WString& password,
                        int service, WString& sessionKey, WString& redirect) {
    const WString url = CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", u"");
    CWebXMLResponse* response = PostForm(connection, WToUtf8(url),
                                         BuildLoginBody(user, password, service, WriteDefinitionXML(*this)));
    if (!response) return FALSE;
    sessionKey = response->m_strSessionKey;
    redirect = response->m_strRedirect;
    return TRUE;
}

// ---- one upload ---------------------------------------------------------------------------------

int CSheepUploadJob::GetCount() const {
    return m_doc.GetSheepCount();
}

std::optional<std::string> CSheepUploadJob::BuildBody(int index) {
    CSheep* sheep = index >= 0 && index < m_doc.GetSheepCount() ? m_doc.GetSheepAt(index) : nullptr;
    if (!sheep) return std::nullopt;
    return BuildSheepPostBody(WriteSheepXML(m_doc, sheep));
}

WString CSheepUploadJob::TakeReply(int index, const std::string& url, const CHttpReply& reply) {
    const CWebReplyOutcome outcome = m_doc.TakeWebReply(url, reply);
    if (outcome.cancelled) return {};
    CSheep* sheep = index >= 0 && index < m_doc.GetSheepCount() ? m_doc.GetSheepAt(index) : nullptr;
    return (sheep ? sheep->GetTattoo() : WString()) + u": " + outcome.text + u"\r\n";
}

// ---- the worker ---------------------------------------------------------------------------------

struct CWebUploadWorker::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;  // the UI side stopped the worker: no callback may run any more
};

CWebUploadWorker::CWebUploadWorker(CHttpConnection& connection, std::string url, int count,
                                   Callbacks callbacks)
    : m_connection(connection),
      m_url(std::move(url)),
      m_nCount(count),
      m_callbacks(std::move(callbacks)),
      m_shared(std::make_shared<Shared>()) {}

CWebUploadWorker::~CWebUploadWorker() {
    Stop();
}

void CWebUploadWorker::Start() {
    if (m_thread.joinable()) return;
    m_thread = std::thread([this] { Run(); });
}

void CWebUploadWorker::Stop() {
    m_cancel = true;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool CWebUploadWorker::CallOnUi(const std::function<void()>& fn) {
    struct Call {
        bool done = false;
    };
    auto call = std::make_shared<Call>();
    std::shared_ptr<Shared> shared = m_shared;
    m_callbacks.post([shared, call, fn] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->stopping) return;
        }
        // Stop runs on this same thread, so the worker's callbacks stay valid while fn runs.
        fn();
        {
            std::lock_guard lock(shared->mutex);
            call->done = true;
        }
        shared->wake.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    shared->wake.wait(lock, [&] { return call->done || shared->stopping; });
    return call->done;
}

void CWebUploadWorker::Run() {
    bool completed = true;
    for (int index = 0; index < m_nCount; ++index) {
        if (m_cancel) {
            completed = false;
            break;
        }
        std::optional<std::string> body;
        if (!CallOnUi([&] { body = m_callbacks.build(index); })) return;
        if (!body) break;
        const CHttpReply reply = m_connection.Post(m_url, *body, &m_cancel);
        if (!CallOnUi([&] { m_callbacks.reply(index, reply); })) return;
        if (m_cancel) {
            completed = false;
            break;
        }
    }
    std::shared_ptr<Shared> shared = m_shared;
    auto finished = m_callbacks.finished;
    m_callbacks.post([shared, finished, completed] {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->stopping) return;
        }
        finished(completed);
    });
}
