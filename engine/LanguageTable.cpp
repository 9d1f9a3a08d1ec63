#include "engine/LanguageTable.h"

#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "resources/language/BuiltinEnglish.h"
#include "system/Paths.h"
#include "system/Profile.h"

#include <algorithm>
#include <deque>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

const char kSection[] = "App";
const char kEnglish[] = "English";
const char kNameKey[] = "8888";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareNoCaseAscii(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The numeric value of a key made of decimal digits only ("04000" is 4000); false otherwise.
bool KeyNumber(const CString& key, long long& value) {
    const std::string& s = key.str();
    if (s.empty() || s.size() > 18)
        return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool Relabelled(LanguageControlKind kind) {
    switch (kind) {
    case LanguageControlKind::Static:
    case LanguageControlKind::PushButton:
    case LanguageControlKind::CheckBox:
    case LanguageControlKind::RadioButton:
    case LanguageControlKind::GroupBox:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Menu keys

void SetMenuItemText(CLanguageMenu& menuBar, int key, const char* text) {
    // Level 1 below 1000, level 2 below 100000, level 3 below 10000000, else level 4.
    const std::string digits = std::to_string(key);
    if (key < 800 || digits[0] != '8' || digits.size() % 2 == 0 || digits.size() > 9)
        return;
    CLanguageMenu* menu = &menuBar;
    const std::size_t pairs = (digits.size() - 1) / 2;
    for (std::size_t level = 0; level < pairs; ++level) {
        const int position = std::stoi(digits.substr(1 + 2 * level, 2));
        if (position >= menu->GetMenuItemCount())
            return;
        if (level + 1 == pairs) {
            menu->SetItemText(position, text ? text : "");
            return;
        }
        // A key for a sub-menu that the pruned menu no longer has must not be followed.
        menu = menu->GetSubMenu(position);
        if (!menu)
            return;
    }
}

// ---------------------------------------------------------------------------------------------
// CIniFile

CString CIniFile::ReadKey(const char* section, const char* key) const {
    kv::Profile profile;
    if (!profile.Load(m_strPath.str()))
        return CString();
    return CString(profile.GetString(section ? section : "", key ? key : ""));
}

int CIniFile::ListSection(std::vector<CString>& keys, std::vector<CString>& values,
                          const char* section) const {
    keys.clear();
    values.clear();
    kv::Profile profile;
    if (!profile.Load(m_strPath.str()))
        return 0;
    const auto* lines = profile.Section(section ? section : "");
    if (!lines)
        return 0;
    for (const auto& line : *lines) {
        keys.emplace_back(line.key);
        values.emplace_back(line.value);
    }
    return static_cast<int>(keys.size());
}

// ---------------------------------------------------------------------------------------------
// CFileList

void CFileList::RemoveAll() {
    m_names.clear();
    m_paths.clear();
}

void CFileList::Append(const CFileList& other) {
    m_names.insert(m_names.end(), other.m_names.begin(), other.m_names.end());
    m_paths.insert(m_paths.end(), other.m_paths.begin(), other.m_paths.end());
}

void CFileList::Truncate(int count) {
    if (count < 0)
        count = 0;
    if (static_cast<std::size_t>(count) < m_names.size()) {
        m_names.resize(static_cast<std::size_t>(count));
        m_paths.resize(static_cast<std::size_t>(count));
    }
}

BOOL CFileList::ListFiles(const CString& folderIn, const CString& pattern) {
    std::string folder = folderIn.str();
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::string& pat = pattern.str();
    const bool everyFile = pat == "*.*";
    const std::string suffix = pat.size() >= 3 ? pat.substr(pat.size() - 3) : pat;

    // Pending sub-folders, relative to `folder` ("" is the folder itself).
    std::deque<std::string> pending{std::string()};
    while (!pending.empty()) {
        const std::string relative = pending.front();
        pending.pop_front();
        const std::string absolute = relative.empty() ? folder : folder + "/" + relative;
        DIR* dir = ::opendir(absolute.c_str());
        if (!dir)
            continue;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string childRelative = relative.empty() ? name : relative + "/" + name;
            const std::string childAbsolute = absolute + "/" + name;
            struct stat link {};
            if (::lstat(childAbsolute.c_str(), &link) != 0)
                continue;
            // Linked folders are not entered: a link back up the tree would be walked for ever.
            if (S_ISDIR(link.st_mode)) {
                if (static_cast<int>(pending.size()) >= kMaxPendingFolders) {
                    ::closedir(dir);
                    if (m_onMessage)
                        m_onMessage(CString("同一层子目录太多!"));
                    return FALSE;
                }
                pending.push_back(childRelative);
                continue;
            }
            struct stat target {};
            if (::stat(childAbsolute.c_str(), &target) != 0 || !S_ISREG(target.st_mode))
                continue;
            const bool matches =
                everyFile || (name.size() >= suffix.size() &&
                              CompareNoCaseAscii(name.substr(name.size() - suffix.size()), suffix) == 0);
            if (matches) {
                m_names.emplace_back(name);
                m_paths.emplace_back(childRelative);
            }
        }
        ::closedir(dir);
    }

    // Sort by name without regard to case; equal names fall back to exact spelling and then
    // to the sub-folder, so the order (and with it every language index) never depends on the
    // order the file system returns entries in.
    std::vector<std::size_t> order(m_names.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareNoCaseAscii(m_names[a].str(), m_names[b].str());
        if (c != 0)
            return c < 0;
        if (m_names[a].str() != m_names[b].str())
            return m_names[a].str() < m_names[b].str();
        return m_paths[a].str() < m_paths[b].str();
    });
    std::vector<CString> names, paths;
    names.reserve(order.size());
    paths.reserve(order.size());
    for (std::size_t i : order) {
        names.push_back(m_names[i]);
        paths.push_back(m_paths[i]);
    }
    m_names.swap(names);
    m_paths.swap(paths);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CLanguageTable

CString CLanguageTable::GetLanguageFolder() const {
    if (!m_strFolder.IsEmpty())
        return m_strFolder;
    return CString(kv::ProgramFolder() + "/language");
}

std::vector<CString> CLanguageTable::GetLanguageFolders() const {
    if (!m_strFolder.IsEmpty())
        return {m_strFolder};
    std::vector<CString> folders{GetLanguageFolder()};
    const std::string settings = kv::SettingsFolder();
    if (settings != kv::ProgramFolder())
        folders.emplace_back(settings + "/language");
    return folders;
}

void CLanguageTable::ScanLanguageFiles() {
    m_files.RemoveAll();
    m_fileFolders.clear();
    for (const CString& folder : GetLanguageFolders()) {
        CFileList found;
        found.SetMessageHandler(m_onMessage);
        found.ListFiles(folder + "/", "*.lug");
        m_files.Append(found);
        m_fileFolders.resize(static_cast<std::size_t>(m_files.GetCount()), folder);
    }
    m_files.Truncate(kMaxLanguageFiles);
    m_fileFolders.resize(static_cast<std::size_t>(m_files.GetCount()));
    const std::size_t count = static_cast<std::size_t>(GetLanguageCount());
    m_names.assign(count, CString());
    m_nameKnown.assign(count, false);
}

int CLanguageTable::NormalizeIndex(int index) const {
    // A negative index (from a damaged setup file, say) would otherwise index the file list.
    if (index < 0 || index >= GetLanguageCount())
        return kBuiltin;
    return index;
}

void CLanguageTable::SelectLanguage(int index) {
    m_nIndex = NormalizeIndex(index);
    LoadLanguage(m_nIndex);
}

void CLanguageTable::Append(const CString& key, const CString& text) {
    m_keys.push_back(key);
    m_texts.push_back(text);
}

void CLanguageTable::LoadLanguage(int index) {
    m_keys.clear();
    m_texts.clear();
    m_strLoadError.Empty();
    if (index < 0) {
        // The built-in table is read straight from the program's own data; it is never written
        // to a file that another user or program could replace or read back in its place.
        for (const auto& entry : kv::BuiltinEnglishTable())
            Append(CString(std::to_string(entry.key)), CString(entry.text));
    } else if (GetLanguageCount() > 0) {
        // The whole section is read, however long the file is, and the file only once: its
        // name comes from the same reading.
        const CString path = GetLanguageFilePath(index);
        kv::Profile profile;
        kv::FileError error;
        if (!profile.Load(path.str(), &error))
            m_strLoadError = CString(path.str() + ": " + error.Text());
        if (const auto* lines = profile.Section(kSection)) {
            m_keys.reserve(lines->size());
            m_texts.reserve(lines->size());
            for (const auto& line : *lines)
                Append(CString(line.key), CString(line.value));
        }
        const std::size_t file = static_cast<std::size_t>(std::min(index, GetLanguageCount() - 1));
        if (file < m_names.size()) {
            const CString name(profile.GetString(kSection, kNameKey));
            m_names[file] = name.IsEmpty() ? GetLanguageFileTitle(index) : name;
            m_nameKnown[file] = true;
        }
    }
    AppendModelEntries();
    AppendLanguageEntries();
}

void CLanguageTable::AppendModelEntries() {
    const ModelCapabilities& model = CapabilitiesOfModel(m_nModel);
    // Horizontal > Time/DIV > nS: a model with the 2 ns step starts there, the others at 4 ns.
    static const char* const kNanoseconds[] = {"2nS",  "4nS",   "10nS",  "20nS",
                                               "40nS", "100nS", "200nS", "400nS"};
    const int first = model.Has2ns() ? 0 : 1;
    for (int i = first; i < 8; ++i)
        Append(CString(std::to_string(804000000 + (i - first))), CString(kNanoseconds[i]));

    // Acquire > Buffer Size: the items the model offers, in record-length mode order.
    static const char* const kBufferSizes[] = {"10k", "14k", "28k", "32k", "64k", "512k", "1 M"};
    int position = 0;
    for (int mode = kRecordLength10K; mode <= kRecordLength1M; ++mode)
        if (model.OffersRecordLengthMode(mode))
            Append(CString(std::to_string(8080900 + position++)), CString(kBufferSizes[mode]));
}

void CLanguageTable::AppendLanguageEntries() {
    // Utility > Language: "Default" and a separator come first, so file i sits at position i + 2.
    for (int i = 0; i < GetLanguageCount(); ++i) {
        CString key;
        key.Format("80908%02d", i + 2);
        Append(key, GetLanguageName(i));
    }
}

bool CLanguageTable::FindText(const char* key, CString& text) const {
    const std::string k = key ? key : "";
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].str() == k) {
            text = m_texts[i];
            return true;
        }
    }
    return false;
}

CString CLanguageTable::GetText(int id) const {
    CString text;
    FindText(std::to_string(id).c_str(), text);
    return text;
}

void CLanguageTable::TranslateControl(CLanguageControl& control, int id) const {
    // Lists, combo boxes and edits share ids with labels in other dialogs; relabelling them
    // would replace their contents or values.
    if (!Relabelled(control.GetControlKind()))
        return;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        long long number = 0;
        if (KeyNumber(m_keys[i], number) && number == id) {
            control.SetWindowText(m_texts[i]);
            return;
        }
    }
}

void CLanguageTable::TranslateDialog(CLanguageDialog& dialog) const {
    const int count = dialog.GetChildCount();
    for (int i = 0; i < count; ++i) {
        if (CLanguageControl* child = dialog.GetChild(i))
            TranslateControl(*child, child->GetDlgCtrlID());
    }
}

void CLanguageTable::TranslateMenuItem(CLanguageMenu& menu, int position, int key) const {
    if (position < 0 || position >= menu.GetMenuItemCount() || menu.GetMenuItemID(position) == 0)
        return;
    CString text;
    if (!FindText(std::to_string(key).c_str(), text) || text == "--")
        return;
    menu.SetItemText(position, text);
}

namespace {

void TranslateLevel(const CLanguageTable& table, CLanguageMenu& menu, int level, int prefix) {
    // Two digits per level: a position past 99 has no key of its own.
    const int count = std::min(menu.GetMenuItemCount(), 100);
    for (int position = 0; position < count; ++position) {
        if (menu.GetMenuItemID(position) == 0)
            continue;
        const int key = prefix * 100 + position;
        table.TranslateMenuItem(menu, position, key);
        if (level < 4) {
            if (CLanguageMenu* sub = menu.GetSubMenu(position))
                TranslateLevel(table, *sub, level + 1, key);
        }
    }
}

} // namespace

void CLanguageTable::TranslateMenu(CLanguageMenu& menuBar) const {
    TranslateLevel(*this, menuBar, 1, 8);
}

CString CLanguageTable::GetLanguageFileTitle(int index) const {
    if (index < 0)
        return CString(kEnglish);
    const int count = GetLanguageCount();
    if (count == 0)
        return CString();
    const CString& name = m_files.GetName(std::min(index, count - 1));
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString CLanguageTable::GetLanguageName(int index) const {
    if (index < 0)
        return CString(kEnglish);
    const int count = GetLanguageCount();
    if (count == 0)
        return CString();
    const std::size_t file = static_cast<std::size_t>(std::min(index, count - 1));
    if (file < m_nameKnown.size() && m_nameKnown[file])
        return m_names[file];
    const CString name = CIniFile(GetLanguageFilePath(index)).ReadKey(kSection, kNameKey);
    const CString result = name.IsEmpty() ? GetLanguageFileTitle(index) : name;
    if (file < m_nameKnown.size()) {
        m_names[file] = result;
        m_nameKnown[file] = true;
    }
    return result;
}

CString CLanguageTable::GetLanguageFilePath(int index) const {
    const int count = GetLanguageCount();
    if (index < 0 || count == 0)
        return CString();
    // Files in sub-folders are loaded from where they were found.
    const std::size_t file = static_cast<std::size_t>(std::min(index, count - 1));
    return m_fileFolders.at(file) + "/" + m_files.GetRelativePath(static_cast<int>(file));
}
