#pragma once
// Windows as objects: TWinControl is a small object over one window handle (settings as
// fields set before the handle is made, events as std::function handlers); TForm is a
// top-level window or one parented to a foreign window, with the form's events, key
// preview, dialog keys, a modal run and a canvas.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Win.h"
#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"

namespace kv {

enum class TControlAlign { alNone, alClient };

class TWinControl {
public:
    explicit TWinControl(TWinControl* parent = nullptr);
    virtual ~TWinControl();
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    // --- settings (read when the handle is made; the setters below apply them later) ---
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = true;
    std::string Caption;           // the window text
    TControlAlign Align = TControlAlign::alNone;
    int ControlId = 0;             // the child id (dialog navigation, WM_COMMAND)
    bool TabStop = false;

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Makes the window (and the parent's first). Raises kv::Error when the system refuses.
    void CreateHandle();
    void DestroyHandle();
    TWinControl* Parent() const { return parent_; }
    const std::vector<TWinControl*>& Children() const { return children_; }

    void SetBounds(int left, int top, int width, int height);
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void SetCaption(std::string caption);
    void SetAlign(TControlAlign align);
    int ClientWidth() const;
    int ClientHeight() const;
    void Invalidate();
    // Paints what is pending now.
    void Update();
    // Invalidate and Update.
    void Repaint();
    void SetFocus();

    // The object of a window made by this framework, or null.
    static TWinControl* FromHandle(HWND hwnd);

    std::function<void()> OnClick;
    std::function<void()> OnResize;

protected:
    // The window class to make (ours unless a control subclasses a system class) and styles.
    virtual const wchar_t* SystemClassName() const { return nullptr; }
    virtual DWORD WindowStyle() const;
    virtual DWORD WindowExStyle() const { return 0; }
    virtual HWND ParentHandle() const;
    // Message handling; call Default for the window's own behaviour.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    // A notification (WM_COMMAND code) that this control sent to its parent.
    virtual void CommandNotify(WORD code) {}
    virtual void AfterCreate() {}
    void AlignChildren();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;
};

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TWindowState { wsNormal, wsMaximized };
enum class TPosition { poDesigned, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree };

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;

    TBorderStyle BorderStyle = TBorderStyle::bsSizeable;
    bool StayOnTop = false;
    TWindowState WindowState = TWindowState::wsNormal;
    TPosition Position = TPosition::poDesigned;
    bool KeyPreview = false;       // the form's key events see its controls' keys first
    bool DialogKeys = false;       // Tab, Enter and Escape move and press as in a dialog
    bool MinimizeBox = true, MaximizeBox = true;
    COLORREF Color = RGB(240, 240, 240);
    HWND ParentWindow = nullptr;   // a foreign window to live in (then a child window)
    HICON Icon = nullptr;
    // When set, Width and Height give the client area rather than the window.
    bool SizeIsClient = false;

    // Creation: makes the window hidden and runs OnCreate (an error there is shown in
    // the error box and ends OnCreate only).
    void Create();
    // Shows the window as WindowState says.
    void Show();
    // Closes the window: OnClose, then the window goes; the main form ends the loop.
    // Only the first call closes; later calls do nothing.
    void Close();
    bool Closed() const { return closed_; }
    // Runs the form until it closes or ModalResult is set; returns ModalResult.
    int ShowModal();
    int ModalResult = 0;

    // The form's canvas: what its client area shows behind its child windows.
    Bitmap& Canvas() { return canvas_; }
    void FillCanvas(uint32_t bgra);

    std::function<void()> OnCreate;
    std::function<void(TCloseAction& action)> OnClose;
    std::function<void(wchar_t& key)> OnKeyPress;
    std::function<void(WORD& key)> OnKeyDown;
    std::function<void()> OnDestroy;
    // Every message of the window before the form handles it; return true when handled
    // and set result.
    std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)> OnWindowMessage;

    // Used by the message loop: key preview and dialog keys for msg. True when taken.
    static bool PreviewKey(MSG& msg);
    static bool DialogKey(MSG& msg);

protected:
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override;
    HWND ParentHandle() const override { return ParentWindow; }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static TForm* FormOf(HWND hwnd);
    Bitmap canvas_;
    bool closed_ = false;
    bool created_ = false;
};

// One WM_PAINT: BeginPaint on construction, EndPaint on destruction, and the window's
// client rectangle.
class TPaintScope {
public:
    explicit TPaintScope(HWND hwnd) : hwnd_(hwnd) {
        dc_ = BeginPaint(hwnd, &ps_);
        GetClientRect(hwnd, &client_);
    }
    ~TPaintScope() { EndPaint(hwnd_, &ps_); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    HDC DC() const { return dc_; }
    const RECT& Client() const { return client_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
    RECT client_{};
};

// Fills r with a solid colour.
void FillColor(HDC dc, const RECT& r, COLORREF color);
// Paints picture at the client's top-left corner (or stretched over the client) and the
// background colour wherever the picture does not reach.
void PaintPicture(HDC dc, const RECT& client, const Bitmap& picture, bool stretch, COLORREF background);

// Copies a BGRA bitmap to a device context at (x, y).
void PaintBitmap(HDC dc, int x, int y, const Bitmap& bitmap);
// Stretches a BGRA bitmap into the rectangle (x, y, w, h) of a device context.
void StretchBitmap(HDC dc, int x, int y, int w, int h, const Bitmap& bitmap);

}  // namespace kv
