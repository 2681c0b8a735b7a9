# The VST 3 SDK: fetched at configure time by tools/fetch-vst3sdk.sh (or taken from VST3_SDK_ROOT) and
# built here from the few sources the module, its tests and the validator need. The SDK's own CMake
# set-up is not used: it configures the whole SDK, VSTGUI included, which costs far more than we need.
#
# Targets:
#   brisbleep_vst3sdk_core     pluginterfaces, base and the interface ids, shared by plug-in and host side
#   brisbleep_vst3sdk_plugin   factory, single-component effect, parameters, buses, plug-in view
#   brisbleep_vst3sdk_hosting  the SDK's hosting classes (module loading, process data, event lists, ...)
#   brisbleep_vst3_validator   the SDK's validator program
# Variable BRISBLEEP_VST3SDK_MODULE_MAIN: the module entry source of the platform (ModuleEntry/ModuleExit
# on Linux, DllMain/InitDll/ExitDll on Windows), compiled into the module itself so that its exported
# entries are always linked.

include_guard(GLOBAL)

set(VST3_SDK_ROOT "$ENV{VST3_SDK_ROOT}" CACHE PATH "An unpacked VST 3 SDK 3.7.10; empty fetches one")
set(BRISBLEEP_CACHE_DIR "$ENV{HOME}/.cache/brisbleep" CACHE PATH "Where downloaded SDK sources are kept")

set(fetch_env "VST3_SDK_ROOT=${VST3_SDK_ROOT}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${fetch_env} ${PROJECT_SOURCE_DIR}/tools/fetch-vst3sdk.sh ${BRISBLEEP_CACHE_DIR}
    OUTPUT_VARIABLE fetch_output
    RESULT_VARIABLE fetch_result
    OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "Could not get the VST 3 SDK (see the messages above). "
                        "Set VST3_SDK_ROOT to an unpacked SDK or turn BRISBLEEP_BUILD_VST3 off.")
endif()
string(REGEX REPLACE ".*\n" "" BRISBLEEP_VST3SDK_ROOT "${fetch_output}")
message(STATUS "VST 3 SDK: ${BRISBLEEP_VST3SDK_ROOT}")

set(sdk ${BRISBLEEP_VST3SDK_ROOT})
if(WIN32)
    set(BRISBLEEP_VST3SDK_MODULE_MAIN ${sdk}/public.sdk/source/main/dllmain.cpp)
    set(sdk_platform win32)
else()
    set(BRISBLEEP_VST3SDK_MODULE_MAIN ${sdk}/public.sdk/source/main/linuxmain.cpp)
    set(sdk_platform linux)
endif()

# Usage requirements every SDK user shares: the include root (as a system directory, so the SDK's
# headers do not trip our warning flags) and the build-mode define the SDK's headers expect.
add_library(brisbleep_vst3sdk_options INTERFACE)
target_include_directories(brisbleep_vst3sdk_options SYSTEM INTERFACE ${sdk})
target_compile_definitions(brisbleep_vst3sdk_options INTERFACE $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_features(brisbleep_vst3sdk_options INTERFACE cxx_std_17)

function(brisbleep_vst3sdk_library name)
    list(TRANSFORM ARGN PREPEND ${sdk}/)
    add_library(${name} STATIC ${ARGN})
    target_link_libraries(${name} PUBLIC brisbleep_vst3sdk_options)
    # Third-party code: build it quietly and without our warning set.
    target_compile_options(${name} PRIVATE -w)
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
endfunction()

brisbleep_vst3sdk_library(brisbleep_vst3sdk_core
    pluginterfaces/base/conststringtable.cpp
    pluginterfaces/base/coreiids.cpp
    pluginterfaces/base/funknown.cpp
    pluginterfaces/base/ustring.cpp
    base/source/baseiids.cpp
    base/source/fbuffer.cpp
    base/source/fdebug.cpp
    base/source/fobject.cpp
    base/source/fstreamer.cpp
    base/source/fstring.cpp
    base/source/timer.cpp
    base/source/updatehandler.cpp
    base/thread/source/fcondition.cpp
    base/thread/source/flock.cpp
    public.sdk/source/common/commoniids.cpp
    public.sdk/source/common/memorystream.cpp
    public.sdk/source/vst/utility/stringconvert.cpp
    public.sdk/source/vst/vstinitiids.cpp)
find_package(Threads REQUIRED)
target_link_libraries(brisbleep_vst3sdk_core PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
if(WIN32)
    target_link_libraries(brisbleep_vst3sdk_core PUBLIC ole32 shell32)
endif()

brisbleep_vst3sdk_library(brisbleep_vst3sdk_plugin
    public.sdk/source/common/pluginview.cpp
    public.sdk/source/main/pluginfactory.cpp
    public.sdk/source/vst/vstbus.cpp
    public.sdk/source/vst/vstcomponentbase.cpp
    public.sdk/source/vst/vstparameters.cpp
    # Also compiles the edit controller, renaming its state calls to avoid the component's.
    public.sdk/source/vst/vstsinglecomponenteffect.cpp)
target_link_libraries(brisbleep_vst3sdk_plugin PUBLIC brisbleep_vst3sdk_core)

brisbleep_vst3sdk_library(brisbleep_vst3sdk_hosting
    public.sdk/source/common/threadchecker_${sdk_platform}.cpp
    public.sdk/source/vst/vstpresetfile.cpp
    public.sdk/source/vst/hosting/connectionproxy.cpp
    public.sdk/source/vst/hosting/eventlist.cpp
    public.sdk/source/vst/hosting/hostclasses.cpp
    public.sdk/source/vst/hosting/module.cpp
    public.sdk/source/vst/hosting/module_${sdk_platform}.cpp
    public.sdk/source/vst/hosting/parameterchanges.cpp
    public.sdk/source/vst/hosting/pluginterfacesupport.cpp
    public.sdk/source/vst/hosting/plugprovider.cpp
    public.sdk/source/vst/hosting/processdata.cpp
    public.sdk/source/vst/moduleinfo/moduleinfoparser.cpp)
target_link_libraries(brisbleep_vst3sdk_hosting PUBLIC brisbleep_vst3sdk_core)

# The validator, with the source list of its own CMakeLists.txt less what the libraries above hold.
set(validator_dir public.sdk/samples/vst-hosting/validator/source)
set(testsuite public.sdk/source/vst/testsuite)
set(validator_sources
    ${validator_dir}/main.cpp
    ${validator_dir}/usediids.cpp
    ${validator_dir}/validator.cpp
    public.sdk/source/main/moduleinit.cpp
    public.sdk/source/vst/hosting/test/connectionproxytest.cpp
    public.sdk/source/vst/hosting/test/eventlisttest.cpp
    public.sdk/source/vst/hosting/test/hostclassestest.cpp
    public.sdk/source/vst/hosting/test/parameterchangestest.cpp
    public.sdk/source/vst/hosting/test/pluginterfacesupporttest.cpp
    public.sdk/source/vst/hosting/test/processdatatest.cpp
    public.sdk/source/vst/utility/testing.cpp
    ${testsuite}/testbase.cpp
    ${testsuite}/vsttestsuite.cpp)
foreach(test
        bus/busactivation bus/busconsistency bus/businvalidindex bus/checkaudiobusarrangement bus/scanbusses
        bus/sidechainarrangement general/editorclasses general/midilearn general/midimapping
        general/plugcompat general/scanparameters general/suspendresume general/terminit
        noteexpression/keyswitch noteexpression/noteexpression processing/automation processing/process
        processing/processcontextrequirements processing/processformat processing/processinputoverwriting
        processing/processtail processing/processthreaded processing/silenceflags
        processing/silenceprocessing processing/speakerarrangement processing/variableblocksize
        state/bypasspersistence state/invalidstatetransition state/repeatidenticalstatetransition
        state/validstatetransition unit/checkunitstructure unit/scanprograms unit/scanunits)
    list(APPEND validator_sources ${testsuite}/${test}.cpp)
endforeach()
list(TRANSFORM validator_sources PREPEND ${sdk}/)
add_executable(brisbleep_vst3_validator ${validator_sources})
target_link_libraries(brisbleep_vst3_validator PRIVATE brisbleep_vst3sdk_hosting)
target_compile_options(brisbleep_vst3_validator PRIVATE -w)
set_target_properties(brisbleep_vst3_validator PROPERTIES OUTPUT_NAME validator)
if(WIN32)
    target_link_options(brisbleep_vst3_validator PRIVATE -municode) # its entry is wmain
endif()
