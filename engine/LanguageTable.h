#pragma once
// The language table: every user-interface text looked up by number, filled from the built-in
// English table or from one of the "*.lug" profile files in the program's "language" folder.
// Menus and dialogs are reached through the small abstract interfaces below, which the GUI
// implements; the table itself knows nothing of windows.
#include "framework/CString.h"
#include "system/wintypes.h"

#include <functional>
#include <utility>
#include <vector>

// What a dialog child is, as far as relabelling goes: statics, buttons and group frames take a
// language text; lists, combo boxes and edits hold data and are never relabelled.
enum class LanguageControlKind {
    Static,
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    Edit,
    ComboBox,
    ListBox,
    Other
};

// One child window of a dialog.
class CLanguageControl {
public:
    virtual ~CLanguageControl() = default;
    virtual int GetDlgCtrlID() const = 0;
    virtual LanguageControlKind GetControlKind() const = 0;
    virtual void SetWindowText(const char* text) = 0;
};

// A dialog: its direct children in window order.
class CLanguageDialog {
public:
    virtual ~CLanguageDialog() = default;
    virtual int GetChildCount() const = 0;
    virtual CLanguageControl* GetChild(int index) = 0;
};

// A menu by position. Item ids: 0 a separator, 0xFFFFFFFF a popup (which has a sub-menu).
// SetItemText on the menu bar changes the popup's title plainly; on any other menu it goes
// through the owner-drawn item's own text.
class CLanguageMenu {
public:
    virtual ~CLanguageMenu() = default;
    virtual int GetMenuItemCount() const = 0;
    virtual UINT GetMenuItemID(int position) const = 0;
    virtual CLanguageMenu* GetSubMenu(int position) = 0;
    virtual void SetItemText(int position, const char* text) = 0;
};

// Sets the text of the main-menu item that a menu key names ("8" + two digits per level:
// 800..899 the menu bar, 80000.. its items, and so on, up to four levels), walking down from the
// menu bar by the key's digit pairs. A key that names no existing item changes nothing.
void SetMenuItemText(CLanguageMenu& menuBar, int key, const char* text);

// Profile-file access to one file.
class CIniFile {
public:
    CIniFile() = default;
    explicit CIniFile(const CString& path) : m_strPath(path) {}

    void SetPath(const CString& path) { m_strPath = path; }
    const CString& GetPath() const { return m_strPath; }

    // The key's value with surrounding blanks removed; empty when the file, section or key is absent.
    CString ReadKey(const char* section, const char* key) const;
    // Every line of the section, split at the first '=', in file order; returns the count.
    int ListSection(std::vector<CString>& keys, std::vector<CString>& values, const char* section) const;

private:
    CString m_strPath;
};

// Finds files by the last three characters of their names in a folder and all its sub-folders.
class CFileList {
public:
    // At most this many sub-folders wait to be searched; beyond it the walk gives up.
    static constexpr int kMaxPendingFolders = 4160;

    // Lists `folder` breadth-first; every regular file (or link to one) whose name ends in the
    // pattern's last three characters (case ignored; every file for "*.*") is added. Named pipes,
    // devices and sockets are passed over: reading one would stall the program. Then sorts the names without
    // regard to case and returns TRUE; when too many sub-folders are pending it reports the fact,
    // stops and returns FALSE with the names found so far, unsorted.
    BOOL ListFiles(const CString& folder, const CString& pattern);

    int GetCount() const { return static_cast<int>(m_names.size()); }
    // Bare file name, and its path relative to the listed folder (the same for files at its top).
    const CString& GetName(int index) const { return m_names.at(static_cast<size_t>(index)); }
    const CString& GetRelativePath(int index) const { return m_paths.at(static_cast<size_t>(index)); }
    void RemoveAll();
    // Keeps the first `count` names.
    void Truncate(int count);
    // Adds the names of another listing after these, in its order.
    void Append(const CFileList& other);

    // Receives the "too many sub-folders" message (shown to the user in a message box).
    void SetMessageHandler(std::function<void(const CString&)> handler) { m_onMessage = std::move(handler); }

private:
    std::vector<CString> m_names;
    std::vector<CString> m_paths;
    std::function<void(const CString&)> m_onMessage;
};

class CLanguageTable {
public:
    static constexpr int kBuiltin = -1;
    // Keeps the Language submenu's keys ("80908" + two digits) and command ids (9001 + i) in range.
    static constexpr int kMaxLanguageFiles = 98;

    CLanguageTable() = default;

    // Lists the "*.lug" files of the language folders (see GetLanguageFolders).
    void ScanLanguageFiles();
    // Stores the index (anything outside -1 .. count - 1 becomes -1) and loads that language.
    void SelectLanguage(int index);
    // Fills the table from the built-in table (-1) or from file `index`, then adds the entries
    // that depend on the model and on the language files found.
    void LoadLanguage(int index);

    void SetModel(int model) { m_nModel = model; }
    int GetModel() const { return m_nModel; }
    int GetLanguageIndex() const { return m_nIndex; }
    int GetLanguageCount() const { return m_files.GetCount(); }
    // -1 for anything that does not name a listed file.
    int NormalizeIndex(int index) const;

    // The text of the first key equal to the decimal form of `id` (compared as text); empty when
    // there is none.
    CString GetText(int id) const;
    // The same lookup for a key given as text; false when absent.
    bool FindText(const char* key, CString& text) const;

    // Relabels every direct child of the dialog by its control id.
    void TranslateDialog(CLanguageDialog& dialog) const;
    void Translate(CLanguageDialog& dialog) const { TranslateDialog(dialog); }
    // The first key whose numeric value equals `id` gives the control's text; without one, or for
    // a control that holds data (list, combo box, edit), the control is left as it is.
    void TranslateControl(CLanguageControl& control, int id) const;

    // Applies the menu keys to every item at every level (up to four) of the menu bar.
    void TranslateMenu(CLanguageMenu& menuBar) const;
    // Applies the text of `key` to the item at `position` of `menu` (the menu holding that item).
    // Separators, and texts "--", are never applied; a missing key leaves the item unchanged.
    void TranslateMenuItem(CLanguageMenu& menu, int position, int key) const;

    // "English" for the built-in table; empty when no file was found; otherwise the file name
    // without its extension. Indexes past the last file name the last file.
    CString GetLanguageFileTitle(int index) const;
    // "English" for the built-in table; empty when no file was found; otherwise key 8888 of the
    // file's "App" section, or its file title when that is empty. Each file is read for its name
    // once per folder scan (a file loaded as the table gives its name from that reading).
    CString GetLanguageName(int index) const;
    // Full path of file `index`; empty when no file was found or for the built-in table.
    CString GetLanguageFilePath(int index) const;

    // The folder searched for language files: the program folder's "language" unless set.
    CString GetLanguageFolder() const;
    // Every folder searched, in listing order: the one set, or else the program folder's
    // "language" and, when the settings live in the user's own folder (kv::SettingsFolder), the
    // "language" folder there. Each folder's files are sorted among themselves and follow the
    // files of the folders before it, so files a user adds never move the program's languages
    // (whose indexes setup files store).
    std::vector<CString> GetLanguageFolders() const;
    void SetLanguageFolder(const CString& folder) { m_strFolder = folder; }

    // Receives messages meant for a message box.
    void SetMessageHandler(std::function<void(const CString&)> handler) { m_onMessage = std::move(handler); }

    // Why the last load from a language file read nothing ("<path>: <reason>"); empty when it
    // worked or loaded the built-in table.
    const CString& GetLoadError() const { return m_strLoadError; }

    // The loaded entries, in lookup order.
    int GetEntryCount() const { return static_cast<int>(m_keys.size()); }
    const CString& GetKeyAt(int index) const { return m_keys.at(static_cast<size_t>(index)); }
    const CString& GetTextAt(int index) const { return m_texts.at(static_cast<size_t>(index)); }

private:
    void Append(const CString& key, const CString& text);
    void AppendModelEntries();
    void AppendLanguageEntries();

    int m_nIndex = kBuiltin;
    std::vector<CString> m_keys;
    std::vector<CString> m_texts;
    CFileList m_files;
    // The folder each listed file was found in.
    std::vector<CString> m_fileFolders;
    std::function<void(const CString&)> m_onMessage;
    int m_nModel = 0;
    CString m_strFolder;
    CString m_strLoadError;
    // Language names by file index, read at most once per scan.
    mutable std::vector<CString> m_names;
    mutable std::vector<bool> m_nameKnown;
};
