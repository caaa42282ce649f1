// A host for tests: records everything shown and answers questions from a script.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

class CScriptedHost : public CCvlHost {
public:
    struct ProgressEvent {
        enum Kind { Begin, Pos, End } kind;
        WString title;  // Begin
        int value = 0;  // Begin: range; Pos: position
    };

    CScriptedHost();
    ~CScriptedHost() override;

    // Queues the answer to the next question (a box with more than one button). With expectId the
    // question must carry that string number. Plain OK boxes are recorded and never take an answer.
    void Reply(int result);
    void Reply(unsigned expectId, int result);
    size_t PendingReplies() const { return m_replies.size(); }

    // What went wrong with the script (an unscripted question, a wrong number, an answer that is not
    // one of the box's buttons, a Help button whose help id is not registered) is passed here; by
    // default it is printed and the process aborts.
    void SetFailureHandler(std::function<void(const std::string&)> handler) {
        m_onFailure = std::move(handler);
    }

    const std::vector<CvlMessage>& Messages() const { return m_messages; }
    std::vector<unsigned> MessageIds() const;
    const std::vector<ProgressEvent>& Progress() const { return m_progress; }
    const std::vector<WString>& StatusTexts() const { return m_statusTexts; }
    int WaitCursorShows() const { return m_waitShows; }
    void Clear();

    // Lets a progress Begin be refused, as a host without a status bar does.
    void SetProgressAvailable(bool available) { m_progressAvailable = available; }
    // Overrides the UI-thread answer (unset: the thread that created the host).
    void SetUiThread(std::optional<bool> onUiThread) { m_uiThreadOverride = onUiThread; }

    int DoMessageBox(const CvlMessage& msg) override;
    void SetMessageText(const WString& text) override;
    bool IsUiThread() const override;

protected:
    bool OnBeginProgress(const WString& title, int range) override;
    void OnProgressPos(int pos) override;
    void OnEndProgress() override;
    void OnWaitCursor(bool show) override;

private:
    struct ScriptedReply {
        std::optional<unsigned> expectId;
        int result;
    };
    void Fail(const std::string& what);

    std::deque<ScriptedReply> m_replies;
    std::vector<CvlMessage> m_messages;
    std::vector<ProgressEvent> m_progress;
    std::vector<WString> m_statusTexts;
    int m_waitShows = 0;
    bool m_progressAvailable = true;
    std::optional<bool> m_uiThreadOverride;
    std::function<void(const std::string&)> m_onFailure;
};
