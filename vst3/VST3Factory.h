#pragma once

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/ipluginbase.h"

class IBindingVST3;

// What the module registers in its factory: one instrument class, processor and controller in one
// object. The records are filled from these values exactly once.
namespace VST3FactoryInfo
{
inline constexpr const char* kVendor = "Quorvane";
inline constexpr const char* kUrl = "https://quorvane.example/brisbleep";
inline constexpr const char* kEmail = "mailto:brisbleep@quorvane.example";
inline constexpr Steinberg::int32 kFactoryFlags = Steinberg::PFactoryInfo::kUnicode; // 16

// In memory order: eight bytes of our own, then the manufacturer code and unique ID as characters.
inline constexpr Steinberg::TUID kClassId = {'\x0D', '\xE7', '\xAE', '\xF2', '\xDE', '\x00', '\x4E', '\x4F',
                                             'Q',    'o',    'r',    'v',    's',    'p',    'g',    'p'};
inline constexpr Steinberg::int32 kCardinality = Steinberg::PClassInfo::kManyInstances; // 0x7FFFFFFF
inline constexpr const char* kCategory = "Audio Module Class";
inline constexpr const char* kClassName = "Brisbleep";
inline constexpr Steinberg::int32 kClassFlags = 2;
inline constexpr const char* kSubCategories = "Instrument";
inline constexpr const char* kClassVendor = "";
inline constexpr const char* kVersion = "1.0.1";
inline constexpr const char* kSdkVersion = "VST 3.6.0";
} // namespace VST3FactoryInfo

// Builds one instance of the module's plug-in class. Defined once per module: the instrument's module
// constructs Brisbleep, test modules construct their own subclass. May throw; the factory's creation
// function catches everything.
IBindingVST3* CreateVST3Instance();

// The factory's creation function: builds an instance under the process-wide creation mutex and
// returns its basic interface, or none when construction fails.
Steinberg::FUnknown* CreateVST3InstanceLocked(void* context);
