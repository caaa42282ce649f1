// Address dialogs that answer from a script, installed for their lifetime.
#pragma once

#include <functional>
#include <vector>

#include "records/address.h"

class CFakeAddressDialogs : public IAddressDialogs {
public:
    struct Call {
        long parent;
        CDetails details;  // as the dialog was given them
        bool isNew;
    };
    CFakeAddressDialogs() : m_previous(SetAddressDialogs(this)) {}
    ~CFakeAddressDialogs() { SetAddressDialogs(m_previous); }
    CFakeAddressDialogs(const CFakeAddressDialogs&) = delete;
    CFakeAddressDialogs& operator=(const CFakeAddressDialogs&) = delete;

    int EditDetails(long parent, IFlockDocument*, CDetails& details, bool isNew) override {
        calls.push_back({parent, details, isNew});
        if (!edit) return 2;
        return edit(details) ? 1 : 2;
    }
    bool ChooseAddressType(long, int* type) override {
        ++typeQuestions;
        if (typeAnswer < 0) return false;
        *type = typeAnswer;
        return true;
    }

    // Changes the details and gives true for OK; unset: Cancel.
    std::function<bool(CDetails&)> edit;
    int typeAnswer = 0;  // -1: cancelled
    int typeQuestions = 0;
    std::vector<Call> calls;

private:
    IAddressDialogs* m_previous;
};
