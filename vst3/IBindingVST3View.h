#pragma once

#include "public.sdk/source/common/pluginview.h"

class IBindingVST3;
class IBindingVST3RunLoopClient;

// The plug-in view that shows the instrument's editor inside a window of the host. On Linux the host
// hands over an X11 window id ("X11EmbedWindowID"), on Windows a window handle ("HWND"). The view
// keeps its plug-in alive for as long as it exists and is listed in the plug-in's open views.
class IBindingVST3View : public Steinberg::CPluginView
{
public:
    // The platform type text this system's editor window can be opened in.
#ifdef _WIN32
    static constexpr const char* kPlatformType = "HWND";
#else
    static constexpr const char* kPlatformType = "X11EmbedWindowID";
#endif

    explicit IBindingVST3View(IBindingVST3* plugin);
    ~IBindingVST3View() override;

    IBindingVST3View(const IBindingVST3View&) = delete;
    IBindingVST3View& operator=(const IBindingVST3View&) = delete;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;

    // Set by the plug-in when it asked the host to resize this view, so the host's answering onSize
    // can be told apart from a resize the host started itself.
    void ExpectResize()
    {
        expectingResize = true;
    }
    bool ExpectingResize() const
    {
        return expectingResize;
    }
    Steinberg::IPlugFrame* Frame() const
    {
        return plugFrame;
    }

private:
    // Drives the open editor from the host's run loop (a timer, and the window's connection), when
    // the host's frame offers one.
    void ConnectRunLoop();
    void DisconnectRunLoop();

    IBindingVST3* plugin;
    IBindingVST3RunLoopClient* runLoopClient = nullptr;
    bool expectingResize = false;
    bool editorOpen = false;
};
