// The main window, the About box and Host for Friends at 96, 120, 144 and 192 DPI (Wine's LogPixels
// setting): the pictures fill the frames their templates give them, and no label is cut off.
#include <gtest/gtest.h>

#include "harness.h"
#include "host_friends_ids.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

// Sets the screen's DPI for the programs started from now on; puts the old setting back.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr);
        DWORD size = sizeof old_;
        had_ = ::RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScreenDpi() {
        if (had_)
            ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else
            ::RegDeleteValueA(key_, "LogPixels");
        ::RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

// A picture's rectangle in its dialog template (dialog units) and its bitmap's size.
struct PictureFrame {
    RECT units;  // left, top, width, height
    SIZE bitmap;
};
const PictureFrame kTitle = {{7, 44, 148, 44}, {220, 72}};
const PictureFrame kAbout = {{7, 7, 200, 148}, {300, 240}};

RECT InPixels(const DialogLayout& layout, const RECT& units) {
    const int left = ::MulDiv(units.left, layout.baseX, 4), top = ::MulDiv(units.top, layout.baseY, 8);
    return {left, top, left + ::MulDiv(units.right, layout.baseX, 4), top + ::MulDiv(units.bottom, layout.baseY, 8)};
}

bool IsPicture(const ControlLayout& c) { return c.className == "Static" && (c.style & SS_TYPEMASK) == SS_BITMAP; }

void ExpectPictureFillsItsFrame(const DialogLayout& layout, const PictureFrame& frame) {
    std::vector<ControlLayout> pictures;
    for (const ControlLayout& c : layout.controls)
        if (IsPicture(c)) pictures.push_back(c);
    ASSERT_EQ(pictures.size(), 1u);
    const ControlLayout& picture = pictures[0];
    const RECT expected = InPixels(layout, frame.units);
    if (layout.dpi == 96) {
        // The design size: the picture as drawn, in a control where its template puts it.
        EXPECT_EQ(picture.picture.cx, frame.bitmap.cx);
        EXPECT_EQ(picture.picture.cy, frame.bitmap.cy);
        EXPECT_EQ(picture.rect.left, expected.left);
        EXPECT_EQ(picture.rect.top, expected.top);
        EXPECT_LE(std::abs((picture.rect.right - picture.rect.left) - (expected.right - expected.left)), 3);
        EXPECT_LE(std::abs((picture.rect.bottom - picture.rect.top) - (expected.bottom - expected.top)), 3);
        return;
    }
    EXPECT_EQ(picture.rect.left, expected.left);
    EXPECT_EQ(picture.rect.top, expected.top);
    EXPECT_EQ(picture.rect.right, expected.right);
    EXPECT_EQ(picture.rect.bottom, expected.bottom);
    EXPECT_EQ(picture.picture.cx, picture.client.cx);
    EXPECT_EQ(picture.picture.cy, picture.client.cy);
    EXPECT_GT(picture.picture.cx, frame.bitmap.cx);  // drawn larger, not left at its design size
}

// Every label's text, in the control's own font, fits the room the control gives it.
void ExpectLabelsFit(const DialogLayout& layout) {
    const int checkBox = ::MulDiv(13, layout.dpi, 96) + 4;  // the box of a check or radio button and its gap
    for (const ControlLayout& c : layout.controls) {
        if (c.text.empty() || IsPicture(c) || (c.className != "Static" && c.className != "Button")) continue;
        LONG room = c.client.cx;
        if (c.className == "Button") {
            const LONG type = c.style & BS_TYPEMASK;
            if (type == BS_GROUPBOX)
                room -= ::MulDiv(8, layout.baseX, 4);  // the frame's corners
            else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
                room -= 4;  // the button's edges
            else
                room -= checkBox;
        }
        EXPECT_LE(c.label.cx, room) << '"' << c.text << "\" at " << layout.dpi << " DPI";
        EXPECT_LE(c.label.cy, c.client.cy) << '"' << c.text << "\" at " << layout.dpi << " DPI";
    }
}

class AtDpi : public ::testing::TestWithParam<int> {};

TEST_P(AtDpi, PicturesFillTheirFramesAndLabelsFit) {
    const int dpi = GetParam();
    Sandbox sandbox;
    ScreenDpi screen(static_cast<DWORD>(dpi));
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);

    const DialogLayout mainLayout = Layout(main);
    ASSERT_EQ(mainLayout.dpi, dpi);
    ASSERT_FALSE(mainLayout.controls.empty());
    ExpectPictureFillsItsFrame(mainLayout, kTitle);
    ExpectLabelsFit(mainLayout);

    Click(app.Item(IDC_ABOUT));
    HWND about = app.WaitDialog("");
    ASSERT_TRUE(about);
    const DialogLayout aboutLayout = Layout(about);
    ASSERT_EQ(aboutLayout.dpi, dpi);
    ExpectPictureFillsItsFrame(aboutLayout, kAbout);
    ::PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(about); }));

    ::PostMessageA(main, WM_SYSCOMMAND, IDM_HOST_FRIENDS, 0);
    HWND host = app.WaitDialog("Host for Friends");
    ASSERT_TRUE(host);
    ExpectLabelsFit(Layout(host));
}

INSTANTIATE_TEST_SUITE_P(Screen, AtDpi, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
