#include "deployer/MainWin.h"

#include <shellapi.h>

#include "common/Error.h"
#include "deployer/core/InstallNames.h"
#include "deployer/core/InstallProcedure.h"
#include "framework/Application.h"
#include "graphics/Bmp.h"
#include "graphics/Jpeg.h"

namespace kv {
namespace {

std::span<const uint8_t> ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const uint8_t*>(data), size};
}

Bitmap PictureResource(const wchar_t* name) {
    std::span<const uint8_t> bytes = ResourceBytes(name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (bytes.empty()) throw Error("Resource " + Narrow(name) + " not found");
    return bytes[0] == 'B' ? ReadBmp(bytes) : DecodeJpeg(bytes);
}

// What only the system can do, for the install procedure.
class WindowsInstallHost : public InstallHost {
public:
    std::string InstallerPath() override { return Narrow(ProgramFile()); }

    std::string ShortPath(const std::string& path) override {
        std::wstring buffer(MAX_PATH, L'\0');
        const DWORD n = GetShortPathNameW(Widen(path).c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0 || n >= buffer.size()) return path;
        buffer.resize(n);
        return Narrow(buffer);
    }

    bool SetScreensaverValue(const std::string& path) override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const std::wstring value = Widen(path);
        const LONG rc = RegSetValueExW(key, Widen(kScreensaverValueName).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) throw Error(Format("Failed to set data for '%s'", kScreensaverValueName));
        return true;
    }

    std::optional<Bytes> SkinResource() override {
        // Resource names and types match without regard to case.
        std::span<const uint8_t> skin = ResourceBytes(L"skinRes", L"exefile");
        if (skin.empty()) return std::nullopt;
        return Bytes(skin.begin(), skin.end());
    }

    bool AskRunNow() override {
        return MessageBoxW(GetActiveWindow(), Widen(kRunNowQuestion).c_str(), L"Confirm", MB_YESNO) == IDYES;
    }

    void OpenWithShell(const std::string& path) override {
        ShellExecuteW(GetActiveWindow(), nullptr, Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

}  // namespace

TInstallerForm::TInstallerForm() {
    Caption = "Install Screensaver";
    BorderStyle = TBorderStyle::bsSingle;
    MinimizeBox = false;
    MaximizeBox = false;
    Position = TPosition::poScreenCenter;
    SizeIsClient = true;
    Width = 443;
    Height = 304;
    // The face leaves the client area's last column to the form: give it the face's edge.
    Color = RGB(0x21, 0x29, 0x3A);

    Image1.AutoSize = true;
    Image1.Left = -8;
    Image1.Top = 0;
    MouseEffectImage1.Left = 351;
    MouseEffectImage1.Top = 210;
    MouseEffectImage1.RevertOnLeave = false;
    MouseEffectImage1.OnClick = [this] { MouseEffectImage1Click(); };

    // Below the visible area, never seen.
    lblDestPath.SetBounds(24, 344, 120, 13);
    lblDestPath.Caption = "Destination directory:   ";
    edtDestPath.SetBounds(24, 368, 309, 25);
    edtDestPath.Enabled = false;
    edtDestPath.ReadOnly = true;
    btnInstall.SetBounds(341, 368, 73, 25);
    btnInstall.Caption = "Install";
    lblProgress.SetBounds(64, 400, 60, 13);
    lblProgress.Caption = "Progress ";
    FlatProgressBar1.SetBounds(64, 424, 309, 16);
    btnBrowse.SetBounds(293, 424, 73, 25);
    btnBrowse.Caption = "Browse ...";
    btnBrowse.OnClick = [this] { btnBrowseClick(); };
    imgTitle.SetBounds(392, 408, 41, 41);

    OnCreate = [this] { FormCreate(); };
}

void TInstallerForm::FormCreate() {
    Image1.SetPicture(PictureResource(L"FACE"));
    MouseEffectImage1.OriginPicture = PictureResource(L"INSTALL_NORMAL");
    MouseEffectImage1.OverPicture = PictureResource(L"INSTALL_OVER");
    MouseEffectImage1.DownPicture = PictureResource(L"INSTALL_DOWN");
    MouseEffectImage1.Reset();
    imgTitle.SetPicture(PictureResource(L"ICON32"));
    // The button lies on the face: above it, and the face never paints over it.
    SetWindowPos(MouseEffectImage1.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    edtDestPath.SetBounds(edtDestPath.Left, btnInstall.Top, edtDestPath.Width, btnInstall.Height);
    wchar_t system[256] = {};
    const UINT n = GetSystemDirectoryW(system, 255);
    edtDestPath.SetCaption(DestinationFolder(Narrow(std::wstring_view(system, n < 256 ? n : 0))));
}

void TInstallerForm::MouseEffectImage1Click() {
    WindowsInstallHost host;
    Install(host, edtDestPath.Text());
    Close();
}

}  // namespace kv
