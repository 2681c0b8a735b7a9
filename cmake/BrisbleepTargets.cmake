# Shared target helpers: warning flags, subsystem object libraries, the core library and test suites.

add_library(brisbleep_options INTERFACE)
target_include_directories(brisbleep_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
target_compile_options(brisbleep_options INTERFACE -Wall -Wextra)

set_property(GLOBAL PROPERTY BRISBLEEP_SUBSYSTEMS "")

# A subsystem directory holds its sources flat (*.cpp next to *.h). Platform files live in a
# subdirectory named after the platform and are added by the subsystem's own CMakeLists.txt, if any.
# The object library is named brisbleep_<dir>.
function(brisbleep_add_subsystem dir)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_library(brisbleep_${dir} OBJECT ${sources})
    target_link_libraries(brisbleep_${dir} PUBLIC brisbleep_options)
    set_property(GLOBAL APPEND PROPERTY BRISBLEEP_SUBSYSTEMS brisbleep_${dir})
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${PROJECT_SOURCE_DIR}/${dir} ${PROJECT_BINARY_DIR}/${dir})
    endif()
endfunction()

# brisbleep_core: one static library with every subsystem's objects.
function(brisbleep_make_core)
    get_property(subsystems GLOBAL PROPERTY BRISBLEEP_SUBSYSTEMS)
    add_library(brisbleep_core STATIC)
    target_link_libraries(brisbleep_core PUBLIC brisbleep_options)
    foreach(subsystem ${subsystems})
        target_sources(brisbleep_core PRIVATE $<TARGET_OBJECTS:${subsystem}>)
        # Carry each subsystem's own usage requirements (libpng, FreeType, ...) to core users.
        target_link_libraries(brisbleep_core PUBLIC $<TARGET_PROPERTY:${subsystem},INTERFACE_LINK_LIBRARIES>)
    endforeach()
    if(NOT subsystems)
        file(WRITE ${PROJECT_BINARY_DIR}/generated/brisbleep_core_empty.cpp "")
        target_sources(brisbleep_core PRIVATE ${PROJECT_BINARY_DIR}/generated/brisbleep_core_empty.cpp)
    endif()
endfunction()

# brisbleep_add_test_suite(NAME <name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, run by CTest as one test named <name>.
function(brisbleep_add_test_suite)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    find_package(GTest REQUIRED)
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE brisbleep_options ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME} --gtest_brief=1)
    set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 600)
endfunction()
