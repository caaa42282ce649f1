// The help ids of the message boxes with a Help button. Each is registered beside the code that
// shows its box, CVL_MESSAGE_HELP(IDS_A, IDS_B): the prompt help ids of those numbers (string
// numbers, or a message's own help number), so that a test holds the help book to all of them.
#pragma once

#include <initializer_list>
#include <vector>

struct CvlMessageHelpEntry {
    const char* file;
    unsigned helpId;
};
const std::vector<CvlMessageHelpEntry>& CvlMessageHelpIds();
bool CvlIsMessageHelpRegistered(unsigned helpId);

struct CvlMessageHelpRegistration {
    CvlMessageHelpRegistration(const char* file, std::initializer_list<unsigned> numbers);
};
#define CVL_MESSAGE_HELP_JOIN2(a, b) a##b
#define CVL_MESSAGE_HELP_JOIN(a, b) CVL_MESSAGE_HELP_JOIN2(a, b)
#define CVL_MESSAGE_HELP(...)                                                       \
    [[maybe_unused]] static const CvlMessageHelpRegistration CVL_MESSAGE_HELP_JOIN( \
        kCvlMessageHelp, __LINE__)(__FILE__, {__VA_ARGS__})
