#include "vst3/IBindingVST3View.h"

#include "editor/IGraphicsPlatform.h"
#include "frame/IFrameEditor.h"
#include "vst3/IBindingVST3.h"

#include <atomic>
#include <cstring>

using namespace Steinberg;

#ifdef _WIN32
// On Windows the editor window's own timer messages drive it; the host's run loop is a Linux interface.
class IBindingVST3RunLoopClient
{
public:
    void Unregister() {}
    void release() {}
};
void IBindingVST3View::ConnectRunLoop() {}
#else

// The editor's timer and connection handlers, registered with the host's run loop. The host may keep
// a reference after unregistering, so the client outlives the window and is told when to stop.
class IBindingVST3RunLoopClient final : public Linux::IEventHandler, public Linux::ITimerHandler
{
public:
    IBindingVST3RunLoopClient(Linux::IRunLoop* loop, IGraphicsLinux* graphics)
        : loop(loop), graphics(graphics)
    {
        loop->addRef();
    }

    bool Register()
    {
        const int fd = graphics->ConnectionFd();
        timerRegistered =
            loop->registerTimer(this, static_cast<Linux::TimerInterval>(graphics->TimerPeriodMs())) ==
            kResultOk;
        eventsRegistered = fd >= 0 && loop->registerEventHandler(this, fd) == kResultOk;
        return timerRegistered;
    }
    void Unregister()
    {
        graphics = nullptr;
        if (eventsRegistered) loop->unregisterEventHandler(this);
        if (timerRegistered) loop->unregisterTimer(this);
        eventsRegistered = timerRegistered = false;
    }

    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override
    {
        if (graphics) graphics->OnHostEvents();
    }
    void PLUGIN_API onTimer() override
    {
        if (graphics) graphics->OnHostTimer();
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid) ||
            FUnknownPrivate::iidEqual(iid, FUnknown::iid))
        {
            addRef();
            *obj = static_cast<Linux::IEventHandler*>(this);
            return kResultOk;
        }
        if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid))
        {
            addRef();
            *obj = static_cast<Linux::ITimerHandler*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++refs; }
    uint32 PLUGIN_API release() override
    {
        const uint32 left = --refs;
        if (left == 0) delete this;
        return left;
    }

private:
    ~IBindingVST3RunLoopClient() { loop->release(); }

    Linux::IRunLoop* loop;
    IGraphicsLinux* graphics;
    bool timerRegistered = false;
    bool eventsRegistered = false;
    std::atomic<uint32> refs{1};
};

#endif

namespace
{
bool IsOurPlatformType(FIDString type)
{
    return type && std::strcmp(type, IBindingVST3View::kPlatformType) == 0;
}
} // namespace

IBindingVST3View::IBindingVST3View(IBindingVST3* plugin) : plugin(plugin)
{
    plugin->addRef();
}

IBindingVST3View::~IBindingVST3View()
{
    // A host that releases a view without removing it first still gets the window closed.
    if (editorOpen) removed();
    plugin->RemoveView(this);
    plugin->release();
}

tresult PLUGIN_API IBindingVST3View::isPlatformTypeSupported(FIDString type)
{
    if (!plugin->GetEditor()) return kResultFalse;
    return IsOurPlatformType(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IBindingVST3View::attached(void* parent, FIDString type)
{
    IFrameEditor* editor = plugin->GetEditor();
    if (!editor || editorOpen) return kResultFalse;
    // Only a window we could actually open inside the host's parent counts as attached; telling the
    // host otherwise would leave it showing an empty frame.
    if (!IsOurPlatformType(type) || !parent) return kResultFalse;
    {
        IFrameBase::Lock lock(plugin->Mutex());
        if (!editor->OpenWindow(parent)) return kResultFalse;
        editorOpen = true;
        plugin->OnEditorOpen();
    }
    const tresult result = CPluginView::attached(parent, type);
    ConnectRunLoop();
    return result;
}

#ifndef _WIN32
void IBindingVST3View::ConnectRunLoop()
{
    auto* graphics = dynamic_cast<IGraphicsLinux*>(plugin->GetEditor());
    if (!graphics || !plugFrame || runLoopClient) return;
    FUnknownPtr<Linux::IRunLoop> loop(plugFrame);
    if (!loop) return; // the editor's own timer keeps it going
    runLoopClient = new IBindingVST3RunLoopClient(loop, graphics);
    if (!runLoopClient->Register()) DisconnectRunLoop();
}

#endif

void IBindingVST3View::DisconnectRunLoop()
{
    if (!runLoopClient) return;
    runLoopClient->Unregister();
    runLoopClient->release();
    runLoopClient = nullptr;
}

tresult PLUGIN_API IBindingVST3View::removed()
{
    DisconnectRunLoop();
    if (editorOpen)
    {
        IFrameBase::Lock lock(plugin->Mutex());
        if (IFrameEditor* editor = plugin->GetEditor())
        {
            plugin->OnEditorClose();
            editor->CloseWindow();
        }
        editorOpen = false;
    }
    return CPluginView::removed();
}

tresult PLUGIN_API IBindingVST3View::getSize(ViewRect* size)
{
    IFrameEditor* editor = plugin->GetEditor();
    if (!editor) return kResultFalse;
    if (!size) return kInvalidArgument;
    *size = ViewRect(0, 0, editor->Width(), editor->Height());
    return kResultTrue;
}

tresult PLUGIN_API IBindingVST3View::onSize(ViewRect* newSize)
{
    if (!newSize) return kResultTrue;
    rect = *newSize;
    if (expectingResize)
    {
        expectingResize = false;
        plugin->OnEditorResized();
    }
    return kResultTrue;
}
