#include "vst3/VST3Factory.h"

#include "frame/IMutex.h"
#include "public.sdk/source/main/pluginfactory.h"
#include "vst3/IBindingVST3.h"

#include <mutex>

using namespace Steinberg;

namespace
{
// Created on first use, so instances built while other modules' static constructors run still find it.
IMutex& CreationMutex()
{
    static IMutex mutex;
    return mutex;
}
} // namespace

FUnknown* CreateVST3InstanceLocked(void*)
{
    std::lock_guard<IMutex> lock(CreationMutex());
    try
    {
        IBindingVST3* instance = CreateVST3Instance();
        if (!instance) return nullptr;
        return static_cast<Vst::IAudioProcessor*>(instance);
    }
    catch (...)
    {
        return nullptr;
    }
}

extern "C" SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    // gPluginFactory is cleared by the factory's destructor, so a host that released the factory
    // completely gets a fresh one.
    if (gPluginFactory)
    {
        gPluginFactory->addRef();
        return gPluginFactory;
    }
    try
    {
        static const PFactoryInfo factoryInfo(VST3FactoryInfo::kVendor, VST3FactoryInfo::kUrl,
                                              VST3FactoryInfo::kEmail, VST3FactoryInfo::kFactoryFlags);
        static const PClassInfo2 classInfo(
            VST3FactoryInfo::kClassId, VST3FactoryInfo::kCardinality, VST3FactoryInfo::kCategory,
            VST3FactoryInfo::kClassName, VST3FactoryInfo::kClassFlags, VST3FactoryInfo::kSubCategories,
            VST3FactoryInfo::kClassVendor, VST3FactoryInfo::kVersion, VST3FactoryInfo::kSdkVersion);
        gPluginFactory = new CPluginFactory(factoryInfo);
        gPluginFactory->registerClass(&classInfo, CreateVST3InstanceLocked);
        return gPluginFactory;
    }
    catch (...)
    {
        return nullptr;
    }
}

// Called by the Linux module entry once the host has loaded the library; the entry itself keeps the
// library handle. Nothing else needs preparing: the editor's images are compiled in.
bool InitModule()
{
    return true;
}

bool DeinitModule()
{
    return true;
}
