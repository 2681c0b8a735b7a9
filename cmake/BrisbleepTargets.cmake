# Shared target helpers: warning flags, one library per layer, and test suites.

# Warning flags for every target of ours.
add_library(brisbleep_warnings INTERFACE)
target_compile_options(brisbleep_warnings INTERFACE -Wall -Wextra)

# Plug-in modules are linked with every symbol resolved, so a missing one fails the build rather than
# the host's load. Sanitizer builds leave the runtime's symbols to the executable that loads them.
option(BRISBLEEP_SANITIZE "This build is instrumented by a sanitizer (tools/test-sanitize.sh)" OFF)
if(BRISBLEEP_SANITIZE)
    set(BRISBLEEP_MODULE_NO_UNDEFINED "")
else()
    set(BRISBLEEP_MODULE_NO_UNDEFINED -Wl,-z,defs)
endif()

# Deliverables, tests and tools see the whole tree (they sit on top of every layer).
add_library(brisbleep_options INTERFACE)
target_include_directories(brisbleep_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
target_link_libraries(brisbleep_options INTERFACE brisbleep_warnings)

# brisbleep_add_layer(<dir> [USES <layers of ours...>] [LIBS <other libraries...>])
#
# One static library, brisbleep_<dir>, from the flat sources of <dir>/ (platform files are added by
# the directory's own CMakeLists.txt, if any). Includes run one way only: the layer compiles against
# an include root that holds just itself and the layers it uses (and, through them, what those use),
# so an include of any other layer fails to compile instead of slipping in unnoticed.
function(brisbleep_add_layer dir)
    cmake_parse_arguments(ARG "" "" "USES;LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    add_library(brisbleep_${dir} STATIC ${sources})
    set(root ${PROJECT_BINARY_DIR}/layers/${dir})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${dir} ${root}/${dir} SYMBOLIC)
    target_include_directories(brisbleep_${dir} PUBLIC ${root})
    target_link_libraries(brisbleep_${dir} PRIVATE brisbleep_warnings PUBLIC ${ARG_USES} ${ARG_LIBS})
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${PROJECT_SOURCE_DIR}/${dir} ${PROJECT_BINARY_DIR}/${dir})
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
