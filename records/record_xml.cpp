#include "records/record_xml.h"

namespace record_xml {

bool FinishOrIgnore(CXMLObject& record, CXMLContentHandler* handler, const WString& name,
                    const WString& text) {
    if (EqualsNoCase(name, record.GetElementName())) {
        record.OnElementComplete(handler, text);
        return handler->PopObject(name, text);
    }
    if (record.CXMLObject::OnEndElement(handler, name, text)) return true;
    CXMLObject::ReportBadChild(handler, name, record.GetElementName());
    return false;
}

bool ParseDateOnly(const WString& text, COleDateTime& date) {
    return date.ParseDateTime(text, VAR_DATEVALUEONLY);
}

std::string EscapedLine(const char* name, WStringView text) {
    return std::string("<") + name + ">" + CXMLObject::EncodeUTF8(text, false) + "</" + name + ">\r\n";
}

std::string CDataLine(const char* name, WStringView text) {
    return std::string("<") + name + ">" + CXMLObject::MakeCDATA(CXMLObject::EncodeUTF8(text, true)) + "</" +
           name + ">\r\n";
}

}  // namespace record_xml
