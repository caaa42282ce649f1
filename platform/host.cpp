#include "platform/host.h"

#include <atomic>
#include <cstdio>
#include <mutex>

std::vector<int> CvlMessageButtons(unsigned type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        default:
            return {IDOK};
    }
}

int CvlDefaultButton(unsigned type) {
    std::vector<int> buttons = CvlMessageButtons(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons[0];
}

bool CvlIsQuestion(unsigned type) {
    return CvlMessageButtons(type).size() > 1;
}

CCvlHost::CCvlHost() : m_uiThread(std::this_thread::get_id()) {}

CCvlHost::~CCvlHost() = default;

bool CCvlHost::BeginProgress(unsigned titleId, int range) {
    return BeginProgressText(LoadCvlString(titleId), range);
}

bool CCvlHost::BeginProgressText(const WString& title, int range) {
    if (m_progressShown) return false;
    if (!OnBeginProgress(title, range)) return false;
    m_progressShown = true;
    m_progressPos = 0;
    return true;
}

void CCvlHost::SetProgressPos(int pos) {
    if (!m_progressShown) return;
    m_progressPos = pos;
    OnProgressPos(pos);
}

void CCvlHost::StepProgress() {
    if (m_progressShown) SetProgressPos(m_progressPos + 1);
}

void CCvlHost::EndProgress() {
    if (!m_progressShown) return;
    m_progressShown = false;
    m_progressPos = 0;
    OnEndProgress();
}

void CCvlHost::BeginWaitCursor() {
    if (m_waitDepth++ == 0) OnWaitCursor(true);
}

void CCvlHost::EndWaitCursor() {
    if (m_waitDepth == 0) return;
    if (--m_waitDepth == 0) OnWaitCursor(false);
}

void CCvlHost::SetMessageText(const WString&) {}

bool CCvlHost::IsUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

bool CCvlHost::OnBeginProgress(const WString&, int) {
    return true;
}
void CCvlHost::OnProgressPos(int) {}
void CCvlHost::OnEndProgress() {}
void CCvlHost::OnWaitCursor(bool) {}

namespace {

// Without a user interface: say what would have been shown and take the default button.
class CDefaultHost : public CCvlHost {
public:
    int DoMessageBox(const CvlMessage& msg) override {
        int answer = CvlDefaultButton(msg.type);
        std::string text = WToUtf8(msg.text);
        std::lock_guard<std::mutex> lock(m_mutex);
        std::fprintf(stderr, "corvalen: message %u (help 0x%X): %s [answered %d]\n", msg.stringId, msg.helpId,
                     text.c_str(), answer);
        return answer;
    }

private:
    std::mutex m_mutex;
};

CDefaultHost& DefaultHost() {
    static CDefaultHost host;
    return host;
}

std::atomic<CCvlHost*> g_host{nullptr};

}  // namespace

CCvlHost& CvlGetHost() {
    CCvlHost* host = g_host.load();
    return host ? *host : DefaultHost();
}

CCvlHost* CvlSetHost(CCvlHost* host) {
    return g_host.exchange(host);
}

int CvlShowMessage(CvlMessage msg) {
    if (msg.text.empty() && msg.stringId != 0) msg.text = FormatCvlString(msg.stringId, msg.args, msg.table);
    if (msg.helpId == CVL_HELP_FROM_ID) msg.helpId = msg.stringId ? CvlPromptHelpId(msg.stringId) : 0;
    return CvlGetHost().DoMessageBox(msg);
}

int CvlMessageBox(unsigned id, unsigned type, unsigned helpId) {
    return CvlMessageBox(id, {}, type, helpId);
}

int CvlMessageBox(unsigned id, const std::vector<WString>& args, unsigned type, unsigned helpId) {
    CvlMessage msg;
    msg.stringId = id;
    msg.args = args;
    msg.type = type;
    msg.helpId = helpId;
    return CvlShowMessage(std::move(msg));
}

int CvlMessageBoxText(const WString& text, unsigned type, unsigned helpId) {
    CvlMessage msg;
    msg.text = text;
    msg.type = type;
    msg.helpId = helpId;
    return CvlShowMessage(std::move(msg));
}
