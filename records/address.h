// The addresses of trading partners: kept in the document itself, or kept in an address book and
// only referred to by the book's entry identifier.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "platform/oledate.h"
#include "records/record_automation.h"
#include "records/xml_object.h"

// Text properties of an address-book entry (the property tags of the mail system, 8-bit strings).
enum : uint32_t {
    PR_DISPLAY_NAME = 0x3001001Eu,
    PR_EMAIL_ADDRESS = 0x3003001Eu,
    PR_POSTAL_ADDRESS = 0x3A15001Eu,
    PR_PRIMARY_TELEPHONE_NUMBER = 0x3A1A001Eu,
    PR_PRIMARY_FAX_NUMBER = 0x3A23001Eu,
    PR_POSTAL_CODE = 0x3A2A001Eu,
};

// An opened address-book entry.
class IAddressBookEntry {
public:
    virtual ~IAddressBookEntry() = default;
    // False when the entry has no such property (the field then shows empty).
    virtual bool GetStringProp(uint32_t propTag, WString* value) = 0;
};

// The system's address book, when there is one. Without one, address-book addresses keep their
// entry identifiers untouched and show their stored name.
class IAddressBook {
public:
    enum OpenResult { opened, notOpened, stopLoading };
    // Opens the entry for a loading address; stopLoading makes the load fail.
    virtual OpenResult OpenEntry(const std::vector<uint8_t>& entryId,
                                 std::unique_ptr<IAddressBookEntry>* entry) = 0;
    // The book's own details dialog for an entry, over the window the handle names: 1 when it was
    // shown, 2 when the book cannot show it.
    virtual int ShowDetails(long /*parentHandle*/, const std::vector<uint8_t>& /*entryId*/) { return 2; }
    // The book's dialog that chooses one entry: 1 with its identifier and display name, 2 when
    // cancelled or when the book offers no such dialog.
    virtual int SelectEntry(long /*parentHandle*/, std::vector<uint8_t>* /*entryId*/,
                            WString* /*displayName*/) {
        return 2;
    }

protected:
    ~IAddressBook() = default;
};
// The address book used from now on (null: none). Returns the previous one.
IAddressBook* SetAddressBook(IAddressBook* book);
IAddressBook* GetAddressBook();

class IFlockDocument;

// The dialogs that edit addresses, shown by the program's window layer; parents are window
// handles of the program (an unknown one stands for the active top-level window).
class IAddressDialogs {
public:
    struct CDetails {
        WString postal, telephone, fax, postCode, email, displayName;
    };
    // The "Address Details" sheet; IDOK (details hold the edits) or IDCANCEL. A new address's
    // display name must not be filed in doc yet.
    virtual int EditDetails(long parentHandle, IFlockDocument* doc, CDetails& details, bool isNew) = 0;
    // Whether a new address is local (0) or an address-book entry (1); false when cancelled.
    virtual bool ChooseAddressType(long parentHandle, int* type) = 0;

protected:
    ~IAddressDialogs() = default;
};
// The dialogs used from now on (null: none, every edit is cancelled). Returns the previous ones.
IAddressDialogs* SetAddressDialogs(IAddressDialogs* dialogs);
IAddressDialogs* GetAddressDialogs();

class CAddress : public CAddressAutomation {
    DECLARE_SERIAL(CAddress)
public:
    enum Type { typeNone = -1, typeLocal = 0, typeMAPI = 1 };

    CAddress();
    explicit CAddress(const WString& id);
    CAddress(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
             bool* ok);
    ~CAddress() override;

    const WString& GetID() const { return m_strID; }
    void SetID(const WString& id) { m_strID = id; }
    const COleDateTime& GetCreated() const { return m_dtCreated; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }
    void SetCreated(const COleDateTime& d) { m_dtCreated = d; }
    void SetEdited(const COleDateTime& d) { m_dtEdited = d; }

    virtual WString GetAddress();
    virtual WString GetTelephone();
    virtual WString GetFax();
    virtual WString GetEmail();
    virtual WString GetPostCode();
    virtual WString GetDisplayName();
    virtual int GetType() const;
    virtual void SetAddress(const WString& text);
    virtual void SetTelephone(const WString& text);
    virtual void SetFax(const WString& text);
    virtual void SetEmail(const WString& text);
    virtual void SetPostCode(const WString& text);
    // 0 unchanged, 1 renamed (newName set), 2 nothing to ask.
    virtual int RefreshName(const WString& oldName, WString* newName);
    // Copies ID, Created and Edited.
    virtual void Assign(const CAddress& other);
    // The address's own edit over the window the handle names: IDOK (1) when the user ended with
    // OK; 2 when this kind of address cannot be edited.
    virtual int Edit(long parentHandle, IFlockDocument* doc);
    // The same for an address being made.
    virtual int EditNew(long parentHandle, IFlockDocument* doc);

    // The address browser's columns and one row of them; the first two cells show each CR LF as
    // ", " (and a ", ," left by an empty line as ", ").
    static std::vector<WString> GetColumnCaptions();
    std::vector<WString> GetListRow();
    static WString FormatListText(WStringView text);

    // The Address element, UTF-8.
    std::string WriteXML();

    void Serialize(CArchive& ar) override;
    // Its own end tag completes the address; other children are ignored.
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    WString m_strID;
    COleDateTime m_dtCreated;
    COleDateTime m_dtEdited;
    COleAppLock m_appLock;  // holds the application alive while the address exists
};

class CLocalAddress : public CAddress {
    DECLARE_SERIAL(CLocalAddress)
public:
    CLocalAddress();
    explicit CLocalAddress(const WString& id);
    CLocalAddress(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                  bool* ok);

    WString GetAddress() override { return m_strPostal; }
    WString GetTelephone() override { return m_strTelephone; }
    WString GetFax() override { return m_strFax; }
    WString GetEmail() override { return m_strEmail; }
    WString GetPostCode() override { return m_strPostCode; }
    int GetType() const override { return typeLocal; }
    // Each stores and stamps Edited (local time).
    void SetAddress(const WString& text) override;
    void SetTelephone(const WString& text) override;
    void SetFax(const WString& text) override;
    void SetEmail(const WString& text) override;
    void SetPostCode(const WString& text) override;
    // The Address Details sheet; OK copies the six values back without stamping Edited.
    int Edit(long parentHandle, IFlockDocument* doc) override;
    int EditNew(long parentHandle, IFlockDocument* doc) override;

    void Serialize(CArchive& ar) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    int EditDetails(long parentHandle, IFlockDocument* doc, bool isNew);

    WString m_strFax;
    WString m_strTelephone;
    WString m_strPostal;
    WString m_strPostCode;
    WString m_strEmail;
};

class CMAPIAddress : public CAddress {
    DECLARE_SERIAL(CMAPIAddress)
public:
    CMAPIAddress();
    explicit CMAPIAddress(const WString& id);
    CMAPIAddress(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                 bool* ok);
    ~CMAPIAddress() override;

    // The entry's properties; "Could not be retrieved from MAPI" while no entry is open.
    WString GetAddress() override;
    WString GetTelephone() override;
    WString GetFax() override;
    WString GetEmail() override;
    WString GetPostCode() override;
    // The book's display name, which then becomes the ID; the stored ID when the book cannot
    // give it.
    WString GetDisplayName() override;
    int GetType() const override { return typeMAPI; }
    int RefreshName(const WString& oldName, WString* newName) override;
    // The book's details dialog (2 without a book or an entry identifier); EditNew: the book's
    // selection, whose entry this address then refers to under the entry's display name.
    int Edit(long parentHandle, IFlockDocument* doc) override;
    int EditNew(long parentHandle, IFlockDocument* doc) override;

    // The entry identifier exactly as stored.
    const std::vector<uint8_t>& GetEntryID() const { return m_entryId; }
    void SetEntryID(std::vector<uint8_t> entryId) { m_entryId = std::move(entryId); }
    bool IsEntryOpen() const { return m_entry != nullptr; }
    void SetEntry(std::unique_ptr<IAddressBookEntry> entry) { m_entry = std::move(entry); }

    // The child elements of its XML form are ignored: the book owns those values.
    void Serialize(CArchive& ar) override;

protected:
    WString GetProp(uint32_t propTag);

    std::vector<uint8_t> m_entryId;
    std::unique_ptr<IAddressBookEntry> m_entry;
};

// Text placed in a CDATA section as it is, except that an ampersand that would read as one of the
// five entities is written as "&amp;"; DecodeCDataField undoes exactly that and also reads text
// that was escaped in full (files from earlier versions escaped these fields inside CDATA).
std::string EncodeCDataField(WStringView text);
WString DecodeCDataField(WStringView text);
