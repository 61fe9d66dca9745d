#pragma once
// The skin layer: colours, fonts and pictures from a skin file (showcase/core/SkinFile.h)
// painted onto ordinary child windows. Controls stay the system's windows with their
// captions as window texts; when a skin is loaded they paint themselves from it, and
// without one (no file, or a file that does not read) they keep the plain look.
//
// Painting goes through a TPaintBuffer, a 32-bit memory picture of the window that is
// copied to the screen at the end: what lies behind a control is painted first by its
// containers (PaintBehind), then the control's pictures are laid over it with their
// alpha, then its text.
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "framework/Win.h"
#include "showcase/core/SkinFile.h"

namespace kv {

class TPaintBuffer {
public:
    TPaintBuffer(HDC target, int width, int height);
    ~TPaintBuffer();
    TPaintBuffer(const TPaintBuffer&) = delete;
    TPaintBuffer& operator=(const TPaintBuffer&) = delete;

    HDC DC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y, 4 bytes a pixel (B, G, R, unused). GDI drawing is flushed first.
    uint8_t* Row(int y);
    void FillRect(RECT r, COLORREF colour);
    // Copies the buffer to the target DC at (0, 0).
    void Present();

private:
    HDC target_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint8_t* bits_ = nullptr;
    int width_, height_;
};

// A window of ours that paints a background for the controls inside it.
class TSkinLayer {
public:
    virtual ~TSkinLayer() = default;
    // Paints this window's own look into buffer, whose (0, 0) is this window's client
    // point (ox, oy).
    virtual void PaintLayer(TPaintBuffer& buffer, int ox, int oy) = 0;
};

class TSkin {
public:
    explicit TSkin(SkinFile file);
    ~TSkin();
    TSkin(const TSkin&) = delete;
    TSkin& operator=(const TSkin&) = delete;

    // The skin in use, or null for the plain look.
    static TSkin* Current();
    // Loads the skin file; any failure leaves the plain look. True when a skin is in use.
    static bool LoadCurrent(const std::filesystem::path& file);
    static void ClearCurrent();

    const SkinFile& File() const { return file_; }
    COLORREF Color(const std::string& name, COLORREF fallback) const;
    // The skin's font of that name (owned by the skin), or the plain dialog font.
    HFONT Font(const std::string& name);
    const SkinImage* Image(const std::string& name) const { return file_.Image(name); }

    // Lays piece `part` of a picture over rect of the buffer, stretched by its margins,
    // with its alpha. Pixels inside `hole` (when given) are left as they are.
    void DrawImage(TPaintBuffer& buffer, const SkinImage& image, int part, RECT rect, const RECT* hole = nullptr) const;
    // Text in the buffer, with the skin's font and colour; flags as DrawTextW takes them.
    void DrawText(TPaintBuffer& buffer, const std::wstring& text, RECT rect, const std::string& font, COLORREF colour,
                  UINT flags, bool underline = false);
    // A thin focus mark around rect.
    void DrawFocus(TPaintBuffer& buffer, RECT rect) const;

private:
    SkinFile file_;
    std::map<std::string, HFONT> fonts_;
};

// Paints what lies behind hwnd's client area into buffer: the form's picture and every
// TSkinLayer between the form and hwnd, outermost first.
void PaintBehind(HWND hwnd, TPaintBuffer& buffer);

// Whether the mouse is over hwnd now (for the hot look).
bool MouseOver(HWND hwnd);

}  // namespace kv
