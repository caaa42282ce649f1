#include "records/xml_object.h"

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>

#include "platform/message_help.h"
#include "platform/strings.h"
#include "records/event.h"
#include "records/record_xml.h"

IMPLEMENT_DYNCREATE(CXMLObject, CCmdTarget)

namespace {
constexpr unsigned IDS_XML_DATETIME_FORMAT = 139;
constexpr unsigned IDS_XML_DATE_FORMAT = 126;
constexpr unsigned IDS_XML_BAD_ATTRIBUTE = 6;
constexpr unsigned IDS_XML_BAD_VALUE = 7;
constexpr unsigned IDS_XML_BAD_CHILD = 8;
// A refusal's number is the help id of the box that reports the stopped import.
CVL_MESSAGE_HELP(IDS_XML_BAD_ATTRIBUTE, IDS_XML_BAD_VALUE, IDS_XML_BAD_CHILD);

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}
}  // namespace

CXMLObjectStack* CXMLContentHandler::GetObjectStack() {
    return dynamic_cast<CXMLObjectStack*>(this);
}

CXMLObject::CXMLObject() = default;

CXMLObject::CXMLObject(CXMLContentHandler*, const WString& elementName, const CXMLAttributes&, bool*) {
    SetElementName(elementName);
}

CXMLObject::CXMLObject(const CXMLObject& other) : CCmdTarget(other) {
    SetElementName(other.GetElementName());
}

CXMLObject& CXMLObject::operator=(const CXMLObject& other) {
    if (this != &other) {
        CCmdTarget::operator=(other);
        SetElementName(other.GetElementName());
    }
    return *this;
}

CXMLObject::~CXMLObject() = default;

const WString& CXMLObject::GetElementName() const {
    static const WString kNone;
    return m_pElementName ? *m_pElementName : kNone;
}

namespace {
// Never destroyed: a record may outlive the statics.
const std::array<WString, 9>& SharedElementNames() {
    static const auto* names = new std::array<WString, 9>{u"Event",       u"Dedov",     u"Sheep",
                                                          u"Lamb",        u"Address",   u"LambingData",
                                                          u"TuppingData", u"Attribute", u"Image"};
    return *names;
}
}  // namespace

void CXMLObject::ElementNameDeleter::operator()(const WString* name) const {
    const auto& shared = SharedElementNames();
    const std::less<const WString*> before;
    if (before(name, shared.data()) || !before(name, shared.data() + shared.size())) delete name;
}

void CXMLObject::SetElementName(const WString& name) {
    if (name.empty()) {
        m_pElementName.reset();
        return;
    }
    const auto& shared = SharedElementNames();
    const auto it = std::find(shared.begin(), shared.end(), name);
    if (it != shared.end())
        m_pElementName.reset(&*it);
    else
        m_pElementName.reset(new WString(name));
}

bool CXMLObject::OnStartChildElement(CXMLContentHandler*, const WString&, const CXMLAttributes&) {
    return true;
}

bool CXMLObject::OnEndElement(CXMLContentHandler*, const WString&, const WString&) {
    return true;
}

void CXMLObject::OnElementComplete(CXMLContentHandler*, const WString&) {}

void CXMLObject::EscapeXML(std::string& text) {
    // The ampersand first, so that no entity made here is escaped again.
    ReplaceAll(text, "&", "&amp;");
    ReplaceAll(text, "\"", "&quot;");
    ReplaceAll(text, "'", "&apos;");
    ReplaceAll(text, "<", "&lt;");
    ReplaceAll(text, ">", "&gt;");
}

std::string CXMLObject::EncodeUTF8(WStringView text, bool raw) {
    // XML cannot carry most control characters, not even as references: one in a comment or
    // a tattoo would make the whole export unreadable, so they are left out.
    auto carried = [](char16_t c) {
        return c >= 0x20 ? (c != 0xFFFE && c != 0xFFFF) : (c == u'\t' || c == u'\n' || c == u'\r');
    };
    std::string s;
    if (std::all_of(text.begin(), text.end(), carried)) {
        s = WToUtf8(text);
    } else {
        WString kept;
        std::copy_if(text.begin(), text.end(), std::back_inserter(kept), carried);
        s = WToUtf8(kept);
    }
    if (!raw) EscapeXML(s);
    return s;
}

void CXMLObject::AppendEncodedUTF8(std::string& out, WStringView text, bool raw) {
    // Plain ASCII that needs no escaping (most tattoos, names and figures) is copied as it is.
    const bool plain = std::all_of(text.begin(), text.end(), [raw](char16_t c) {
        return c < 0x80 && (c >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r') &&
               (raw || (c != u'&' && c != u'"' && c != u'\'' && c != u'<' && c != u'>'));
    });
    if (!plain) {
        out += EncodeUTF8(text, raw);
        return;
    }
    const size_t at = out.size();
    out.resize(at + text.size());
    std::transform(text.begin(), text.end(), out.begin() + std::ptrdiff_t(at),
                   [](char16_t c) { return char(c); });
}

void CXMLObject::AppendCDATA(std::string& out, WStringView text) {
    out += "<![CDATA[";
    const size_t at = out.size();
    AppendEncodedUTF8(out, text, true);
    if (out.find("]]>", at) != std::string::npos) {
        std::string raw = out.substr(at);
        out.resize(at);
        ReplaceAll(raw, "]]>", "]]]]><![CDATA[>");
        out += raw;
    }
    out += "]]>";
}

std::string CXMLObject::AnsiToUTF8(std::string_view text, bool raw) {
    return EncodeUTF8(AnsiToW(text), raw);
}

std::string CXMLObject::MakeCDATA(std::string_view utf8) {
    std::string s(utf8);
    // A "]]>" inside would end the section: it is split across two.
    ReplaceAll(s, "]]>", "]]]]><![CDATA[>");
    return "<![CDATA[" + s + "]]>";
}

std::string CXMLObject::FormatXMLDateUTC(const COleDateTime& date) {
    std::string s;
    AppendXMLDateUTC(s, date);
    return s;
}

std::string CXMLObject::FormatXMLDate(const COleDateTime& date) {
    std::string s;
    AppendXMLDate(s, date);
    return s;
}

namespace {
// The formats are the string table's; when they are the ISO forms (as shipped) the date is written
// without a trip through strftime, which cost more than the rest of an export.
void AppendFormatted(std::string& out, const COleDateTime& date, unsigned formatId, bool withTime) {
    static const bool isoDate = LoadCvlString(IDS_XML_DATE_FORMAT) == u"%Y-%m-%d";
    static const bool isoStamp = LoadCvlString(IDS_XML_DATETIME_FORMAT) == u"%Y-%m-%dT%H:%M:%S";
    if ((withTime ? isoStamp : isoDate) && date.AppendIso(out, withTime)) return;
    out += WToUtf8(date.Format(LoadCvlString(formatId)));
}
}  // namespace

void CXMLObject::AppendXMLDateUTC(std::string& out, const COleDateTime& date) {
    // A stamp that was never set (old files) has no UTC form: it gives an empty value.
    if (date.GetStatus() != COleDateTime::valid) return;
    AppendFormatted(out, date.LocalToUtc(), IDS_XML_DATETIME_FORMAT, true);
}

void CXMLObject::AppendXMLDate(std::string& out, const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return;
    AppendFormatted(out, date, IDS_XML_DATE_FORMAT, false);
}

bool CXMLObject::ParseXMLDate(CXMLContentHandler* handler, const WString& attributeName, const WString& value,
                              COleDateTime* date) {
    // A stamp that was never set is written as an empty value; it reads back as not set.
    if (IsBlankText(value)) {
        *date = COleDateTime::Null();
        return true;
    }
    CEventTextScope* scope = CEventTextScope::Current();
    const long offset = scope ? scope->UtcOffsetSeconds() : COleDateTime::UtcOffsetNow();
    // The form the program writes is read straight away.
    if (COleDateTime parsed; value.size() == 19 && value[10] == u'T' && parsed.ParseIsoDateTime(value, offset)) {
        *date = parsed;
        return true;
    }
    // Every stamp of a file is read here: the usual length is copied without an allocation.
    char16_t buffer[32];
    WString longer;
    char16_t* text = buffer;
    if (value.size() > std::size(buffer)) {
        longer = value;
        text = longer.data();
    } else {
        std::copy(value.begin(), value.end(), buffer);
    }
    int replaced = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (text[i] == u'T') {
            text[i] = u' ';
            ++replaced;
        }
    }
    COleDateTime parsed;
    if (replaced == 1 && parsed.ParseDateTime(WStringView(text, value.size())) &&
        parsed.GetStatus() == COleDateTime::valid) {
        const COleDateTime local = parsed.UtcToLocal(offset);
        if (local.GetStatus() == COleDateTime::valid) {
            *date = local;
            return true;
        }
    }
    ReportBadValue(handler, attributeName, value);
    return false;
}

void CXMLObject::ReportError(CXMLContentHandler* handler, const WString& text, unsigned number) {
    if (handler) handler->SetError(text, number);
}

void CXMLObject::ReportUnknownAttribute(CXMLContentHandler* handler, const WString& attribute,
                                        const WString& element) {
    ReportError(handler, FormatCvlString(IDS_XML_BAD_ATTRIBUTE, {attribute, element}), IDS_XML_BAD_ATTRIBUTE);
}

void CXMLObject::ReportBadValue(CXMLContentHandler* handler, const WString& attribute, const WString& value) {
    ReportError(handler, FormatCvlString(IDS_XML_BAD_VALUE, {attribute, value}), IDS_XML_BAD_VALUE);
}

void CXMLObject::ReportBadChild(CXMLContentHandler* handler, const WString& child, const WString& element) {
    ReportError(handler, FormatCvlString(IDS_XML_BAD_CHILD, {child, element}), IDS_XML_BAD_CHILD);
}
