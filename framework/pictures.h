// Picture statics (SS_BITMAP) that fill the frame their dialog template gives them at any DPI.
#pragma once

#include <windows.h>

#include <vector>

class CDialogPictures {
public:
    CDialogPictures() = default;
    ~CDialogPictures() { Release(); }
    CDialogPictures(const CDialogPictures&) = delete;
    CDialogPictures& operator=(const CDialogPictures&) = delete;

    // Above or below 96 DPI, where the pictures are drawn as they are: puts every SS_BITMAP static
    // of the dialog (made from template `templateId` of this program) on the rectangle its template
    // gives it in dialog units, and scales its picture with halftone filtering to fill the control.
    void Fit(HWND dialog, UINT templateId);
    // Deletes the scaled pictures made so far.
    void Release();

private:
    std::vector<HBITMAP> m_scaled;
};
