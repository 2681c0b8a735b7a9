// The built bundle as a host sees it: loaded from disk by the SDK's module loader.

#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

using namespace Steinberg;

namespace
{
const std::string kBundle = BRISBLEEP_VST3_BUNDLE_PATH;
const std::string kLibrary = kBundle + "/Contents/x86_64-linux/Brisbleep.so";

VST3::Hosting::Module::Ptr LoadBundle()
{
    std::string error;
    auto module = VST3::Hosting::Module::create(kBundle, error);
    EXPECT_TRUE(module) << error;
    return module;
}
} // namespace

TEST(ModuleVST3, BundleHoldsTheLinuxLibraryExportingOnlyTheEntryPoints)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(kLibrary)) << kLibrary;
    void* handle = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, "GetPluginFactory"), nullptr);
    EXPECT_NE(dlsym(handle, "ModuleEntry"), nullptr);
    EXPECT_NE(dlsym(handle, "ModuleExit"), nullptr);
    // Internal names stay hidden, so two plug-ins built on the same SDK never mix their classes.
    EXPECT_EQ(dlsym(handle, "CreateVST3Instance"), nullptr);
    EXPECT_EQ(dlsym(handle, "InitModule"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN9Steinberg14CPluginFactoryD2Ev"), nullptr);
    dlclose(handle);
}

TEST(ModuleVST3, FactoryAndClassInformation)
{
    auto module = LoadBundle();
    ASSERT_TRUE(module);
    const auto& factory = module->getFactory();
    const auto info = factory.info();
    EXPECT_EQ(info.vendor(), "Quorvane");
    EXPECT_EQ(info.flags(), 16);
    EXPECT_FALSE(info.url().empty());
    EXPECT_FALSE(info.email().empty());

    const auto classes = factory.classInfos();
    ASSERT_EQ(classes.size(), 1u);
    const auto& cls = classes[0];
    const unsigned char expectedId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                          0x51, 0x6F, 0x72, 0x76, 0x73, 0x70, 0x67, 0x70};
    EXPECT_EQ(std::memcmp(cls.ID().data(), expectedId, 16), 0);
    EXPECT_EQ(cls.cardinality(), 0x7FFFFFFF);
    EXPECT_EQ(cls.category(), "Audio Module Class");
    EXPECT_EQ(cls.name(), "Brisbleep");
    EXPECT_EQ(cls.classFlags(), 2u);
    EXPECT_EQ(cls.subCategoriesString(), "Instrument");
    EXPECT_EQ(cls.vendor(), "Quorvane"); // the class names none, so hosts show the factory's
    EXPECT_EQ(cls.version(), "1.0.1");
    EXPECT_EQ(cls.sdkVersion(), "VST 3.6.0");
}

TEST(ModuleVST3, InstancesAreIndependentAndExposeEveryRole)
{
    auto module = LoadBundle();
    ASSERT_TRUE(module);
    const auto& factory = module->getFactory();
    const auto id = factory.classInfos()[0].ID();
    auto first = factory.createInstance<Vst::IComponent>(id);
    auto second = factory.createInstance<Vst::IComponent>(id);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_FALSE(factory.createInstance<Vst::IComponent>(VST3::UID()));

    Vst::HostApplication host; // not reference counted
    ASSERT_EQ(first->initialize(&host), kResultOk);
    FUnknownPtr<Vst::IEditController> controller(first);
    FUnknownPtr<Vst::IAudioProcessor> processor(first);
    ASSERT_TRUE(controller);
    ASSERT_TRUE(processor);
    EXPECT_EQ(controller->getParameterCount(), 61);
    EXPECT_EQ(processor->canProcessSampleSize(Vst::kSample64), kResultTrue);
    EXPECT_EQ(first->terminate(), kResultOk);
}
