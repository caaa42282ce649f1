// A scratch folder with its own settings, an install prefix holding the program's schema, and the
// breeds registered: the shipped one (with its validator), a test breed whose validator style sheet
// is broken, and one without a validator.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "document/sheep_doc.h"
#include "document/xml_exchange.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "support/scripted_host_fixture.h"

namespace exchange {

inline const std::u16string kGeneral = u"General Sheep";
inline const std::u16string kBrokenValidator = u"Texel";
inline const std::u16string kNoValidator = u"Lean";

class ExchangeFolder {
public:
    ExchangeFolder() {
        char tmpl[] = "/tmp/cvl-exchange-XXXXXX";
        if (!mkdtemp(tmpl)) ADD_FAILURE() << "no temporary folder";
        root = tmpl;
        for (const char* name : {"CVL_MACHINE_CONFIG_DIR", "CVL_USER_CONFIG_DIR", "CVL_INSTALL_PREFIX", "TZ"}) {
            const char* v = getenv(name);
            m_saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        setenv("CVL_MACHINE_CONFIG_DIR", (root + "/machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (root + "/user").c_str(), 1);
        setenv("CVL_INSTALL_PREFIX", (root + "/prefix").c_str(), 1);
        setenv("TZ", "<-03>3", 1);
        tzset();
        std::filesystem::create_directories(root + "/prefix/share/corvalen");
        std::filesystem::copy_file(CVL_XML_SCHEMA_FILE, root + "/prefix/share/corvalen/corvalen.xsd");
        std::ofstream(root + "/prefix/share/corvalen/components") << "Schema=share/corvalen/corvalen.xsd\n";
        Register(kGeneral, CVL_BREED_GENERAL);
        Register(kBrokenValidator, CVL_BREED_FULL);
        Register(kNoValidator, CVL_BREED_LEAN);
    }
    ~ExchangeFolder() {
        for (auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        tzset();
        std::filesystem::remove_all(root);
    }
    static void Register(const std::u16string& breed, const char* library) {
        EXPECT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", breed, Utf8ToW(library)));
    }
    std::string Path(const std::string& name) const { return root + "/" + name; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// A document bound to a breed, with every animal shown (the criteria take all).
inline void BindBreed(CSheepDoc& doc, const std::u16string& breed) {
    EXPECT_EQ(doc.LoadBreedPlugIn(breed, true), BREED_LOADED);
    doc.SetAttribute(FARM_BREED, breed);
    doc.GetExtractionCriteria().m_nType = CRITERIA_ALL;
    doc.SetModifiedFlag(false);
}

class ExchangeTest : public testing::Test {
protected:
    ExchangeFolder folder;
    CScopedScriptedHost host;
};

}  // namespace exchange
