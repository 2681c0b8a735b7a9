#include "vst3/IBindingVST3View.h"

#include "frame/IFrameEditor.h"
#include "vst3/IBindingVST3.h"

#include <cstring>

using namespace Steinberg;

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
    return CPluginView::attached(parent, type);
}

tresult PLUGIN_API IBindingVST3View::removed()
{
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
