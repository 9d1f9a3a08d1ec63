#pragma once
// The document half of document/view: title, path and modified flag; views are told
// through UpdateAllViews by whatever hosts them.
#include "framework/CString.h"
#include "framework/CmdTarget.h"

class CDocument : public CCmdTarget {
public:
    ~CDocument() override = default;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const char* title) { m_strTitle = title ? title : ""; }
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(const char* path) { m_strPathName = path ? path : ""; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    virtual BOOL OnNewDocument() {
        DeleteContents();
        m_bModified = false;
        return TRUE;
    }
    virtual void DeleteContents() {}

private:
    CString m_strTitle;
    CString m_strPathName;
    bool m_bModified = false;
};
