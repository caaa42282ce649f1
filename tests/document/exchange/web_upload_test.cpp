#include "document/web_upload.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "exchange_fixture.h"
#include "platform/urlencode.h"
#include "records/sheep.h"
#include "support/web_service.h"

using namespace exchange;

namespace {

void Add(CSheepDoc& doc, const WString& tattoo) {
    auto sheep = MakeRef<CSheep>();
    sheep->SetTattoo(tattoo);
    ASSERT_GE(doc.AddSheep(sheep.Get(), false), 0);
    sheep.Detach();
}

void SetServiceUrl(const std::string& url) {
    EXPECT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", u"SheepSyncURL", Utf8ToW(url)));
}

std::string FormDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+')
            out += ' ';
        else if (text[i] == '%' && i + 2 < text.size())
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16)), i += 2;
        else
            out += text[i];
    }
    return out;
}

// The test's user-interface thread: calls the worker queues, run here in order.
class UiQueue {
public:
    void Post(std::function<void()> fn) {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(fn));
        }
        m_wake.notify_all();
    }
    // Runs calls until done() holds; false when nothing came for a long time.
    bool RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::function<void()> fn;
            {
                std::unique_lock lock(m_mutex);
                if (!m_wake.wait_for(lock, std::chrono::seconds(60), [&] { return !m_calls.empty(); }))
                    return false;
                fn = std::move(m_calls.front());
                m_calls.pop_front();
            }
            fn();
        }
        return true;
    }
    size_t Pending() {
        std::lock_guard lock(m_mutex);
        return m_calls.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_calls;
};

class WebUpload : public ExchangeTest {
protected:
    WebUpload() { BindBreed(doc, kNoValidator); }
    ~WebUpload() override { CHttpConnection::SetTestCertificateAuthority(""); }

    struct Run {
        std::vector<WString> lines;
        std::optional<bool> completed;
    };
    // Uploads every animal of the document to url, as the upload page does.
    Run Upload(const std::string& url,
               const std::function<void(CWebUploadWorker&, const WString&)>& onLine = {}) {
        Run run;
        CSheepUploadJob job(doc);
        CHttpConnection connection;
        CWebUploadWorker* self = nullptr;
        CWebUploadWorker::Callbacks callbacks;
        callbacks.post = [this](std::function<void()> fn) { ui.Post(std::move(fn)); };
        callbacks.build = [&](int index) { return job.BuildBody(index); };
        callbacks.reply = [&](int index, const CHttpReply& reply) {
            run.lines.push_back(job.TakeReply(index, url, reply));
            if (onLine) onLine(*self, run.lines.back());
        };
        callbacks.finished = [&](bool completed) { run.completed = completed; };
        CWebUploadWorker worker(connection, url, job.GetCount(), callbacks);
        self = &worker;
        worker.Start();
        EXPECT_TRUE(ui.RunUntil([&] { return run.completed.has_value(); }));
        return run;
    }
    std::vector<WString> MessageTexts() const {
        std::vector<WString> texts;
        for (const CvlMessage& m : host.Messages()) texts.push_back(m.text);
        return texts;
    }

    CSheepDoc doc;
    UiQueue ui;
};

TEST_F(WebUpload, LoginPostsTheFormInTheAnsiCodePageAndKeepsTheSession) {
    CTestWebService service(folder.root);
    SetServiceUrl(service.Url("/login"));
    doc.SetAttribute(FARM_TELEPHONE, u"01234 & <5>");
    CHttpConnection connection;
    WString key, redirect;
    ASSERT_TRUE(doc.WebSync(connection, u"J\u00fcrgen \u00c4", u"p&ss=w\u00f6rd+1%", 0, key, redirect));
    EXPECT_EQ(key, u"S-42");
    EXPECT_EQ(WToUtf8(redirect), service.Url("/sheep"));
    ASSERT_NE(doc.GetLastWebResponse(), nullptr);
    EXPECT_EQ(doc.GetLastWebResponse()->m_nMsgBoxFlags, 48);
    EXPECT_TRUE(host.Messages().empty());

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].at("method"), "POST");
    EXPECT_EQ(requests[0].at("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].at("UserID"), "J\u00fcrgen \u00c4");  // the service read them as Windows-1252
    EXPECT_EQ(requests[0].at("Pwd"), "p&ss=w\u00f6rd+1%");
    EXPECT_EQ(requests[0].at("Service"), "0");
    EXPECT_EQ(requests[0].at("Definition"), WriteDefinitionXML(doc));
    EXPECT_NE(requests[0].at("Definition").find("01234 &amp; &lt;5&gt;"), std::string::npos);
}

TEST_F(WebUpload, AFailedLoginShowsItsReasonAndGivesNoSession) {
    CTestWebService service(folder.root);
    struct Case {
        std::string url;
        const char* user;
        std::string shown;
    } cases[] = {
        {service.Url("/login"), "refused", "Unknown user or password"},
        {"not a url", "ann", "not a url is not a valid URL"},
        {"", "ann", " is not a valid URL"},
        {service.Url("/down"), "ann", "Service down for maintenance"},
        {service.Url("/empty500"), "ann", "Failed to connect to web. Please try again later"},
        {service.Url("/garbage"), "ann", "Failed to parse data. Please contact support@velmora.example"},
        {service.Url("/nowhere"), "ann", "Not found"},
    };
    CHttpConnection connection;
    for (const Case& c : cases) {
        host.Clear();
        SetServiceUrl(c.url);
        WString key = u"old", redirect = u"old";
        EXPECT_FALSE(doc.WebSync(connection, W(c.user), u"pw", 0, key, redirect)) << c.url;
        EXPECT_EQ(MessageTexts(), std::vector<WString>{W(c.shown)}) << c.url;
        EXPECT_EQ(key, u"old");
        EXPECT_EQ(redirect, u"old");
    }
    // A server nobody answers at: the client's own reason.
    host.Clear();
    SetServiceUrl("http://127.0.0.1:1/login");
    WString key, redirect;
    EXPECT_FALSE(doc.WebSync(connection, u"ann", u"pw", 0, key, redirect));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(WToUtf8(host.Messages()[0].text).find("onnect"), std::string::npos);
}

TEST_F(WebUpload, ARepliesReaderTakesTheResponseAndNothingElse) {
    Add(doc, u"A1");
    const std::string ns = WToUtf8(CvlXmlNamespace());
    CHttpReply reply;
    reply.outcome = CHttpReply::Done;
    reply.status = 200;
    doc.SetModifiedFlag(false);
    reply.body = "<Corvalen xmlns=\"" + ns + "\"><Dedov Sex=\"Ram\"><Tattoo>INTRUDER</Tattoo></Dedov>" +
                 "<Attribute ID=\"1030\">planted</Attribute>" +
                 "<SheepResponse><Status>0</Status><Message>fine</Message></SheepResponse></Corvalen>";
    const CWebReplyOutcome outcome = doc.TakeWebReply("http://x/", reply);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.text, u"fine");
    EXPECT_EQ(doc.GetSheepCount(), 1);
    EXPECT_EQ(doc.GetDocString(1030), u"");
    EXPECT_FALSE(doc.IsModified());

    // A reply that cannot be read keeps the last one; a new one replaces it.
    reply.body =
        "<SheepResponse><Status>7</Status><Message>no</Message><MsgBoxFlags>x</MsgBoxFlags></SheepResponse>";
    EXPECT_FALSE(doc.TakeWebReply("http://x/", reply).ok);
    EXPECT_EQ(doc.GetLastWebResponse()->m_strMessage, u"fine");
    reply.body = "<SheepResponse><Status>7</Status><Message>no</Message></SheepResponse>";
    EXPECT_FALSE(doc.TakeWebReply("http://x/", reply).ok);
    EXPECT_EQ(doc.GetLastWebResponse()->m_nStatus, 7);
    EXPECT_EQ(MessageTexts(),
              (std::vector<WString>{u"Failed to parse data. Please contact support@velmora.example", u"no"}));
}

TEST_F(WebUpload, EachAnimalIsPostedWithItsOwnDocumentAndListedWithItsOwnAnswer) {
    CTestWebService service(folder.root);
    for (const char16_t* tattoo :
         {u"A1", u"B-BROKEN", u"C-REJECT", u"D2", u"E-EMPTY", u"F-GARBLED", u"G-NOREPLY"})
        Add(doc, tattoo);
    const std::string url = BuildSheepPostUrl(W(service.Url("/sheep")), u"S-42");
    const Run run = Upload(url);
    EXPECT_EQ(run.completed, true);
    const std::string parseFailed = "Failed to parse data. Please contact support@velmora.example";
    const std::vector<WString> lines = {
        u"A1: Stored A1\r\n",
        u"B-BROKEN: Internal error for B-BROKEN\r\n",
        u"C-REJECT: Rejected C-REJECT\r\n",
        u"D2: Stored D2\r\n",
        u"E-EMPTY: Failed to connect to web. Please try again later\r\n",
        W("F-GARBLED: " + parseFailed + "\r\n"),
        W("G-NOREPLY: " + parseFailed + "\r\n"),
    };
    EXPECT_EQ(run.lines, lines);
    EXPECT_EQ(MessageTexts(), (std::vector<WString>{u"Internal error for B-BROKEN", u"Rejected C-REJECT",
                                                    u"Failed to connect to web. Please try again later",
                                                    W(parseFailed), W(parseFailed)}));

    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(requests[i].at("path"), "/sheep");
        EXPECT_EQ(requests[i].at("query"), "SID=S-42");
        EXPECT_EQ(requests[i].at("SheepXML"), WriteSheepXML(doc, doc.GetSheepAt(i)));
    }
}

TEST_F(WebUpload, OneAnimalsDocumentHoldsItsAddressesAndLeavesOutExcludedEvents) {
    Add(doc, u"A1");
    const std::string xml = WriteSheepXML(doc, doc.GetSheepAt(0));
    EXPECT_EQ(xml.rfind(WriteXMLHeader(nullptr), 0), 0u);
    EXPECT_NE(xml.find(WriteDefinitionXML(doc)), std::string::npos);
    EXPECT_NE(xml.find("<Tattoo>A1</Tattoo>"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - GetXMLFooter().size()), GetXMLFooter());
    // Without an animal: header, Definition and closing line only.
    EXPECT_EQ(WriteSheepXML(doc, nullptr),
              WriteXMLHeader(nullptr) + WriteDefinitionXML(doc) + GetXMLFooter());

    std::string encoded = xml;
    UrlFormEncode(encoded);
    EXPECT_EQ(BuildSheepPostBody(xml), "SheepXML=" + encoded);
    EXPECT_EQ(FormDecode(encoded), xml);
}

TEST_F(WebUpload, CancelEndsTheTransferInProgressAndPostsNoMore) {
    CTestWebService service(folder.root);
    for (const char16_t* tattoo : {u"A1", u"B-SLOW", u"C1"}) Add(doc, tattoo);
    std::thread canceller;
    const auto start = std::chrono::steady_clock::now();
    const Run run = Upload(BuildSheepPostUrl(W(service.Url("/sheep")), u"S-42"),
                           [&](CWebUploadWorker& worker, const WString&) {
                               if (canceller.joinable()) return;
                               canceller = std::thread([&worker] {
                                   std::this_thread::sleep_for(std::chrono::milliseconds(300));
                                   worker.Cancel();
                               });
                           });
    canceller.join();
    EXPECT_EQ(run.completed, false);
    EXPECT_EQ(run.lines, (std::vector<WString>{u"A1: Stored A1\r\n", u""}));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(service.Requests().size(), 2u);  // the third animal was never sent
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(WebUpload, StoppingTheWorkerWhileItWaitsForTheUiRunsNothingMore) {
    CTestWebService service(folder.root);
    Add(doc, u"A1");
    CHttpConnection connection;
    bool called = false;
    CWebUploadWorker::Callbacks callbacks;
    callbacks.post = [this](std::function<void()> fn) { ui.Post(std::move(fn)); };
    callbacks.build = [&](int) -> std::optional<std::string> {
        called = true;
        return std::string("x=1");
    };
    callbacks.reply = [&](int, const CHttpReply&) { called = true; };
    callbacks.finished = [&](bool) { called = true; };
    {
        CWebUploadWorker worker(connection, service.Url("/sheep"), 1, callbacks);
        worker.Start();
        while (ui.Pending() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        worker.Stop();
    }
    ui.RunUntil([&] { return ui.Pending() == 0; });
    EXPECT_FALSE(called);
}

TEST(WebUploadEstimate, RemainingTimeLines) {
    struct Case {
        long long elapsed;
        int top;
        int index;
        const char16_t* text;
    } cases[] = {
        {30, 10, 0, u""},
        {30, 10, 5, u"Estimated time remaining: 30 seconds"},
        {600, 10, 1, u"Estimated time remaining: 1 hrs, 30 minutes, 0 seconds"},
        {3600, 2, 1, u"Estimated time remaining: 60 minutes, 0 seconds"},  // not above an hour
        {60, 2, 1, u"Estimated time remaining: 60 seconds"},               // not above a minute
        {61, 2, 1, u"Estimated time remaining: 1 minutes, 1 seconds"},
        {86400 + 30, 10, 5, u"Estimated time remaining: 30 seconds"},  // whole days are not counted
        {10, 4, 3, u"Estimated time remaining: 3 seconds"},            // 3.33 rounds down
        {5, 4, 3, u"Estimated time remaining: 2 seconds"},             // 1.67 rounds up
        {30, 10, 10, u"Estimated time remaining: 0 seconds"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatUploadEstimate(c.elapsed, c.top, c.index), c.text) << c.elapsed << " " << c.index;
}

}  // namespace
