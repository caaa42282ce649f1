// The flock exchange file as the program writes it: declaration, root in the program's namespace,
// the Definition block, the animals, the addresses they refer to and the closing line. The file
// export, the document's XML property, the web upload and the one-animal report share the writer.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "records/event.h"
#include "records/sheep_storage.h"

class CSheep;
class CSheepDoc;

// The one namespace of the exchange file: the writer's root, the schema, the import's checks and
// message 67 all take it from here.
extern const char kCvlXmlNamespace[];
WString CvlXmlNamespace();

// The running program's file version: most significant 32 bits above the least significant.
uint64_t CvlProgramFileVersion();

// "<?xml ...?>" CR LF, the style-sheet instruction when one is given, and the root's opening tag
// (no line end after it).
std::string WriteXMLHeader(const WString* stylesheet);
// The closing line, one text for the whole run.
const std::string& GetXMLFooter();
// The Definition block of the document: breed, farm address, telephone and fax when set, the program
// and plug-in versions, the weight unit and the plug-in's own farm details (keys 1025..32767).
std::string WriteDefinitionXML(const CSheepDoc& doc);

// Writes one exchange file in pieces: Begin, the animals, End. Output goes to the sink in blocks,
// so that a large flock is never held whole in memory.
class CXmlFlockWriter {
public:
    using Sink = std::function<void(std::string_view)>;
    // pictures: when given, each written animal's pictures are entered (full path -> the reference
    // in the export's image folder).
    CXmlFlockWriter(const CSheepDoc& doc, Sink sink, std::map<WString, WString>* pictures = nullptr);
    ~CXmlFlockWriter();
    CXmlFlockWriter(const CXmlFlockWriter&) = delete;
    CXmlFlockWriter& operator=(const CXmlFlockWriter&) = delete;

    void Begin(const WString* stylesheet = nullptr);
    void WriteSheep(CSheep& sheep);
    // The referred addresses, each once, then the closing line; flushes the sink.
    void End();
    int GetSheepCount() const { return m_nSheep; }
    const CAddressKeySet& GetAddressKeys() const { return m_addressKeys; }

private:
    void Put(std::string_view text);
    void Flush();

    const CSheepDoc& m_doc;
    Sink m_sink;
    std::map<WString, WString>* m_pPictures;
    CExcludedCodes m_excluded;
    CEventXmlNames m_names;
    CAddressKeySet m_addressKeys;
    std::string m_buffer;
    int m_nSheep = 0;
};

// The whole file for the animals that pass the document's criteria, in document order, as one
// UTF-8 text; the progress indicator steps once per animal looked at when progress is set.
std::string WriteFlockXML(CSheepDoc& doc, bool progress);
