#include "platform/message_help.h"

#include <algorithm>

#include "platform/strings.h"

namespace {

std::vector<CvlMessageHelpEntry>& MessageHelpIds() {
    static std::vector<CvlMessageHelpEntry> ids;
    return ids;
}

}  // namespace

const std::vector<CvlMessageHelpEntry>& CvlMessageHelpIds() {
    return MessageHelpIds();
}

bool CvlIsMessageHelpRegistered(unsigned helpId) {
    const auto& ids = MessageHelpIds();
    return std::any_of(ids.begin(), ids.end(),
                       [helpId](const CvlMessageHelpEntry& entry) { return entry.helpId == helpId; });
}

CvlMessageHelpRegistration::CvlMessageHelpRegistration(const char* file,
                                                       std::initializer_list<unsigned> numbers) {
    for (unsigned number : numbers) MessageHelpIds().push_back({file, CvlPromptHelpId(number)});
}
