// Mouse cursor shapes over windows, and owned popup windows.
#include "framework/Cursor.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

#include <QCursor>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

class FwCursor : public ::testing::Test {
protected:
    void SetUp() override { kv::EnsureApplication(); }
};

TEST_F(FwCursor, StandardCursorsAreSharedDistinctHandles) {
    std::set<HCURSOR> seen;
    for (UINT id : {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW,
                    IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND}) {
        HCURSOR h = LoadStandardCursor(id);
        ASSERT_NE(h, nullptr) << id;
        EXPECT_EQ(LoadStandardCursor(id), h);
        EXPECT_EQ(GetStandardCursorId(h), id);
        seen.insert(h);
    }
    EXPECT_EQ(seen.size(), 12u);
    // Program resources and unknown ids are no standard cursor.
    EXPECT_EQ(LoadStandardCursor(170), nullptr);
    EXPECT_EQ(LoadStandardCursor(0), nullptr);
    EXPECT_EQ(GetStandardCursorId(nullptr), 0u);
}

TEST_F(FwCursor, SetWindowCursorShowsTheShapeAndReturnsThePreviousOne) {
    CWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "w", WS_VISIBLE, CRect(0, 0, 50, 40), nullptr, 0));
    EXPECT_EQ(GetWindowCursor(&wnd), nullptr);
    EXPECT_EQ(SetWindowCursor(&wnd, LoadStandardCursor(IDC_SIZEWE)), nullptr);
    EXPECT_EQ(wnd.GetWidget()->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(SetWindowCursor(&wnd, LoadStandardCursor(IDC_CROSS)), LoadStandardCursor(IDC_SIZEWE));
    EXPECT_EQ(wnd.GetWidget()->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(GetWindowCursor(&wnd), LoadStandardCursor(IDC_CROSS));
    EXPECT_EQ(SetWindowCursor(&wnd, LoadStandardCursor(IDC_HAND)), LoadStandardCursor(IDC_CROSS));
    EXPECT_EQ(wnd.GetWidget()->cursor().shape(), Qt::PointingHandCursor);

    // Null gives the window its default arrow back.
    SetWindowCursor(&wnd, nullptr);
    EXPECT_EQ(wnd.GetWidget()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(GetWindowCursor(&wnd), nullptr);
    wnd.DestroyWindow();
}

TEST_F(FwCursor, WindowsThatDoNotExistAreLeftAlone) {
    CWnd never;
    EXPECT_EQ(SetWindowCursor(&never, LoadStandardCursor(IDC_CROSS)), nullptr);
    EXPECT_EQ(GetWindowCursor(&never), nullptr);
    EXPECT_EQ(SetWindowCursor(nullptr, LoadStandardCursor(IDC_CROSS)), nullptr);
    EXPECT_EQ(GetWindowCursor(nullptr), nullptr);
}

// An owned popup is a window of its own: visible while its hidden owner is not, and centred
// over the owner. A child keeps living inside its parent.
TEST_F(FwCursor, OwnedPopupIsAWindowOfItsOwnCentredOverItsOwner) {
    CWnd owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner", 0, CRect(100, 80, 500, 380), nullptr, 0));
    CWnd popup;
    ASSERT_TRUE(popup.Create(nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 30), &owner, 0));
    EXPECT_TRUE(popup.GetWidget()->isWindow());
    EXPECT_TRUE(popup.IsWindowVisible());
    EXPECT_FALSE(owner.IsWindowVisible());
    EXPECT_EQ(popup.GetParent(), &owner);
    popup.CenterWindow();
    const QPoint ownerAt = owner.GetWidget()->mapToGlobal(QPoint(0, 0));
    const QPoint popupAt = popup.GetWidget()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popupAt.x() - ownerAt.x(), (400 - 40) / 2);
    EXPECT_EQ(popupAt.y() - ownerAt.y(), (300 - 30) / 2);

    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 30), &owner, 0));
    EXPECT_FALSE(child.GetWidget()->isWindow());
    EXPECT_FALSE(child.IsWindowVisible());

    popup.DestroyWindow();
    child.DestroyWindow();
    owner.DestroyWindow();
}

} // namespace
