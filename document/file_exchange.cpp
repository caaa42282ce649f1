#include "document/file_exchange.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "document/sheep_doc.h"
#include "document/xml_exchange.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "records/event.h"
#include "records/scan.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_IMAGES = 177;
constexpr unsigned IDS_NO_IMAGE_FOLDER = 178;
constexpr unsigned IDS_RECORDS_READ = 1014;
constexpr unsigned IDS_IMPORTING = 1025;
constexpr size_t kFields = 12;
constexpr size_t kFewestFields = 8;

std::string UpperExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

std::vector<WString> SplitFields(const WString& line) {
    std::vector<WString> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(u'\t', start);
        fields.push_back(line.substr(start, tab == WString::npos ? WString::npos : tab - start));
        if (tab == WString::npos) break;
        start = tab + 1;
    }
    return fields;
}

COleDateTime ParseImportDate(const WString& text) {
    COleDateTime date;
    // A date that does not parse stays invalid; the event is still added.
    if (!date.ParseDateTime(text, VAR_DATEVALUEONLY)) date.SetStatus(COleDateTime::invalid);
    return date;
}

void AddImportEvent(CSheep& sheep, const COleDateTime& date, uint32_t code, const char16_t* first,
                    const char16_t* second = nullptr) {
    auto* event = new CEvent(date, code, first, second);
    if (!CSheep::CanTakeEvent(*event)) {
        event->Release();
        return;
    }
    sheep.AddEvent(event, false);
}

// One animal from the twelve fields of a line.
CRefPtr<CSheep> SheepFromFields(const std::vector<WString>& f) {
    auto sheep = MakeRef<CSheep>();
    sheep->SetFieldValue(SF_TATTOO, &f[0]);
    sheep->SetFieldValue(SF_EARTAG_NUMBER, &f[1]);
    sheep->SetFieldValue(SF_EARTAG_COLOUR, &f[2]);
    if (!f[3].empty()) sheep->SetSex(f[3] == u"M" ? SEX_RAM : SEX_EWE);
    if (long oneOf = 0; !f[4].empty() && ScanDecimalInt(f[4], oneOf)) sheep->SetOneOf(static_cast<int32_t>(oneOf));
    COleDateTime born = COleDateTime::Null();
    if (!f[5].empty()) {
        born = ParseImportDate(f[5]);
        AddImportEvent(*sheep, born, EVENT_BORN, u"Unknown");
    }
    if (!f[6].empty()) AddImportEvent(*sheep, ParseImportDate(f[6]), EVENT_PURCHASED, u"???", u"0");
    long reason = -1;
    if (!f[8].empty() && !ScanDecimalInt(f[8], reason)) reason = 0;
    if (!f[7].empty()) {
        const COleDateTime departed = ParseImportDate(f[7]);
        if (reason == DEPART_SOLD)
            AddImportEvent(*sheep, departed, EVENT_SOLD, u"???", u"0");
        else if (reason == DEPART_DIED)
            AddImportEvent(*sheep, departed, EVENT_DIED, u"Unknown");
        sheep->SetFieldValue(SF_DATE_OF_DEPART, &departed);
    }
    const int32_t departReason = static_cast<int32_t>(reason);
    sheep->SetFieldValue(SF_DEPART_REASON, &departReason);
    sheep->SetDam(f[9]);
    sheep->SetSire(f[10]);
    sheep->SetName(f[11]);
    // The re-tag rule reads the colour first, then the number.
    AddImportEvent(*sheep, born, EVENT_RETAG, f[2].c_str(), f[1].c_str());
    return sheep;
}

bool CopyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    char block[1024];
    while (in.read(block, sizeof block) || in.gcount() > 0) out.write(block, in.gcount());
    return static_cast<bool>(out);
}

void CopyPictures(const std::string& exportPath, const std::map<WString, WString>& pictures) {
    if (pictures.empty()) return;
    const std::filesystem::path folder =
        std::filesystem::path(exportPath).parent_path() / WToUtf8(LoadCvlString(IDS_IMAGES));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        CvlMessageBox(IDS_NO_IMAGE_FOLDER, {Utf8ToW(folder.string())}, MB_OK | MB_ICONERROR);
        return;
    }
    for (const auto& [path, reference] : pictures) {
        const size_t slash = reference.find_last_of(u"\\/");
        const WString name = slash == WString::npos ? reference : reference.substr(slash + 1);
        CopyFile(WToUtf8(path), (folder / WToUtf8(name)).string());
    }
}

}  // namespace

int ExportModeOfPath(const std::string& path) {
    const std::string extension = UpperExtension(path);
    if (extension.empty() || extension == "TXT") return EXPORT_TEXT;
    if (extension == "CSV") return EXPORT_CSV;
    if (extension == "XML") return EXPORT_XML;
    return -1;
}

int ImportTextFile(CSheepDoc& doc, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        CvlMessageBoxText(FormatW("%s could not be opened: %s.", path.c_str(), std::strerror(errno)),
                          MB_OK | MB_ICONERROR);
        return 0;
    }
    std::error_code ec;
    const auto length = std::filesystem::file_size(path, ec);
    int lines = 0;
    {
        CCvlWaitCursor wait;
        CDroppedEIDReport dropped(doc);
        CProgressScope progress(IDS_IMPORTING, ec ? 0 : static_cast<int>(std::min<uintmax_t>(length, INT32_MAX)));
        CCvlHost& host = CvlGetHost();
        size_t consumed = 0;
        std::string raw;
        std::getline(in, raw);  // the header
        consumed += raw.size() + 1;
        while (std::getline(in, raw)) {
            consumed += raw.size() + 1;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            host.SetProgressPos(static_cast<int>(std::min<size_t>(consumed, INT32_MAX)));
            const std::vector<WString> fields = SplitFields(AnsiToW(raw));
            if (fields.size() < kFewestFields) break;
            if (fields.size() < kFields) {
                CvlMessageBoxText(FormatW("Line %d of %s has %d fields where 12 are needed. The import stops "
                                          "there; the animals of the lines before it were kept.",
                                          lines + 2, path.c_str(), static_cast<int>(fields.size())),
                                  MB_OK | MB_ICONERROR);
                break;
            }
            ++lines;
            CRefPtr<CSheep> sheep = SheepFromFields(fields);
            const WString colour = fields[2], number = fields[1];
            if (doc.AddSheep(sheep.Get(), false) >= 0) {
                CSheep* added = sheep.Detach();
                doc.UpdateEarTagIndex(added, colour, number);
            }
        }
    }
    doc.UpdateAllViews(nullptr, HINT_SHEEP_SET | HINT_SHEEP);
    // A flock that is still empty has no animal to show.
    doc.SelectSheepAt(doc.GetSheepCount() > 0 ? 0 : -1, false, true, nullptr);
    doc.UpdateAllViews(nullptr, HINT_CURRENT);
    CvlGetHost().SetMessageText(FormatW(WToUtf8(LoadCvlString(IDS_RECORDS_READ)).c_str(), lines));
    doc.SetModifiedFlag();
    return lines;
}

bool ImportFile(CSheepDoc& doc, const std::string& path) {
    const std::string extension = UpperExtension(path);
    if (extension == "TXT" || extension == "CSV") return ImportTextFile(doc, path) > 0;
    return doc.ImportXML(path);
}

int ExportXMLFile(CSheepDoc& doc, const std::string& path, bool currentOnly) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        CvlMessageBoxText(FormatW("%s could not be created: %s.", path.c_str(), std::strerror(errno)),
                          MB_OK | MB_ICONERROR);
        return -1;
    }
    std::map<WString, WString> pictures;
    int written = 0;
    {
        CCvlWaitCursor wait;
        CXmlFlockWriter writer(doc, [&](std::string_view block) { out.write(block.data(), std::streamsize(block.size())); },
                               &pictures);
        writer.Begin();
        if (currentOnly) {
            if (CSheep* current = doc.GetCurrentSheep()) writer.WriteSheep(*current);
        } else {
            const CCriteria& criteria = *doc.GetCriteria();
            for (int i = 0; i < doc.GetSheepCount(); ++i) {
                CSheep* sheep = doc.GetSheepAt(i);
                CvlGetHost().StepProgress();
                if (sheep->MatchesCriteria(criteria)) writer.WriteSheep(*sheep);
            }
        }
        writer.End();
        written = writer.GetSheepCount();
    }
    out.close();
    if (!out) {
        CvlMessageBoxText(FormatW("%s could not be written completely.", path.c_str()), MB_OK | MB_ICONERROR);
        return -1;
    }
    CopyPictures(path, pictures);
    return written;
}
