#include "records/address.h"

#include <atomic>

#include "platform/host.h"
#include "platform/strings.h"
#include "records/record_xml.h"

using namespace record_xml;

IMPLEMENT_SERIAL(CAddress, CXMLObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CLocalAddress, CAddress, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CMAPIAddress, CAddress, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr unsigned IDS_NOT_RETRIEVED = 62;

std::atomic<IAddressBook*> g_addressBook{nullptr};
IAddressDialogs* g_addressDialogs = nullptr;

struct Entity {
    std::u16string_view text;
    char16_t ch;
};
constexpr Entity kEntities[] = {
    {u"&amp;", u'&'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}, {u"&lt;", u'<'}, {u"&gt;", u'>'},
};

const Entity* EntityAt(WStringView text, size_t pos) {
    for (const Entity& e : kEntities)
        if (text.substr(pos, e.text.size()) == e.text) return &e;
    return nullptr;
}

void ReplaceAll(WString& s, WStringView from, WStringView to) {
    for (size_t pos = s.find(from); pos != WString::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

WString RestoreLineBreaks(WStringView text) {
    WString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
        out += text[i];
    }
    return out;
}

std::string CDataFieldLine(const char* name, WStringView text) {
    return std::string("<") + name + ">" + CXMLObject::MakeCDATA(EncodeCDataField(text)) + "</" + name +
           ">\r\n";
}
}  // namespace

IAddressBook* SetAddressBook(IAddressBook* book) {
    return g_addressBook.exchange(book);
}
IAddressBook* GetAddressBook() {
    return g_addressBook.load();
}

IAddressDialogs* SetAddressDialogs(IAddressDialogs* dialogs) {
    IAddressDialogs* previous = g_addressDialogs;
    g_addressDialogs = dialogs;
    return previous;
}
IAddressDialogs* GetAddressDialogs() {
    return g_addressDialogs;
}

std::string EncodeCDataField(WStringView text) {
    WString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && EntityAt(text, i))
            out += u"&amp;";
        else
            out += text[i];
    }
    return CXMLObject::EncodeUTF8(out, true);
}

WString DecodeCDataField(WStringView text) {
    WString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (const Entity* e = text[i] == u'&' ? EntityAt(text, i) : nullptr) {
            out += e->ch;
            i += e->text.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// ---- CAddress ----------------------------------------------------------------------------------

CAddress::CAddress() : m_dtCreated(COleDateTime::GetCurrentTime()), m_dtEdited(m_dtCreated) {
    EnableAutomation();
}

CAddress::CAddress(const WString& id) : CAddress() {
    m_strID = id;
}

CAddress::CAddress(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                   bool* ok)
    : CAddressAutomation(handler, elementName, attributes, ok),
      m_dtCreated(COleDateTime::GetCurrentTime()),
      m_dtEdited(m_dtCreated) {
    EnableAutomation();
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"Created")) {
            if (!ParseXMLDate(handler, name, value, &m_dtCreated)) *ok = false;
        } else if (Is(name, u"Edited")) {
            if (!ParseXMLDate(handler, name, value, &m_dtEdited)) *ok = false;
        } else if (Is(name, u"ID")) {
            m_strID = value;
        } else if (!Is(name, u"Type")) {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
        }
    }
}

CAddress::~CAddress() = default;

WString CAddress::GetAddress() {
    return WString();
}
WString CAddress::GetTelephone() {
    return WString();
}
WString CAddress::GetFax() {
    return WString();
}
WString CAddress::GetEmail() {
    return WString();
}
WString CAddress::GetPostCode() {
    return WString();
}
WString CAddress::GetDisplayName() {
    return m_strID;
}
int CAddress::GetType() const {
    return typeNone;
}
void CAddress::SetAddress(const WString&) {}
void CAddress::SetTelephone(const WString&) {}
void CAddress::SetFax(const WString&) {}
void CAddress::SetEmail(const WString&) {}
void CAddress::SetPostCode(const WString&) {}
int CAddress::RefreshName(const WString&, WString*) {
    return 0;
}

void CAddress::Assign(const CAddress& other) {
    m_strID = other.m_strID;
    m_dtCreated = other.m_dtCreated;
    m_dtEdited = other.m_dtEdited;
}

int CAddress::Edit(long, IFlockDocument*) {
    return IDCANCEL;
}

int CAddress::EditNew(long, IFlockDocument*) {
    return IDCANCEL;
}

std::vector<WString> CAddress::GetColumnCaptions() {
    return {u"Display as", u"Address", u"Post Code", u"E-Mail", u"Telephone", u"Fax"};
}

WString CAddress::FormatListText(WStringView text) {
    WString s(text);
    ReplaceAll(s, u"\r\n", u", ");
    ReplaceAll(s, u", ,", u", ");
    return s;
}

std::vector<WString> CAddress::GetListRow() {
    return {FormatListText(m_strID), FormatListText(GetAddress()),
            GetPostCode(),           GetEmail(),
            GetTelephone(),          GetFax()};
}

std::string CAddress::WriteXML() {
    std::string s = "<Address Created=\"" + FormatXMLDateUTC(m_dtCreated) + "\" Edited=\"" +
                    FormatXMLDateUTC(m_dtEdited) + "\" ID=\"" + EncodeUTF8(m_strID, false) + "\" Type=\"" +
                    std::to_string(GetType()) + "\">\r\n";
    // No line break after the postal address: the format has always been written so.
    s += "<Postal>" + MakeCDATA(EncodeUTF8(GetAddress(), true)) + "</Postal>";
    if (WString v = GetPostCode(); !v.empty()) s += CDataFieldLine("PostCode", v);
    if (WString v = GetTelephone(); !v.empty()) s += CDataFieldLine("Telephone", v);
    if (WString v = GetEmail(); !v.empty()) s += CDataFieldLine("Email", v);
    if (WString v = GetFax(); !v.empty()) s += CDataFieldLine("Fax", v);
    s += "</Address>\r\n";
    return s;
}

bool CAddress::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    return FinishOrIgnore(*this, handler, name, text);
}

void CAddress::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << m_strID << m_dtCreated << m_dtEdited;
    else
        ar >> m_strID >> m_dtCreated >> m_dtEdited;
}

// ---- CLocalAddress -----------------------------------------------------------------------------

CLocalAddress::CLocalAddress() = default;

CLocalAddress::CLocalAddress(const WString& id) : CAddress(id) {}

CLocalAddress::CLocalAddress(CXMLContentHandler* handler, const WString& elementName,
                             const CXMLAttributes& attributes, bool* ok)
    : CAddress(handler, elementName, attributes, ok) {}

void CLocalAddress::SetAddress(const WString& text) {
    m_strPostal = text;
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CLocalAddress::SetTelephone(const WString& text) {
    m_strTelephone = text;
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CLocalAddress::SetFax(const WString& text) {
    m_strFax = text;
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CLocalAddress::SetEmail(const WString& text) {
    m_strEmail = text;
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CLocalAddress::SetPostCode(const WString& text) {
    m_strPostCode = text;
    m_dtEdited = COleDateTime::GetCurrentTime();
}

int CLocalAddress::EditDetails(long parentHandle, IFlockDocument* doc, bool isNew) {
    IAddressDialogs* dialogs = GetAddressDialogs();
    if (!dialogs) return IDCANCEL;
    IAddressDialogs::CDetails details{m_strPostal,   m_strTelephone, m_strFax,
                                      m_strPostCode, m_strEmail,     m_strID};
    if (dialogs->EditDetails(parentHandle, doc, details, isNew) != IDOK) return IDCANCEL;
    m_strPostal = details.postal;
    m_strTelephone = details.telephone;
    m_strFax = details.fax;
    m_strPostCode = details.postCode;
    m_strEmail = details.email;
    m_strID = details.displayName;
    return IDOK;
}

int CLocalAddress::Edit(long parentHandle, IFlockDocument* doc) {
    return EditDetails(parentHandle, doc, false);
}

int CLocalAddress::EditNew(long parentHandle, IFlockDocument* doc) {
    return EditDetails(parentHandle, doc, true);
}

void CLocalAddress::Serialize(CArchive& ar) {
    CAddress::Serialize(ar);
    if (ar.IsStoring())
        ar << m_strPostal << m_strFax << m_strTelephone << m_strPostCode << m_strEmail;
    else
        ar >> m_strPostal >> m_strFax >> m_strTelephone >> m_strPostCode >> m_strEmail;
}

bool CLocalAddress::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    if (Is(name, u"Postal")) {
        // XML reading turns the CR LF between the lines into LF; the lines are kept with CR LF.
        m_strPostal = RestoreLineBreaks(text);
        return true;
    }
    WString* const fields[] = {&m_strEmail, &m_strTelephone, &m_strFax, &m_strPostCode};
    const char16_t* const names[] = {u"Email", u"Telephone", u"Fax", u"PostCode"};
    for (size_t i = 0; i < 4; ++i) {
        if (Is(name, names[i])) {
            *fields[i] = DecodeCDataField(text);
            return true;
        }
    }
    return CAddress::OnEndElement(handler, name, text);
}

// ---- CMAPIAddress ------------------------------------------------------------------------------

CMAPIAddress::CMAPIAddress() = default;

CMAPIAddress::CMAPIAddress(const WString& id) : CAddress(id) {}

CMAPIAddress::CMAPIAddress(CXMLContentHandler* handler, const WString& elementName,
                           const CXMLAttributes& attributes, bool* ok)
    : CAddress(handler, elementName, attributes, ok) {}

CMAPIAddress::~CMAPIAddress() = default;

WString CMAPIAddress::GetProp(uint32_t propTag) {
    if (!m_entry) return LoadCvlString(IDS_NOT_RETRIEVED);
    WString value;
    if (!m_entry->GetStringProp(propTag, &value)) return WString();
    return value;
}

WString CMAPIAddress::GetAddress() {
    return GetProp(PR_POSTAL_ADDRESS);
}
WString CMAPIAddress::GetTelephone() {
    return GetProp(PR_PRIMARY_TELEPHONE_NUMBER);
}
WString CMAPIAddress::GetFax() {
    return GetProp(PR_PRIMARY_FAX_NUMBER);
}
WString CMAPIAddress::GetEmail() {
    return GetProp(PR_EMAIL_ADDRESS);
}
WString CMAPIAddress::GetPostCode() {
    return GetProp(PR_POSTAL_CODE);
}

WString CMAPIAddress::GetDisplayName() {
    // Only a name the book really gave may replace the stored one: the ID is the address's key
    // and is saved with the file.
    WString name;
    if (m_entry && m_entry->GetStringProp(PR_DISPLAY_NAME, &name)) m_strID = name;
    return m_strID;
}

int CMAPIAddress::RefreshName(const WString& oldName, WString* newName) {
    if (!m_entry) return 2;
    WString name;
    if (!m_entry->GetStringProp(PR_DISPLAY_NAME, &name)) name.clear();
    *newName = name;
    return name != oldName ? 1 : 0;
}

int CMAPIAddress::Edit(long parentHandle, IFlockDocument*) {
    IAddressBook* book = GetAddressBook();
    if (!book || m_entryId.empty()) return IDCANCEL;
    return book->ShowDetails(parentHandle, m_entryId);
}

int CMAPIAddress::EditNew(long parentHandle, IFlockDocument*) {
    IAddressBook* book = GetAddressBook();
    if (!book) return IDCANCEL;
    std::vector<uint8_t> entryId;
    WString name;
    if (book->SelectEntry(parentHandle, &entryId, &name) != IDOK) return IDCANCEL;
    m_entryId = std::move(entryId);
    m_entry.reset();
    if (!m_entryId.empty() && book->OpenEntry(m_entryId, &m_entry) != IAddressBook::opened) m_entry.reset();
    if (!name.empty()) m_strID = name;
    return IDOK;
}

void CMAPIAddress::Serialize(CArchive& ar) {
    CAddress::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<uint32_t>(m_entryId.size());
        if (!m_entryId.empty()) ar.Write(m_entryId.data(), m_entryId.size());
        return;
    }
    uint32_t count = 0;
    ar >> count;
    ar.CheckAvailable(count);
    m_entryId.assign(count, 0);
    if (count) ar.Read(m_entryId.data(), count);
    m_entry.reset();
    if (count == 0) return;
    if (IAddressBook* book = GetAddressBook()) {
        if (book->OpenEntry(m_entryId, &m_entry) == IAddressBook::stopLoading) {
            m_entry.reset();
            throw CArchiveException(CArchiveException::genericException);
        }
    }
}
