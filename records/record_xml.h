// Small pieces that every record's XML reading and writing shares.
#pragma once

#include <string>
#include <typeinfo>

#include "platform/object.h"
#include "platform/oledate.h"
#include "records/xml_object.h"

// The reader's stack of records under construction, as a record that builds child records needs
// it. The document's XML reader implements it beside CXMLContentHandler.
class CXMLObjectStack {
public:
    // Puts a record made for a child element on top of the stack.
    virtual void PushObject(CRefPtr<CXMLObject> object) = 0;
    // Takes the finished object off the end of the stack; the caller owns it from then on (null
    // when the stack is empty).
    virtual CRefPtr<CXMLObject> TakeLastObject() = 0;
    // Why the reader runs: 1 a file import, 2 the document's XML property put or a web reply.
    virtual int GetMode() const = 0;

protected:
    ~CXMLObjectStack() = default;
};

namespace record_xml {

// The stack of the reader behind handler; null when the reader keeps none.
inline CXMLObjectStack* ObjectStack(CXMLContentHandler* handler) {
    return handler ? handler->GetObjectStack() : nullptr;
}

// Takes the finished child off the reader's stack as a T; null when the top is no T (it then stays).
template <class T>
CRefPtr<T> TakeFinished(CXMLContentHandler* handler) {
    CXMLObjectStack* stack = ObjectStack(handler);
    if (!stack) return nullptr;
    CRefPtr<CXMLObject> last = stack->TakeLastObject();
    // The exact type is the usual case, and far cheaper to check than a cast through the hierarchy.
    CXMLObject* object = last.Get();
    T* typed = object && typeid(*object) == typeid(T) ? static_cast<T*>(object) : dynamic_cast<T*>(object);
    if (!typed) {
        if (last) stack->PushObject(std::move(last));
        return nullptr;
    }
    last.Detach();
    return CRefPtr<T>::Adopt(typed);
}

// Pushes a child record; false when the reader keeps no stack.
inline bool PushChild(CXMLContentHandler* handler, CRefPtr<CXMLObject> child) {
    CXMLObjectStack* stack = ObjectStack(handler);
    if (!stack) return false;
    stack->PushObject(std::move(child));
    return true;
}

inline bool Is(WStringView name, const char16_t* expected) {
    return EqualsNoCase(name, expected);
}

// The end of an element that the record has no field for: its own element completes the record
// and hands it to its parent; any other is left to the base hook (message 8 if that refuses).
bool FinishOrIgnore(CXMLObject& record, CXMLContentHandler* handler, const WString& name,
                    const WString& text);

// A date element's text, read as a date only in the user's locale; false when it does not parse.
bool ParseDateOnly(const WString& text, COleDateTime& date);

// "<name>text</name>\r\n" with the text escaped.
std::string EscapedLine(const char* name, WStringView text);
// "<name><![CDATA[text]]></name>\r\n" with the text raw (a "]]>" inside is split).
std::string CDataLine(const char* name, WStringView text);

}  // namespace record_xml
