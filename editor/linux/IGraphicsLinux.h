#pragma once

#include "editor/IGraphics.h"

// The editor's platform layer on Linux. Images come from the set embedded in the module. Until an
// editor window exists the operations that need one answer that they are not available: nothing is
// opened, chosen or shown, so the whole editor works headless (drawing, events, parameter traffic).
class IGraphicsLinux : public IGraphics
{
public:
    IGraphicsLinux(IFrameBase* plugin, int width, int height, int fps);
    ~IGraphicsLinux() override;

    bool PresentToWindow(const IArea& area) override;
    void CancelTextEntry() override {}
    const char* GetDrawingApiName() override { return "Xlib"; }
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* ShowPopupMenu(IPopupMenu& menu, const IArea& area) override;
    void OpenTextField(IControl* control, const ITextStyle& style, const IArea& area, const char* initialText,
                       IParameter* param) override;
    void GetHostPath(std::string& path) override;
    void GetPluginPath(std::string& path) override;
    void GetDesktopPath(std::string& path) override;
    void GetAppDataPath(std::string& path, bool systemWide) override;
    void ChooseFile(std::string& fileName, int action, std::string& folder, const char* extensions) override;
    bool ChooseColour(IColorRGBA& colour, const char* prompt) override;
    bool OpenUrl(const char* url, const char* caption, const char* confirmation, const char* error) override;
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() override { return nullptr; }
    bool ReadClipboardText(std::string& text) override;
    void OnPlatformHook() override {}
    PIX_IBitmap* LoadBitmapResource(int id, const char* name) override;

    void SetModuleHandle(void* module) { mModule = module; }

private:
    void* mModule = nullptr;
};
