// libFuzzer target of the "*.lug" language-file reader: the profile parser and the language
// table loading the file from a private language folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/LanguageTable.h"
#include "system/Profile.h"

namespace {

// A private folder that holds the one language file of each input; it is removed again when the
// run ends, so repeated runs leave nothing behind in the temporary folder.
class PrivateFolder {
public:
    PrivateFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/kv-fuzz-lug-XXXXXX";
        if (::mkdtemp(name.data()))
            m_path = name;
    }
    ~PrivateFolder() {
        if (!m_path.empty()) {
            ::unlink((m_path + "/fuzz.lug").c_str());
            ::rmdir(m_path.c_str());
        }
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& Folder() {
    static const PrivateFolder folder;
    return folder.Path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    kv::Profile profile;
    profile.ParseBytes(bytes);
    (void)profile.GetString("App", "8888");
    (void)profile.ToBytes();

    if (Folder().empty())
        return 0;
    const std::string path = Folder() + "/fuzz.lug";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    CLanguageTable table;
    table.SetLanguageFolder(CString(Folder().c_str()));
    table.ScanLanguageFiles();
    table.SelectLanguage(0);
    (void)table.GetText(8888);
    (void)table.GetText(4002);
    (void)table.GetLanguageName(0);
    ::unlink(path.c_str());
    return 0;
}
