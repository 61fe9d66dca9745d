#include "framework/Skin.h"

#include <algorithm>
#include <vector>

#include "framework/Forms.h"

namespace kv {
namespace {

std::unique_ptr<TSkin>& CurrentSkin() {
    static std::unique_ptr<TSkin> skin;
    return skin;
}

// Where pixel d of a span D long takes its source pixel in a piece P long whose first a
// and last b pixels keep their size; when the span is shorter than both margins, the
// whole piece is scaled.
int MapAxis(int d, int D, int P, int a, int b) {
    if (a + b >= D || a + b >= P) return std::min(P - 1, static_cast<int>(static_cast<int64_t>(d) * P / D));
    if (d < a) return d;
    if (d >= D - b) return P - (D - d);
    return a + static_cast<int>(static_cast<int64_t>(d - a) * (P - a - b) / (D - a - b));
}

uint8_t Blend(uint8_t s, uint8_t d, unsigned a) { return static_cast<uint8_t>((s * a + d * (255 - a) + 127) / 255); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TPaintBuffer

TPaintBuffer::TPaintBuffer(HDC target, int width, int height)
    : target_(target), width_(std::max(width, 1)), height_(std::max(height, 1)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(target);
    bitmap_ = CreateDIBSection(target, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
}

TPaintBuffer::~TPaintBuffer() {
    if (dc_ && old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

uint8_t* TPaintBuffer::Row(int y) {
    GdiFlush();
    return bits_ ? bits_ + static_cast<size_t>(y) * width_ * 4 : nullptr;
}

void TPaintBuffer::FillRect(RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    ::FillRect(dc_, &r, brush);
    DeleteObject(brush);
}

void TPaintBuffer::Present() {
    if (bits_) BitBlt(target_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------
// TSkin

TSkin::TSkin(SkinFile file) : file_(std::move(file)) {}

TSkin::~TSkin() {
    for (auto& [name, font] : fonts_) DeleteObject(font);
}

TSkin* TSkin::Current() { return CurrentSkin().get(); }

bool TSkin::LoadCurrent(const std::filesystem::path& file) {
    try {
        CurrentSkin() = std::make_unique<TSkin>(LoadSkinFile(file));
    } catch (...) {
        CurrentSkin().reset();
    }
    return CurrentSkin() != nullptr;
}

void TSkin::ClearCurrent() { CurrentSkin().reset(); }

COLORREF TSkin::Color(const std::string& name, COLORREF fallback) const {
    auto c = file_.Color(name);
    if (!c) return fallback;
    return RGB(*c >> 16 & 255, *c >> 8 & 255, *c & 255);
}

HFONT TSkin::Font(const std::string& name) {
    if (auto it = fonts_.find(name); it != fonts_.end()) return it->second;
    const bool underline = name.size() > 2 && name.substr(name.size() - 2) == "/u";
    const std::string base = underline ? name.substr(0, name.size() - 2) : name;
    const SkinFont* f = file_.Font(base);
    LOGFONTW lf{};
    if (f) {
        HDC screen = GetDC(nullptr);
        lf.lfHeight = -MulDiv(f->Points, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        lf.lfWeight = f->Bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = f->Italic;
        const std::wstring face = Widen(f->Face);
        wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    }
    lf.lfUnderline = underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_[name] = font;
    return font;
}

void TSkin::DrawImage(TPaintBuffer& buffer, const SkinImage& image, int part, RECT rect, const RECT* hole) const {
    const int pw = image.PartWidth(), ph = image.Picture.Height();
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return;
    part = std::clamp(part, 0, image.Parts - 1);
    std::vector<int> sx(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) sx[static_cast<size_t>(x)] = part * pw + MapAxis(x, w, pw, image.Left, image.Right);
    for (int y = 0; y < h; ++y) {
        const int ty = rect.top + y;
        if (ty < 0 || ty >= buffer.Height()) continue;
        const uint8_t* src = image.Picture.ScanLine(MapAxis(y, h, ph, image.Top, image.Bottom));
        uint8_t* row = buffer.Row(ty);
        if (!row) return;
        for (int x = 0; x < w; ++x) {
            const int tx = rect.left + x;
            if (tx < 0 || tx >= buffer.Width()) continue;
            if (hole && tx >= hole->left && tx < hole->right && ty >= hole->top && ty < hole->bottom) continue;
            const uint8_t* s = src + static_cast<size_t>(sx[static_cast<size_t>(x)]) * 4;
            uint8_t* d = row + static_cast<size_t>(tx) * 4;
            const unsigned a = s[3];
            if (a == 0) continue;
            d[0] = Blend(s[0], d[0], a);
            d[1] = Blend(s[1], d[1], a);
            d[2] = Blend(s[2], d[2], a);
        }
    }
}

void TSkin::DrawText(TPaintBuffer& buffer, const std::wstring& text, RECT rect, const std::string& font, COLORREF colour,
                     UINT flags, bool underline) {
    HDC dc = buffer.DC();
    HGDIOBJ old = SelectObject(dc, Font(underline ? font + "/u" : font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
    SelectObject(dc, old);
}

void TSkin::DrawFocus(TPaintBuffer& buffer, RECT rect) const {
    HBRUSH brush = CreateSolidBrush(Color("Focus", RGB(0, 0, 0)));
    FrameRect(buffer.DC(), &rect, brush);
    DeleteObject(brush);
}

// ---------------------------------------------------------------------------------------

void PaintBehind(HWND hwnd, TPaintBuffer& buffer) {
    std::vector<HWND> chain;
    for (HWND p = GetParent(hwnd); p; p = GetParent(p)) {
        chain.push_back(p);
        if (!(GetWindowLongW(p, GWL_STYLE) & WS_CHILD)) break;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        POINT origin{0, 0};
        MapWindowPoints(hwnd, *it, &origin, 1);
        TWinControl* control = TWinControl::FromHandle(*it);
        if (auto* form = dynamic_cast<TForm*>(control)) {
            Bitmap& canvas = form->Canvas();
            buffer.FillRect({0, 0, buffer.Width(), buffer.Height()}, form->Color);
            for (int y = 0; y < buffer.Height(); ++y) {
                const int fy = y + origin.y;
                if (fy < 0 || fy >= canvas.Height()) continue;
                uint8_t* row = buffer.Row(y);
                if (!row) return;
                const int x0 = std::max<int>(0, -origin.x), x1 = std::min<int>(buffer.Width(), canvas.Width() - origin.x);
                if (x1 > x0) std::copy_n(canvas.ScanLine(fy) + static_cast<size_t>(x0 + origin.x) * 4, (x1 - x0) * 4, row + x0 * 4);
            }
        } else if (auto* layer = dynamic_cast<TSkinLayer*>(control)) {
            layer->PaintLayer(buffer, origin.x, origin.y);
        }
    }
}

bool MouseOver(HWND hwnd) {
    POINT p;
    if (!GetCursorPos(&p)) return false;
    HWND at = WindowFromPoint(p);
    return at == hwnd;
}

}  // namespace kv
