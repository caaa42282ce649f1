#include "platform/testing/scripted_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/message_help.h"

CScriptedHost::CScriptedHost() = default;
CScriptedHost::~CScriptedHost() = default;

void CScriptedHost::Reply(int result) {
    m_replies.push_back({std::nullopt, result});
}

void CScriptedHost::Reply(unsigned expectId, int result) {
    m_replies.push_back({expectId, result});
}

std::vector<unsigned> CScriptedHost::MessageIds() const {
    std::vector<unsigned> ids;
    for (const CvlMessage& m : m_messages) ids.push_back(m.stringId);
    return ids;
}

void CScriptedHost::Clear() {
    m_replies.clear();
    m_messages.clear();
    m_progress.clear();
    m_statusTexts.clear();
    m_waitShows = 0;
}

void CScriptedHost::Fail(const std::string& what) {
    if (m_onFailure) {
        m_onFailure(what);
        return;
    }
    std::fprintf(stderr, "CScriptedHost: %s\n", what.c_str());
    std::abort();
}

int CScriptedHost::DoMessageBox(const CvlMessage& msg) {
    m_messages.push_back(msg);
    // The help book's test finds a message's help text only through the registered ids.
    if ((msg.type & MB_HELP) && msg.helpId != 0 && !CvlIsMessageHelpRegistered(msg.helpId)) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%X", msg.helpId);
        Fail("help id " + std::string(id) + " of message " + std::to_string(msg.stringId) + " \"" +
             WToUtf8(msg.text) + "\" is not registered with CVL_MESSAGE_HELP");
    }
    if (!CvlIsQuestion(msg.type)) return IDOK;
    std::string about = "question " + std::to_string(msg.stringId) + " \"" + WToUtf8(msg.text) + "\"";
    if (m_replies.empty()) {
        Fail("unscripted " + about);
        return CvlDefaultButton(msg.type);
    }
    ScriptedReply reply = m_replies.front();
    m_replies.pop_front();
    if (reply.expectId && *reply.expectId != msg.stringId) {
        Fail("expected question " + std::to_string(*reply.expectId) + ", got " + about);
        return CvlDefaultButton(msg.type);
    }
    std::vector<int> buttons = CvlMessageButtons(msg.type);
    if (std::find(buttons.begin(), buttons.end(), reply.result) == buttons.end()) {
        Fail("scripted answer " + std::to_string(reply.result) + " is not a button of " + about);
        return CvlDefaultButton(msg.type);
    }
    return reply.result;
}

void CScriptedHost::SetMessageText(const WString& text) {
    m_statusTexts.push_back(text);
}

bool CScriptedHost::IsUiThread() const {
    return m_uiThreadOverride ? *m_uiThreadOverride : CCvlHost::IsUiThread();
}

bool CScriptedHost::OnBeginProgress(const WString& title, int range) {
    if (!m_progressAvailable) return false;
    m_progress.push_back({ProgressEvent::Begin, title, range});
    return true;
}

void CScriptedHost::OnProgressPos(int pos) {
    m_progress.push_back({ProgressEvent::Pos, WString(), pos});
}

void CScriptedHost::OnEndProgress() {
    m_progress.push_back({ProgressEvent::End, WString(), 0});
}

void CScriptedHost::OnWaitCursor(bool show) {
    if (show) ++m_waitShows;
}
