// The reader's side that record hooks see, recording what they report.
#pragma once

#include <vector>

#include "records/xml_object.h"

class CFakeReader : public CXMLContentHandler {
public:
    void SetError(const WString& text, unsigned number) override {
        errorText = text;
        errorNumber = number;
    }
    bool PopObject(const WString& elementName, const WString&) override {
        popped.push_back(elementName);
        return true;
    }
    IFlockDocument* GetDocument() override { return document; }

    WString errorText;
    unsigned errorNumber = 0;
    std::vector<WString> popped;
    IFlockDocument* document = nullptr;
};
