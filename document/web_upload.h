// Sending the flock to the breed society's web service: the login post, one post per animal, and
// reading the service's replies. The transfers run on a worker thread that never touches the
// document: each animal's text is made, and each reply read and shown, on the user-interface thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/http.h"
#include "platform/object.h"
#include "platform/text.h"

class CSheep;
class CSheepDoc;
class CWebXMLResponse;

// The exchange document of one animal: the header without a style sheet, the Definition block, the
// animal (excluded event codes left out, no picture list), the addresses it refers to that the
// document holds, and the closing line. Without an animal, the header, Definition and closing line.
std::string WriteSheepXML(const CSheepDoc& doc, CSheep* sheep);

// "UserID=%s&Pwd=%s&Service=%d&Definition=%s": the user name and password in the ANSI code page,
// every value form-encoded.
std::string BuildLoginBody(const WString& user, const WString& password, int service,
                           const std::string& definition);
// "SheepXML=" and the encoded document.
std::string BuildSheepPostBody(const std::string& xml);
// "%s?SID=%s" from the reply's Redirect and SessionKey.
std::string BuildSheepPostUrl(const WString& redirect, const WString& sessionKey);

// What a reply comes to: the service's answer when it could be read, and the text the user is shown
// about it (the answer's Message, or why there is none).
struct CWebReplyOutcome {
    CRefPtr<CWebXMLResponse> response;  // null when the reply could not be read
    bool ok = false;                    // read, with Status 0
    bool cancelled = false;             // the farmer ended the transfer: nothing is shown
    WString text;
};
// Reads a transfer's outcome. Only a SheepResponse element is taken from a reply: nothing else in
// it can reach the flock.
CWebReplyOutcome ReadWebReply(const std::string& url, const CHttpReply& reply);

// The remaining-time line of the upload page after animal index of rangeTop, elapsedSeconds after
// the start (whole days are not counted); empty for index 0.
WString FormatUploadEstimate(long long elapsedSeconds, int rangeTop, int index);

// The work of one upload that runs on the user-interface thread: each animal's post body, and each
// reply shown and turned into the page's line for that animal.
class CSheepUploadJob {
public:
    explicit CSheepUploadJob(CSheepDoc& doc) : m_doc(doc) {}
    int GetCount() const;
    // The post body of the animal at index, or nothing when the flock has no such animal.
    std::optional<std::string> BuildBody(int index);
    // Shows a failure (the document's PostForm boxes) and gives "tattoo: text" CR LF, the text being
    // this post's Message or its error; empty for a cancelled transfer.
    WString TakeReply(int index, const std::string& url, const CHttpReply& reply);

private:
    CSheepDoc& m_doc;
};

// The worker thread of an upload. Everything given in the callbacks runs on the UI thread, through
// post, which queues a call there and returns at once (callable from any thread).
class CWebUploadWorker {
public:
    struct Callbacks {
        std::function<void(std::function<void()>)> post;
        // The post body of the animal at index; nothing ends the upload as completed.
        std::function<std::optional<std::string>(int index)> build;
        std::function<void(int index, const CHttpReply& reply)> reply;
        // The end: completed is false after a cancel.
        std::function<void(bool completed)> finished;
    };
    CWebUploadWorker(CHttpConnection& connection, std::string url, int count, Callbacks callbacks);
    // Stops the thread first.
    ~CWebUploadWorker();
    CWebUploadWorker(const CWebUploadWorker&) = delete;
    CWebUploadWorker& operator=(const CWebUploadWorker&) = delete;

    void Start();
    // Any thread: ends the transfer in progress and posts nothing more after it.
    void Cancel() { m_cancel = true; }
    bool IsCancelled() const { return m_cancel; }
    // UI thread: cancels, waits for the thread, and no callback runs after it returns.
    void Stop();

private:
    struct Shared;
    void Run();
    // Runs fn on the UI thread and waits for it; false when the worker is being stopped.
    bool CallOnUi(const std::function<void()>& fn);

    CHttpConnection& m_connection;
    std::string m_url;
    int m_nCount;
    Callbacks m_callbacks;
    std::atomic<bool> m_cancel{false};
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
